#pragma once

// The dictionary as each handler of the panel reads it: a connection and a recordset of its own
// on Keywords.dll, closed when the handler is done with them.

#include "data/modDB.h"

#include <QString>
#include <QVariant>

namespace dictionary {

inline const QString kKeywordColumn = QStringLiteral("Keyword");
inline const QString kDescriptionColumn = QStringLiteral("Description");

class KeywordTable {
public:
    // Opens Keywords.dll in the program folder and reads every row of tblKeywords.
    KeywordTable();
    ~KeywordTable() { close(); }
    KeywordTable(const KeywordTable&) = delete;
    KeywordTable& operator=(const KeywordTable&) = delete;

    // Why the table could not be opened, if it could not.
    const modDB::Status& openStatus() const { return opened_; }
    modDB::Recordset& rows() { return *recordset_; }

    // Calls `visit(recordset)` on every row, in the table's own order, until it returns false.
    // The count is taken once, before the walk, and held in a type that fits any table.
    template <typename Visit>
    void forEachRow(Visit visit) {
        if (!opened_)
            return;
        recordset_->MoveFirst();
        const long count = recordset_->RecordCount();
        for (long i = 0; i < count; ++i) {
            if (!visit(*recordset_))
                return;
            recordset_->MoveNext();
        }
    }

    // Closes the recordset, then the connection.
    void close();

private:
    modDB::ConnectionPtr connection_;
    modDB::RecordsetPtr recordset_;
    modDB::Status opened_ = modDB::Status::Ok();
};

// Whether a field holds a keyword equal to `text`, ignoring case. NULL equals nothing.
bool IsKeyword(const QVariant& field, const QString& text);

} // namespace dictionary
