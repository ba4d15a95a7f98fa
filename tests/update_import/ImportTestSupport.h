#pragma once

// What the update-import tests share: update files made the way users get them, the import
// window as the program opens it, and plain reads of what it shows and what it wrote.

#include "TestSupport.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <ostream>
#include <utility>
#include <vector>

class frmKeyUpdate;

namespace importtest {

// Rows of an update file: keyword and description, either of which may be a null QVariant.
using UpdateRows = std::vector<std::pair<QVariant, QVariant>>;

// Made by the program's own tool (case-insensitive column, write-ahead log), or by the stock
// sqlite3 tool with a plain CREATE TABLE and a rollback journal.
enum class Maker { Program, StockTool };

void WriteUpdateFile(const QString& path, const UpdateRows& rows, Maker maker = Maker::StockTool);
// Adds rows to an existing tblKeywords in one transaction.
void AppendRows(const QString& path, const UpdateRows& rows);

// The loaded import window, or nullptr.
frmKeyUpdate* ImportWindow();

struct Listed {
    QString keyword;
    QString description;
    QString marker;
    bool checked = false;
    bool operator==(const Listed& o) const {
        return keyword == o.keyword && description == o.description && marker == o.marker &&
               checked == o.checked;
    }
};
QList<Listed> ListedItems(const frmKeyUpdate* window);
void SetChecked(frmKeyUpdate* window, const QString& keyword, bool checked);

// The dictionary's rows in the order they were written.
QList<std::pair<QString, QString>> DictionaryRows(const QString& keywordsFile);

// Runs `whileOpen` on the import window once it is up: for the modal window of the main window,
// whose exec() returns only when the window has gone.
void OnImportWindow(std::function<void(frmKeyUpdate*)> whileOpen);

class ImportFixture : public testsupport::ProgramFixture {
protected:
    // Starts the program with `commandLine` as a double click on an update file would.
    frmKeyUpdate* StartWithCommandLine(const QString& commandLine);
    QString UpdatePath(const QString& name) const {
        return folder.path() + QLatin1Char('/') + name;
    }
};

std::ostream& operator<<(std::ostream& out, const Listed& item);

} // namespace importtest
