// The update import at full size, against a 20,000-keyword dictionary: loading a 100,000-keyword
// update file into the import window, and merging 20,000 checked keywords, half of them new.
// Each figure stands beside the naive way of the same work, measured in the same run.

#include "Bench.h"
#include "DataFiles.h"
#include "core/CaseFold.h"
#include "core/Database.h"
#include "core/KeywordStore.h"
#include "update_import/ImportDialog.h"

#include <QFile>
#include <QHash>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <cstdio>

namespace {

const int kKeywords = 20000;

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
        const QString updated = QStringLiteral("Updated: ") + bench::kMeaning;
        modDataFiles::CreateKeywords(f.dictionary, entries(0, kKeywords, bench::kMeaning));
        modDataFiles::CreateKeywords(f.update20k, entries(kKeywords / 2, kKeywords, updated));
        modDataFiles::CreateKeywords(f.update100k, entries(kKeywords / 2, 100000, updated));
        return f;
    }();
    return made;
}

// A program folder holding a fresh copy of the dictionary (or an empty one), the dictionary
// opened as the program opens it.
struct Dictionary {
    explicit Dictionary(bool filled = true)
        : folder(bench::ProgramFolder({},
                                      [filled](const QString& folder) {
                                          const QString copy =
                                              folder + QStringLiteral("/Keywords.dll");
                                          if (filled && QFile::remove(copy))
                                              QFile::copy(files().dictionary, copy);
                                      }))
        , opened(KeywordStore::open(file())) {}

    QString file() const { return folder + QStringLiteral("/Keywords.dll"); }
    KeywordStore& store() { return **opened; }
    // The import window, as the program opens it on `update`.
    ImportDialog* loadedWindow(const QString& update) {
        auto* window = new ImportDialog(store(), {folder + QStringLiteral("/Dreams.dll"), file()});
        window->load(update);
        return window;
    }

    QString folder;
    Result<std::unique_ptr<KeywordStore>> opened;
};

int checkedCount(const ImportDialog* window) {
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
    int checked = 0;
    Dictionary dictionary;
    const double project = bench::BestOfMs(3, [&] {
        ImportDialog* window = dictionary.loadedWindow(files().update100k);
        checked = checkedCount(window);
        delete window;
    });
    if (checked != 100000 - kKeywords / 2)
        std::fprintf(stderr, "import.load.100k: %d keywords checked\n", checked);

    // The naive way: the same list, each keyword looked up by comparing it with every keyword
    // of the dictionary. The lookups are timed on a sample and scaled to all of them.
    Dictionary empty(false);
    const double listOnly =
        bench::BestOfMs(3, [&] { delete empty.loadedWindow(files().update100k); });
    const std::vector<QString> known = dictionaryKeywords();
    const int sample = 2000;
    long found = 0;
    const double lookups = bench::BestOfMs(1, [&] {
        for (int i = 0; i < sample; ++i) {
            const QString wanted = keyword(kKeywords / 2 + i * 50).toUpper();
            for (const QString& k : known)
                found += CaseFold::equal(k, wanted) ? 1 : 0;
        }
    });
    return {project, listOnly + lookups * (100000.0 / sample)};
}

// Importing 20,000 checked keywords with "Overwrite": 10,000 rows added and 10,000 changed, in
// one transaction, beside the same writes committed one keyword at a time.
ONEIRION_BENCHMARK("import.merge.20k") {
    double project = 0;
    {
        Dictionary dictionary;
        const QPointer<ImportDialog> window = dictionary.loadedWindow(files().update20k);
        auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setCheckState(0, Qt::Checked);
        window->findChild<QRadioButton*>(QStringLiteral("optOption_0"))->setChecked(true);
        auto* import = window->findChild<QPushButton*>(QStringLiteral("cmdImport"));
        bench::TakeMessages();
        project = bench::BestOfMs(1, [&] { import->click(); });
        const QList<MessageBox::Message> shown = bench::TakeMessages();
        const qsizetype rows = dictionary.store().foldedKeywords().value_or({}).size();
        if (rows != kKeywords / 2 * 3 || shown.size() != 1 ||
            shown.first().icon != MessageBox::Icon::Information)
            std::fprintf(stderr, "import.merge.20k: the dictionary holds %d keywords\n", int(rows));
        delete window.data();
    }

    // The reference: the same lookups in memory and the same statements, each keyword its own
    // transaction.
    const Dictionary copy;
    Result<std::unique_ptr<Database>> opened =
        Database::open(copy.file(), Database::Access::ReadWrite);
    Database& db = **opened;
    const double naive = bench::BestOfMs(1, [&] {
        QHash<QString, qint64> rows;
        auto select = db.query("SELECT rowid, Keyword FROM tblKeywords");
        while (select->next())
            rows.insert(CaseFold::fold(select->text(1)), select->integer(0));
        const QString meaning = QStringLiteral("Updated: ") + bench::kMeaning;
        for (int i = kKeywords / 2; i < kKeywords / 2 * 3; ++i) {
            const auto found = rows.constFind(CaseFold::fold(keyword(i)));
            const Status written =
                found == rows.constEnd()
                    ? db.execute("INSERT INTO tblKeywords (Keyword, Description) VALUES (?1, ?2)",
                                 {keyword(i).toUpper(), meaning})
                    : db.execute("UPDATE tblKeywords SET Description = ?1 WHERE rowid = ?2",
                                 {meaning, found.value()});
            if (!written)
                std::fprintf(stderr, "import.merge.20k: %s\n", qPrintable(written.errorMessage()));
        }
    });
    auto count = db.query("SELECT count(*) FROM tblKeywords");
    const qint64 rows = count && count->next() ? count->integer(0) : 0;
    if (rows != kKeywords / 2 * 3)
        std::fprintf(stderr, "import.merge.20k: the reference left %d rows\n", int(rows));
    return {project, naive};
}
