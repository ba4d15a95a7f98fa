#include "ImportTestSupport.h"

#include "app/modMain.h"
#include "update_import/frmKeyUpdate.h"

#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QTreeWidget>

#include <ostream>
#include <sqlite3.h>

namespace importtest {
namespace {

QString sqlLiteral(const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("NULL");
    QString text = value.toString();
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

} // namespace

void WriteUpdateFile(const QString& path, const UpdateRows& rows, Maker maker) {
    QFile::remove(path);
    if (maker == Maker::Program) {
        std::vector<modDataFiles::Entry> entries;
        for (const auto& [keyword, description] : rows)
            entries.push_back({keyword.toString(), description.toString()});
        const auto made = modDataFiles::CreateKeywords(path, entries);
        ASSERT_TRUE(made.ok) << made.message.toStdString();
        return;
    }
    // The stock command-line tool, fed a script as a user would write one.
    QString script = QStringLiteral("CREATE TABLE tblKeywords (Keyword TEXT, Description TEXT);\n"
                                    "BEGIN;\n");
    for (const auto& [keyword, description] : rows)
        script += QStringLiteral("INSERT INTO tblKeywords VALUES (%1, %2);\n")
                      .arg(sqlLiteral(keyword), sqlLiteral(description));
    script += QStringLiteral("COMMIT;\n");
    QProcess tool;
    tool.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), path});
    ASSERT_TRUE(tool.waitForStarted(10000)) << "the sqlite3 tool is missing";
    tool.write(script.toUtf8());
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(30000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
}

void AppendRows(const QString& path, const UpdateRows& rows) {
    sqlite3* db = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO tblKeywords (Keyword, Description) VALUES (?1, ?2)", -1,
                       &insert, nullptr);
    for (const auto& [keyword, description] : rows) {
        int column = 1;
        for (const QVariant& value : {keyword, description}) {
            if (value.isValid())
                sqlite3_bind_text(insert, column, value.toString().toUtf8().constData(), -1,
                                  SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(insert, column);
            ++column;
        }
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    EXPECT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

frmKeyUpdate* ImportWindow() {
    for (QWidget* form : modMain::LoadedForms()) {
        if (auto* window = qobject_cast<frmKeyUpdate*>(form))
            return window;
    }
    return nullptr;
}

QList<Listed> ListedItems(const frmKeyUpdate* window) {
    QList<Listed> items;
    for (int i = 0; i < window->ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = window->ListView1->topLevelItem(i);
        items.append(
            {item->text(0), item->text(1), item->text(2), item->checkState(0) == Qt::Checked});
    }
    return items;
}

void SetChecked(frmKeyUpdate* window, const QString& keyword, bool checked) {
    const auto found = window->ListView1->findItems(keyword, Qt::MatchFixedString, 0);
    ASSERT_FALSE(found.isEmpty()) << keyword.toStdString();
    for (QTreeWidgetItem* item : found)
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

QList<std::pair<QString, QString>> DictionaryRows(const QString& keywordsFile) {
    QList<std::pair<QString, QString>> rows;
    for (const QVariantList& row : testsupport::Query(
             keywordsFile, QStringLiteral("SELECT Keyword, Description FROM tblKeywords ORDER "
                                          "BY rowid")))
        rows.append({row.value(0).toString(), row.value(1).toString()});
    return rows;
}

void OnImportWindow(std::function<void(frmKeyUpdate*)> whileOpen) {
    QTimer::singleShot(0, [whileOpen] {
        frmKeyUpdate* window = ImportWindow();
        if (window == nullptr) {
            ADD_FAILURE() << "the import window is not open";
            return;
        }
        whileOpen(window);
    });
}

frmKeyUpdate* ImportFixture::StartWithCommandLine(const QString& commandLine) {
    modMain::testing::SetCommandLine(commandLine);
    modMain::Main();
    return ImportWindow();
}

std::ostream& operator<<(std::ostream& out, const Listed& item) {
    return out << '{' << item.keyword.toStdString() << ", " << item.description.toStdString()
               << ", marker \"" << item.marker.toStdString() << "\", "
               << (item.checked ? "checked" : "unchecked") << '}';
}

} // namespace importtest
