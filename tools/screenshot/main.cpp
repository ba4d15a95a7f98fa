// oneirion-screenshot OUTPUT_FOLDER [WIDTH HEIGHT]
// Starts the real program on a sample journal in a temporary program folder and saves a picture
// of each panel, as a person would see them. Run it under a real display (Xvfb is enough).

#include "DataFiles.h"
#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/modDB.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>

#include <cstdio>
#include <sqlite3.h>

namespace {

void addEntry(const QString& dreams, int year, int month, int day, const char* name,
              const char* text) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(dreams).constData(), &db);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblDreams (Year, Month, Day, JournalName, journaltext) "
                       "VALUES (?1, ?2, ?3, ?4, ?5)",
                       -1, &insert, nullptr);
    sqlite3_bind_int(insert, 1, year);
    sqlite3_bind_int(insert, 2, month);
    sqlite3_bind_int(insert, 3, day);
    sqlite3_bind_text(insert, 4, name, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 5, text, -1, SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(40);
    }
}

void save(QWidget* window, const QString& path) {
    settle();
    if (window->grab().save(path))
        std::printf("wrote %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        const QString path = home.path() + QLatin1Char('/') + QString::fromLatin1(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(path));
    }
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/oneirion.svg")));
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 2) {
        std::fprintf(stderr, "usage: oneirion-screenshot OUTPUT_FOLDER [WIDTH HEIGHT]\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);

    QTemporaryDir program;
    QFile source(QStringLiteral(ONEIRION_DICTIONARY_SOURCE));
    source.open(QIODevice::ReadOnly);
    std::vector<modDataFiles::Entry> dictionary;
    modDataFiles::ParseDictionary(source.readAll(), dictionary);
    const QString dreams = program.filePath(QStringLiteral("Dreams.dll"));
    modDataFiles::CreateDreams(dreams);
    modDataFiles::CreateKeywords(program.filePath(QStringLiteral("Keywords.dll")), dictionary);
    addEntry(dreams, 2026, 11, 3, "The flooded library",
             "I was in an old library and water was rising between the shelves. A black cat sat "
             "on a ladder, watching me. I tried to save the books but my hands were full of keys. "
             "Then the ceiling opened and I could fly, up over a city at night.");
    addEntry(dreams, 2026, 11, 19, "Lost teeth", "At a wedding my teeth started falling out.");
    addEntry(dreams, 2026, 12, 1, "Train to the sea", "A train took me to the sea at sunrise.");
    addEntry(dreams, 2025, 7, 14, "Chased through a forest",
             "Something chased me through a forest.");

    modMain::testing::SetAppPath(program.path());
    modMain::testing::SetCommandLine(QString());
    modMain::Main();
    frmMain* window = nullptr;
    for (QWidget* form : modMain::LoadedForms())
        window = qobject_cast<frmMain*>(form) ? qobject_cast<frmMain*>(form) : window;
    if (window == nullptr) {
        std::fprintf(stderr, "the main window did not load\n");
        return 1;
    }
    if (argc >= 4)
        window->resize(QString::fromLatin1(argv[2]).toInt(), QString::fromLatin1(argv[3]).toInt());
    window->tvDreams->expandAll();
    save(window, output + QStringLiteral("/home.png"));

    // The first entry, opened as a click on its node opens it.
    QTreeWidgetItem* entry = window->tvDreams
                                 ->findItems(QStringLiteral("The flooded library"),
                                             Qt::MatchStartsWith | Qt::MatchRecursive)
                                 .value(0);
    if (entry != nullptr) {
        window->tvDreams->setCurrentItem(entry);
        window->tvDreams_NodeClick(entry);
    }
    save(window, output + QStringLiteral("/journal.png"));
    // The analysis saves first; answer its message as a user would.
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    window->cmdAnalyze_Click();
    save(window, output + QStringLiteral("/analysis.png"));
    window->cmdBackToDreamDictionary_Click();
    window->txtSearch->setText(QStringLiteral("water"));
    if (window->lstKeywords->count() > 0)
        window->lstKeywords->setCurrentRow(0);
    save(window, output + QStringLiteral("/dictionary.png"));
    window->mnuAbout_Click();
    save(window, output + QStringLiteral("/about.png"));

    modDB::SimulateFault(QString(), modDB::SimulatedFault::None);
    window->hide();
    return 0;
}
