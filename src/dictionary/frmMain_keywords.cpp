// The dictionary panel's keyword list, search and the picked keyword.

#include "app/frmMain.h"
#include "dictionary/KeywordOrder.h"
#include "dictionary/KeywordTable.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>

using dictionary::kDescriptionColumn;
using dictionary::kKeywordColumn;

namespace {

// Every keyword of the dictionary that is not NULL, in the table's own order.
QStringList readKeywords() {
    QStringList keywords;
    dictionary::KeywordTable table;
    table.forEachRow([&keywords](modDB::Recordset& row) {
        const QVariant keyword = row.Field(kKeywordColumn);
        if (keyword.isValid() && !keyword.isNull())
            keywords << keyword.toString();
        return true;
    });
    return keywords;
}

bool showsExactly(const QListWidget& list, const QStringList& keywords) {
    if (list.count() != keywords.size())
        return false;
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text() != keywords[i])
            return false;
    }
    return true;
}

} // namespace

void frmMain::cmdRefresh_Click() {
    fillKeywordList(dictionary::SortAlphabetically(readKeywords()));
}

void frmMain::cmdSearch_Click() {
    const QString searchText = dictionary::TrimSpaces(txtSearch->text());
    // Matching the sorted dictionary keeps the matches sorted, and the sorted dictionary is
    // usually at hand from the last keystroke.
    const QStringList sorted = dictionary::SortAlphabetically(readKeywords());
    QStringList matches;
    for (const QString& keyword : sorted) {
        if (dictionary::KeywordMatches(keyword, searchText))
            matches << keyword;
    }
    fillKeywordList(matches);
}

void frmMain::txtSearch_Change() {
    cmdSearch_Click();
}

void frmMain::txtSearch_Click() {
    cmdSearch_Click();
}

void frmMain::lstKeywords_Click() {
    const QList<QListWidgetItem*> selected = lstKeywords->selectedItems();
    if (selected.isEmpty())
        return;
    const QString picked = selected.first()->text();

    // Of several rows that differ only in case, the last one in the table is the one shown.
    QVariant keyword, description;
    bool found = false;
    dictionary::KeywordTable table;
    table.forEachRow([&](modDB::Recordset& row) {
        const QVariant candidate = row.Field(kKeywordColumn);
        if (dictionary::IsKeyword(candidate, picked)) {
            keyword = candidate;
            description = row.Field(kDescriptionColumn);
            found = true;
        }
        return true;
    });
    table.close();
    if (!found)
        return;
    txtKeyword->setText(keyword.toString());
    txtKeywordDesc->setPlainText(description.toString());
}

// Shows `keywords` in the order given, in one batch, with nothing selected.
void frmMain::fillKeywordList(const QStringList& keywords) {
    // A refill must not run the click handler on the way.
    const QSignalBlocker quiet(lstKeywords);
    if (showsExactly(*lstKeywords, keywords)) {
        // Rebuilding the same entries would only cost time: leave the list as a refill would.
        lstKeywords->setCurrentItem(nullptr);
        lstKeywords->clearSelection();
        lstKeywords->scrollToTop();
        return;
    }
    lstKeywords->clear();
    lstKeywords->addItems(keywords);
}
