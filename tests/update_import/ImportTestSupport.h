#pragma once

// What the update-import tests share: update files made the way users get them, and plain reads
// of what the import window shows and what it wrote.

#include "TestSupport.h"

namespace importtest {

using namespace testsupport;

// Keyword and description of each row; a null description stays NULL in the file.
using UpdateRows = std::vector<std::pair<QString, QVariant>>;

// Made by the program's own tool (case-insensitive column, write-ahead log), or by the stock
// sqlite3 tool with a plain CREATE TABLE and a rollback journal.
enum class Maker { Program, StockTool };

inline void WriteUpdateFile(const QString& path, const UpdateRows& rows,
                            Maker maker = Maker::StockTool) {
    QFile::remove(path);
    if (maker == Maker::Program) {
        Dictionary entries;
        for (const auto& [keyword, description] : rows)
            entries.push_back({keyword, description.toString()});
        ASSERT_TRUE(modDataFiles::CreateKeywords(path, entries).ok);
        return;
    }
    auto literal = [](QString text) { return "'" + text.replace('\'', "''") + "'"; };
    QString script = "CREATE TABLE tblKeywords (Keyword TEXT, Description TEXT);\nBEGIN;\n";
    for (const auto& [keyword, description] : rows)
        script += "INSERT INTO tblKeywords VALUES (" + literal(keyword) + ", " +
                  (description.isValid() ? literal(description.toString()) : "NULL") + ");\n";
    QProcess tool;
    tool.start("sqlite3", {"-bail", path});
    ASSERT_TRUE(tool.waitForStarted(10000)) << "the sqlite3 tool is missing";
    tool.write((script + "COMMIT;\n").toUtf8());
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(30000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
}

inline QTreeWidget* List(const QWidget* window) {
    return Find<QTreeWidget>(window, "ListView1");
}

// Each listed item as "keyword|description|marker|+" (checked) or "...|-", with " (off)" when it
// cannot be checked, joined by "; ".
inline std::string Listed(const QWidget* window) {
    const QTreeWidget* list = window ? List(window) : nullptr;
    QStringList items;
    for (int i = 0; list != nullptr && i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        items << QStringList{item->text(0), item->text(1), item->text(2),
                             item->checkState(0) == Qt::Checked ? "+" : "-"}
                         .join('|') +
                     (item->flags().testFlag(Qt::ItemIsUserCheckable) ? "" : " (off)");
    }
    return items.join("; ").toStdString();
}

inline void SetChecked(const QWidget* window, const QString& keyword, bool checked = true) {
    const auto found = List(window)->findItems(keyword, Qt::MatchFixedString, 0);
    ASSERT_FALSE(found.isEmpty()) << keyword.toStdString();
    for (QTreeWidgetItem* item : found)
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

// The dictionary's rows as "Keyword=Description", in the order they were written.
inline QStringList DictionaryRows(const QString& keywordsFile) {
    QStringList rows;
    for (const QVariantList& row : Query(keywordsFile, "SELECT Keyword || '=' || Description "
                                                       "FROM tblKeywords ORDER BY rowid"))
        rows << row.value(0).toString();
    return rows;
}

class ImportFixture : public ProgramFixture {
protected:
    QString UpdatePath(const QString& name) const { return folder.filePath(name); }
    std::string Stored() const { return DictionaryRows(KeywordsFile()).join("; ").toStdString(); }
};

} // namespace importtest
