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

void frmMain::cmdRefresh_Click() {
    QStringList keywords;
    dictionary::KeywordTable table;
    table.forEachRow([&keywords](modDB::Recordset& row) {
        const QVariant keyword = row.Field(kKeywordColumn);
        if (keyword.isValid() && !keyword.isNull())
            keywords << keyword.toString();
        return true;
    });
    table.close();
    fillKeywordList(keywords);
}

void frmMain::cmdSearch_Click() {
    const QString searchText = dictionary::TrimSpaces(txtSearch->text());
    QStringList matches;
    dictionary::KeywordTable table;
    table.forEachRow([&](modDB::Recordset& row) {
        const QVariant keyword = row.Field(kKeywordColumn);
        if (keyword.isValid() && !keyword.isNull()) {
            const QString text = keyword.toString();
            if (dictionary::KeywordMatches(text, searchText))
                matches << text;
        }
        return true;
    });
    table.close();
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

void frmMain::fillKeywordList(const QStringList& keywords) {
    QStringList sorted;
    sorted.reserve(keywords.size());
    for (const int position : dictionary::AlphabeticalOrder(keywords))
        sorted << keywords[position];
    // A refill selects nothing and must not run the click handler on the way.
    const QSignalBlocker quiet(lstKeywords);
    lstKeywords->clear();
    lstKeywords->addItems(sorted);
}
