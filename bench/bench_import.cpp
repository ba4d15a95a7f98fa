// The update import at full size: a 20,000-keyword dictionary and a 20,000-keyword update file,
// half of whose keywords are new. Each figure stands beside the naive cost of the same work
// measured in the same run: a full re-read of the dictionary for every Requery and a scan of
// every row for every filter.

#include "Bench.h"
#include "DataFiles.h"
#include "app/MsgBox.h"
#include "data/CaseFold.h"
#include "data/modDB.h"
#include "update_import/frmKeyUpdate.h"

#include <QFile>
#include <QRadioButton>
#include <QTreeWidget>

#include <cstdio>

namespace {

const int kKeywords = 20000;
const QString kMeaning =
    QStringLiteral("A meaning of some sixty characters, as most meanings are.");

struct Files {
    QString dictionary; // pristine: every run works on a copy
    QString update;
};

// The dictionary holds Keyword00000 to Keyword19999; the update holds Keyword10000 to
// Keyword29999, the half the dictionary knows written in capitals.
const Files& files() {
    static const Files made = [] {
        std::vector<modDataFiles::Entry> dictionary, update;
        for (int i = 0; i < kKeywords; ++i)
            dictionary.push_back(
                {QStringLiteral("Keyword%1").arg(i, 5, 10, QLatin1Char('0')), kMeaning});
        for (int i = kKeywords / 2; i < kKeywords / 2 * 3; ++i) {
            QString keyword = QStringLiteral("Keyword%1").arg(i, 5, 10, QLatin1Char('0'));
            if (i < kKeywords)
                keyword = keyword.toUpper();
            update.push_back({keyword, QStringLiteral("Updated: ") + kMeaning});
        }
        const QString folder = bench::TempFolder();
        Files f{folder + QStringLiteral("/Keywords.dll"), folder + QStringLiteral("/update.udj")};
        modDataFiles::CreateKeywords(f.dictionary, dictionary);
        modDataFiles::CreateKeywords(f.update, update);
        return f;
    }();
    return made;
}

// A fresh copy of the dictionary, opened as start-up opens it.
void openDictionaryCopy() {
    QString copy = bench::TempFolder() + QStringLiteral("/Keywords.dll");
    QFile::copy(files().dictionary, copy);
    modDB::OpenConnection(modDB::cnKeywords, copy);
    modDB::OpenRecordset(modDB::rsKeywords, modDB::cnKeywords,
                         QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
}

void closeDictionary() {
    modDB::rsKeywords.reset();
    modDB::cnKeywords.reset();
}

frmKeyUpdate* loadedWindow() {
    auto* window = new frmKeyUpdate;
    window->FileName(files().update);
    window->ProcessUpdateData();
    return window;
}

// The naive filter: every row compared, the matches collected.
std::vector<int> scan(const std::vector<QString>& keywords, const QString& wanted) {
    std::vector<int> visible;
    for (int i = 0; i < int(keywords.size()); ++i) {
        if (modDB::EqualNoCase(keywords[size_t(i)], wanted))
            visible.push_back(i);
    }
    return visible;
}

std::vector<QString> keywordsOf(modDB::Recordset& recordset) {
    std::vector<QString> keywords;
    for (recordset.MoveFirst(); !recordset.EOF_(); recordset.MoveNext())
        keywords.push_back(recordset.Field(QStringLiteral("Keyword")).toString());
    return keywords;
}

} // namespace

// Opening the update file: the list filled, every keyword looked up, the new ones first.
ONEIRION_BENCHMARK("import.load.20k") {
    openDictionaryCopy();
    int checked = 0;
    const double project = bench::BestOfMs(3, [&] {
        frmKeyUpdate* window = loadedWindow();
        checked = 0;
        for (int i = 0; i < window->ListView1->topLevelItemCount(); ++i)
            checked += window->ListView1->topLevelItem(i)->checkState(0) == Qt::Checked;
        delete window;
    });
    if (checked != kKeywords / 2)
        std::fprintf(stderr, "import.load.20k: %d keywords checked, not %d\n", checked,
                     kKeywords / 2);

    // The same load without the lookups, plus the lookups done by scanning: a sample of the
    // update's keywords, scaled to all of them.
    const std::vector<QString> dictionary = keywordsOf(*modDB::rsKeywords);
    modDB::RecordsetPtr shared = std::move(modDB::rsKeywords);
    const double listOnly = bench::BestOfMs(3, [] { delete loadedWindow(); });
    modDB::rsKeywords = std::move(shared);
    const int sample = 2000;
    long found = 0;
    const double lookups = bench::BestOfMs(1, [&] {
        std::vector<int> all(dictionary.size());
        for (int i = 0; i < sample; ++i) {
            const QString wanted =
                QStringLiteral("KEYWORD%1").arg(kKeywords / 2 + i * 10, 5, 10, QLatin1Char('0'));
            found += long(scan(dictionary, wanted).size());
            for (size_t row = 0; row < all.size(); ++row) // the cleared filter: every row again
                all[row] = int(row);
        }
    });
    closeDictionary();
    return {project, listOnly + lookups * (double(kKeywords) / sample)};
}

// Importing all 20,000 keywords with "Overwrite": 10,000 rows added and 10,000 changed, each
// written on its own.
ONEIRION_BENCHMARK("import.merge.20k") {
    openDictionaryCopy();
    frmKeyUpdate* window = loadedWindow();
    for (int i = 0; i < window->ListView1->topLevelItemCount(); ++i)
        window->ListView1->topLevelItem(i)->setCheckState(0, Qt::Checked);
    window->optOption[0]->setChecked(true);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    const double project = bench::BestOfMs(1, [&] { window->cmdImport_Click(); });
    const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
    if (modDB::rsKeywords->RecordCount() != kKeywords / 2 * 3 || shown.size() != 1 ||
        shown.first().icon != MsgBox::Icon::Information)
        std::fprintf(stderr, "import.merge.20k: the dictionary holds %ld rows\n",
                     modDB::rsKeywords->RecordCount());
    delete window;
    closeDictionary();

    // The naive merge: a fresh read of the whole dictionary for each keyword, then a scan of it
    // for the keyword, then the same single-row write. Half the sample new, half existing.
    openDictionaryCopy();
    const int sample = 100;
    const double naive = bench::BestOfMs(1, [&] {
        for (int i = 0; i < sample; ++i) {
            const int number = i % 2 == 0 ? kKeywords + i : kKeywords / 2 + i;
            const QString keyword =
                QStringLiteral("KEYWORD%1").arg(number, 5, 10, QLatin1Char('0'));
            modDB::RecordsetPtr fresh;
            modDB::OpenRecordset(fresh, modDB::cnKeywords,
                                 QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
            bool exists = false;
            for (fresh->MoveFirst(); !fresh->EOF_(); fresh->MoveNext()) {
                if (modDB::EqualNoCase(fresh->Field(QStringLiteral("Keyword")).toString(),
                                       keyword)) {
                    exists = true;
                    break;
                }
            }
            if (!exists) {
                fresh->AddNew();
                fresh->SetField(QStringLiteral("Keyword"), keyword);
            }
            fresh->SetField(QStringLiteral("Description"), kMeaning);
            fresh->Update();
        }
    });
    closeDictionary();
    return {project, naive * (double(kKeywords) / sample)};
}
