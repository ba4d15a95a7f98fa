#include "CoreTestSupport.h"

#include <QFile>
#include <QProcess>

#include <linux/capability.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace coretest {
namespace {

void bind(sqlite3_stmt* statement, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& value = params[i];
        if (value.isNull())
            sqlite3_bind_null(statement, i + 1);
        else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(statement, i + 1, value.toLongLong());
        else
            sqlite3_bind_text(statement, i + 1, value.toString().toUtf8().constData(), -1,
                              SQLITE_TRANSIENT);
    }
}

// The capabilities that let a process pass over permission bits.
constexpr quint32 kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool setEffectiveOverrides(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    const quint32 before = data[0].effective;
    data[0].effective = on ? (before | (kOverrides & data[0].permitted)) : (before & ~kOverrides);
    if (data[0].effective == before)
        return false;
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

QList<QVariantList> query(const QString& file, const QString& sql, const QVariantList& params) {
    QList<QVariantList> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << file.toStdString();
        sqlite3_close(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(db);
        sqlite3_close(db);
        return rows;
    }
    bind(statement, params);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QVariantList row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_INTEGER:
                row << QVariant(qlonglong(sqlite3_column_int64(statement, i)));
                break;
            case SQLITE_NULL:
                row << QVariant();
                break;
            default:
                row << QVariant(QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, i))));
            }
        }
        rows << row;
    }
    if (rc != SQLITE_DONE)
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

void exec(const QString& file, const QString& sql, const QVariantList& params) {
    query(file, sql, params);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int fileMode(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

QByteArray dump(const QString& file) {
    QProcess tool;
    tool.start(QStringLiteral("sqlite3"),
               {QStringLiteral("-readonly"), file, QStringLiteral(".dump")});
    EXPECT_TRUE(tool.waitForFinished(30000)) << "the sqlite3 tool is missing";
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    return tool.readAllStandardOutput();
}

void createJournal(const QString& path) {
    const auto created = modDataFiles::CreateDreams(path);
    ASSERT_TRUE(created.ok) << created.message.toStdString();
}

void createDictionary(const QString& path, const std::vector<modDataFiles::Entry>& entries) {
    const auto created = modDataFiles::CreateKeywords(path, entries);
    ASSERT_TRUE(created.ok) << created.message.toStdString();
}

PermissionsApply::PermissionsApply()
    : lowered_(setEffectiveOverrides(false)) {}

PermissionsApply::~PermissionsApply() {
    if (lowered_)
        setEffectiveOverrides(true);
}

} // namespace coretest
