#include "dictionary/KeywordTable.h"

#include "app/modMain.h"
#include "data/CaseFold.h"

namespace dictionary {

KeywordTable::KeywordTable() {
    QString path = modMain::AppPath() + QStringLiteral("/keywords.dll");
    opened_ = modDB::OpenConnection(connection_, path);
    const modDB::Status query =
        modDB::OpenRecordset(recordset_, connection_, QStringLiteral("select * from tblKeywords"));
    if (opened_)
        opened_ = query;
}

void KeywordTable::close() {
    if (recordset_)
        recordset_->Close();
    if (connection_)
        connection_->Close();
}

bool IsKeyword(const QVariant& field, const QString& text) {
    if (!field.isValid() || field.isNull())
        return false;
    return modDB::EqualNoCase(field.toString(), text);
}

} // namespace dictionary
