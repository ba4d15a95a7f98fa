// The journal's durable writes: every update the editor stores reaches the disk on its own.

#include "Bench.h"
#include "core/JournalStore.h"

#include <QFile>

#include <cstdio>
#include <sqlite3.h>

// 10,000 single-row updates, each durable on its own: the program's write-ahead log with NORMAL
// sync, against the rollback journal with FULL sync.
ONEIRION_BENCHMARK("data.update.10k") {
    const int rows = 10000;
    const QString file =
        bench::ProgramFolder({},
                             [](const QString& folder) {
                                 bench::FillJournal(folder + QStringLiteral("/Dreams.dll"), rows);
                             }) +
        QStringLiteral("/Dreams.dll");
    int failed = 0;
    double project = 0;
    {
        Result<std::unique_ptr<JournalStore>> journal = JournalStore::open(file);
        std::vector<JournalEntry> entries =
            journal ? (*journal)->entries().value_or({}) : std::vector<JournalEntry>();
        project = bench::BestOfMs(1, [&] {
            int i = 0;
            for (JournalEntry& entry : entries) {
                entry.text = QStringLiteral("changed %1").arg(i++);
                failed += (*journal)->update(entry) ? 0 : 1;
            }
        });
        if (failed > 0 || int(entries.size()) != rows)
            std::fprintf(stderr, "data.update.10k: %d of %d updates failed\n", failed,
                         int(entries.size()));
    }

    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE tblDreams SET journaltext = ?1 WHERE ID = ?2", -1, &update,
                       nullptr);
    const double reference = bench::BestOfMs(1, [&] {
        for (int i = 1; i <= rows; ++i) {
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
