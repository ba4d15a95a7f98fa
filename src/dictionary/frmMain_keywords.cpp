// The dictionary panel's keyword list, search and the picked keyword.

#include "app/frmMain.h"
#include "app/modText.h"
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

// A refill that changes more entries than this rebuilds the list instead of patching it.
const int kMostPatched = 64;

} // namespace

void frmMain::cmdRefresh_Click() {
    fillKeywordList(dictionary::SortAlphabetically(readKeywords()));
}

void frmMain::cmdSearch_Click() {
    const QString searchText = modText::TrimSpaces(txtSearch->text());
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
    pickedKeyword_ = picked;
    txtKeyword->setText(keyword.toString());
    txtKeywordDesc->setPlainText(description.toString());
}

// Shows `keywords` in the order given, with nothing selected and the first entry at the top.
void frmMain::fillKeywordList(const QStringList& keywords) {
    // A refill must not run the click handler on the way.
    const QSignalBlocker quiet(lstKeywords);
    // After an edit most entries stay: keep those the lists share at their start and their end,
    // and replace only what lies between. Building 50,000 items anew is what costs the time.
    const int shown = lstKeywords->count();
    const int wanted = int(keywords.size());
    int head = 0;
    while (head < shown && head < wanted && lstKeywords->item(head)->text() == keywords[head])
        ++head;
    int tail = 0;
    while (tail < shown - head && tail < wanted - head &&
           lstKeywords->item(shown - 1 - tail)->text() == keywords[wanted - 1 - tail])
        ++tail;
    const int removed = shown - head - tail;
    const int added = wanted - head - tail;
    if (removed + added > kMostPatched) {
        lstKeywords->clear();
        lstKeywords->addItems(keywords);
        return;
    }
    for (int i = 0; i < removed; ++i)
        delete lstKeywords->takeItem(head);
    lstKeywords->insertItems(head, keywords.mid(head, added));
    lstKeywords->setCurrentItem(nullptr);
    lstKeywords->clearSelection();
    lstKeywords->scrollToTop();
}
