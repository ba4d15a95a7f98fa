// The data store under the load an import puts on it.

#include "Bench.h"
#include "DataFiles.h"
#include "data/CaseFold.h"
#include "data/QueryText.h"
#include "data/modDB.h"

#include <QFile>

#include <sqlite3.h>

namespace {

const int kRows = 20000;

QString keyword(int i) {
    return QStringLiteral("Keyword%1").arg(i);
}

QString dictionaryFile(int rows) {
    std::vector<modDataFiles::Entry> entries;
    for (int i = 0; i < rows; ++i)
        entries.push_back(
            {keyword(i),
             QStringLiteral("A meaning of some sixty characters, as most meanings are.")});
    const QString path = bench::TempFolder() + QStringLiteral("/Keywords.dll");
    modDataFiles::CreateKeywords(path, entries);
    return path;
}

modDB::RecordsetPtr openKeywords(const QString& file, modDB::ConnectionPtr& cn) {
    QString path = file;
    modDB::OpenConnection(cn, path);
    modDB::RecordsetPtr rs;
    modDB::OpenRecordset(rs, cn, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
    return rs;
}

} // namespace

// 20,000 pairs of a keyword filter and a cleared filter, as an import sets them.
ONEIRION_BENCHMARK("data.filter.20k") {
    const QString file = dictionaryFile(kRows);
    modDB::ConnectionPtr cn;
    modDB::RecordsetPtr rs = openKeywords(file, cn);
    QStringList filters;
    for (int i = 0; i < kRows; ++i)
        filters << modDB::QueryText::EqualsFilter(QStringLiteral("Keyword"),
                                                  keyword((i * 7919) % kRows).toUpper());

    long found = 0;
    const double project = bench::BestOfMs(3, [&] {
        for (const QString& filter : filters) {
            rs->Filter(filter);
            found += rs->RecordCount();
            rs->Filter(QString());
        }
    });

    // The naive filter: a case-insensitive scan of every row.
    std::vector<QString> keywords;
    for (rs->MoveFirst(); !rs->EOF_(); rs->MoveNext())
        keywords.push_back(rs->Field(QStringLiteral("Keyword")).toString());
    const double reference =
        bench::BestOfMs(1,
                        [&] {
                            for (int i = 0; i < 2000; ++i) {
                                const QString wanted = keyword((i * 7919) % kRows).toUpper();
                                for (const QString& k : keywords)
                                    found += modDB::EqualNoCase(k, wanted) ? 1 : 0;
                            }
                        }) *
        (kRows / 2000.0);
    return {project, reference};
}

// A Requery when nothing changed, against the full re-read it replaces.
ONEIRION_BENCHMARK("data.requery.20k") {
    const QString file = dictionaryFile(kRows);
    modDB::ConnectionPtr cn;
    modDB::RecordsetPtr rs = openKeywords(file, cn);
    const double project = bench::BestOfMs(5,
                                           [&] {
                                               for (int i = 0; i < 100; ++i)
                                                   rs->Requery();
                                           }) /
                           100;
    // The full re-read: every row of the query, read from the file into memory.
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    const double reference = bench::BestOfMs(3, [&] {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, * FROM tblKeywords ORDER BY Keyword COLLATE NOCASE",
                           -1, &select, nullptr);
        std::vector<std::pair<QString, QString>> rows;
        while (sqlite3_step(select) == SQLITE_ROW)
            rows.emplace_back(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 1))),
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 2))));
        sqlite3_finalize(select);
    });
    sqlite3_close(db);
    return {project, reference};
}

// 10,000 single-row updates, each durable on its own: the program's write-ahead log with NORMAL
// sync, against the rollback journal with FULL sync.
ONEIRION_BENCHMARK("data.update.10k") {
    const QString file = dictionaryFile(10000);
    modDB::ConnectionPtr cn;
    modDB::RecordsetPtr rs = openKeywords(file, cn);
    const double project = bench::BestOfMs(1, [&] {
        int i = 0;
        for (rs->MoveFirst(); !rs->EOF_(); rs->MoveNext()) {
            rs->SetField(QStringLiteral("Description"), QStringLiteral("changed %1").arg(i++));
            rs->Update();
        }
    });
    rs->Close();
    cn->Close();

    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE tblKeywords SET Description = ?1 WHERE rowid = ?2", -1, &update,
                       nullptr);
    const double reference = bench::BestOfMs(1, [&] {
        for (int i = 1; i <= 10000; ++i) {
            const QByteArray text = QStringLiteral("again %1").arg(i).toUtf8();
            sqlite3_bind_text(update, 1, text.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(update, 2, i);
            sqlite3_step(update);
            sqlite3_reset(update);
        }
    });
    sqlite3_finalize(update);
    sqlite3_close(db);
    return {project, reference};
}
