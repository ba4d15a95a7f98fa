// The update import at full size, against a 20,000-keyword dictionary: loading a 100,000-keyword
// update file into the import window, and merging 20,000 checked keywords, half of them new.
// Each figure stands beside the naive way of the same work, measured in the same run.

#include "Bench.h"
#include "DataFiles.h"
#include "app/MsgBox.h"
#include "app/modMain.h"
#include "data/CaseFold.h"
#include "data/SqliteStatement.h"
#include "data/modDB.h"
#include "update_import/frmKeyUpdate.h"

#include <QFile>
#include <QHash>
#include <QRadioButton>
#include <QTreeWidget>

#include <cstdio>

namespace {

const int kKeywords = 20000;
const QString kMeaning =
    QStringLiteral("A meaning of some sixty characters, as most meanings are.");

QString keyword(int number) {
    return QStringLiteral("Keyword%1").arg(number, 6, 10, QLatin1Char('0'));
}

struct Files {
    QString dictionary; // pristine: every run works on a copy
    QString update20k;
    QString update100k;
};

// The dictionary holds keywords 0 to 19,999. The updates start at 10,000, so that the half of
// the small one and a tenth of the large one are known, written in capitals.
const Files& files() {
    static const Files made = [] {
        auto entries = [](int first, int count, const QString& meaning) {
            std::vector<modDataFiles::Entry> rows;
            for (int i = first; i < first + count; ++i)
                rows.push_back(
                    {i < kKeywords && first > 0 ? keyword(i).toUpper() : keyword(i), meaning});
            return rows;
        };
        const QString folder = bench::TempFolder();
        Files f{folder + QStringLiteral("/Keywords.dll"), folder + QStringLiteral("/20k.udj"),
                folder + QStringLiteral("/100k.udj")};
        const QString updated = QStringLiteral("Updated: ") + kMeaning;
        modDataFiles::CreateKeywords(f.dictionary, entries(0, kKeywords, kMeaning));
        modDataFiles::CreateKeywords(f.update20k, entries(kKeywords / 2, kKeywords, updated));
        modDataFiles::CreateKeywords(f.update100k, entries(kKeywords / 2, 100000, updated));
        return f;
    }();
    return made;
}

// A program folder holding a fresh copy of the dictionary (or an empty one), opened as start-up
// opens it. Gives the copy's path.
QString programFolder(bool withDictionary = true) {
    return bench::ProgramFolder({},
                                [withDictionary](const QString& folder) {
                                    const QString copy = folder + QStringLiteral("/Keywords.dll");
                                    if (withDictionary && QFile::remove(copy))
                                        QFile::copy(files().dictionary, copy);
                                }) +
           QStringLiteral("/Keywords.dll");
}

void closeSharedData() {
    modDB::rsKeywords.reset();
    modDB::cnKeywords.reset();
    modDB::rsDreams.reset();
    modDB::cnDreams.reset();
}

frmKeyUpdate* loadedWindow(const QString& update) {
    auto* window = new frmKeyUpdate;
    window->FileName(update);
    window->ProcessUpdateData();
    return window;
}

int checkedCount(const frmKeyUpdate* window) {
    const auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    int checked = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        checked += list->topLevelItem(i)->checkState(0) == Qt::Checked;
    return checked;
}

std::vector<QString> dictionaryKeywords() {
    std::vector<QString> keywords;
    for (int i = 0; i < kKeywords; ++i)
        keywords.push_back(keyword(i));
    return keywords;
}

} // namespace

// Opening the update file: read, listed, every keyword looked up, the new ones first.
ONEIRION_BENCHMARK("import.load.100k") {
    programFolder();
    int checked = 0;
    const double project = bench::BestOfMs(3, [&] {
        frmKeyUpdate* window = loadedWindow(files().update100k);
        checked = checkedCount(window);
        delete window;
    });
    if (checked != 100000 - kKeywords / 2)
        std::fprintf(stderr, "import.load.100k: %d keywords checked\n", checked);
    closeSharedData();

    // The naive way: the same list, each keyword looked up by comparing it with every keyword
    // of the dictionary. The lookups are timed on a sample and scaled to all of them.
    programFolder(false);
    const double listOnly = bench::BestOfMs(3, [] { delete loadedWindow(files().update100k); });
    closeSharedData();
    const std::vector<QString> dictionary = dictionaryKeywords();
    const int sample = 2000;
    long found = 0;
    const double lookups = bench::BestOfMs(1, [&] {
        for (int i = 0; i < sample; ++i) {
            const QString wanted = keyword(kKeywords / 2 + i * 50).toUpper();
            for (const QString& known : dictionary)
                found += modDB::EqualNoCase(known, wanted) ? 1 : 0;
        }
    });
    return {project, listOnly + lookups * (100000.0 / sample)};
}

// Importing 20,000 checked keywords with "Overwrite": 10,000 rows added and 10,000 changed, in
// one transaction, beside the same writes committed one keyword at a time.
ONEIRION_BENCHMARK("import.merge.20k") {
    programFolder();
    frmKeyUpdate* window = loadedWindow(files().update20k);
    auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setCheckState(0, Qt::Checked);
    window->findChild<QRadioButton*>(QStringLiteral("optOption_0"))->setChecked(true);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    const double project = bench::BestOfMs(1, [&] { window->cmdImport_Click(); });
    const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
    modDB::rsKeywords->Requery(); // as the analysis does before it reads
    if (modDB::rsKeywords->RecordCount() != kKeywords / 2 * 3 || shown.size() != 1 ||
        shown.first().icon != MsgBox::Icon::Information)
        std::fprintf(stderr, "import.merge.20k: the dictionary holds %ld rows\n",
                     modDB::rsKeywords->RecordCount());
    delete window;
    closeSharedData();

    // The reference: the same lookups in memory and the same statements, each keyword its own
    // transaction.
    modDB::ConnectionPtr connection;
    const modDB::Status opened = modDB::OpenDatabaseFile(connection, programFolder());
    closeSharedData();
    sqlite3* db = connection->handle();
    int rc;
    const double naive = bench::BestOfMs(1, [&] {
        QHash<QString, qint64> rows;
        const modDB::StatementPtr select =
            modDB::Prepare(db, "SELECT rowid, Keyword FROM tblKeywords", rc);
        while (sqlite3_step(select.get()) == SQLITE_ROW)
            rows.insert(modDB::FoldCase(modDB::ColumnText(select.get(), 1)),
                        sqlite3_column_int64(select.get(), 0));
        const modDB::StatementPtr insert = modDB::Prepare(
            db, "INSERT INTO tblKeywords (Keyword, Description) VALUES (?1, ?2)", rc);
        const modDB::StatementPtr update =
            modDB::Prepare(db, "UPDATE tblKeywords SET Description = ?1 WHERE rowid = ?2", rc);
        const QByteArray meaning = (QStringLiteral("Updated: ") + kMeaning).toUtf8();
        for (int i = kKeywords / 2; i < kKeywords / 2 * 3; ++i) {
            const QByteArray text = keyword(i).toUpper().toUtf8();
            const auto found = rows.constFind(modDB::FoldCase(keyword(i)));
            sqlite3_stmt* write = found == rows.constEnd() ? insert.get() : update.get();
            if (write == insert.get()) {
                sqlite3_bind_text(write, 1, text.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(write, 2, meaning.constData(), -1, SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_text(write, 1, meaning.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int64(write, 2, found.value());
            }
            sqlite3_step(write);
            sqlite3_reset(write);
        }
    });
    int rows = 0;
    const modDB::StatementPtr count = modDB::Prepare(db, "SELECT count(*) FROM tblKeywords", rc);
    if (opened && sqlite3_step(count.get()) == SQLITE_ROW)
        rows = sqlite3_column_int(count.get(), 0);
    if (rows != kKeywords / 2 * 3)
        std::fprintf(stderr, "import.merge.20k: the reference left %d rows\n", rows);
    connection.reset();
    return {project, naive};
}
