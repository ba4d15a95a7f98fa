// oneirion-screenshot OUTPUT_FOLDER [--dark] [--maximized | WIDTH HEIGHT]
// Starts the real program on a sample journal in a temporary program folder and saves a picture
// of each panel, as a person would see them, at the window's default size unless told otherwise.
// --dark shows it in the Fusion style with a dark palette, as on a dark desktop, and adds
// "-dark" to the file names. Run it under a real display (Xvfb is enough).

#include "DataFiles.h"
#include "app/Application.h"
#include "gui/MessageBox.h"
#include "gui/Widgets.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
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

// The export window, as the Journal menu opens it, with a range of days and the symbols chosen.
void saveExportWindow(QWidget* window, const QString& path) {
    QTimer::singleShot(0, [path] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != QLatin1String("frmExport"))
            return;
        dialog->findChild<QRadioButton*>(QStringLiteral("optDateRange"))->setChecked(true);
        dialog->findChild<QCheckBox*>(QStringLiteral("chkSymbols"))->setChecked(true);
        save(dialog, path);
        dialog->close();
    });
    window->findChild<QAction*>(QStringLiteral("mnuExport"))->trigger();
}

// The search window, looking for a word that several entries hold.
void saveSearch(QWidget* window, const QString& output, const QString& suffix) {
    window->findChild<QAction*>(QStringLiteral("mnuSearchJournal"))->trigger();
    auto* search = window->findChild<QWidget*>(QStringLiteral("frmSearch"));
    search->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("water"));
    save(search, output + QStringLiteral("/search") + suffix);
    search->close();
}

// A year of dreams more, so that the windows across the journal have something to show.
void addYear(const QString& dreams) {
    const char* const texts[] = {
        "I swam in dark water and a black cat watched from the shore.",
        "The house had a door that opened onto the sea.",
        "Water came through the ceiling while I searched for my keys.",
        "A snake lay across the road; I could not fly over it.",
        "My teeth were falling out during an exam.",
        "I was flying over water, over a bridge, over a city of lights.",
    };
    for (int i = 0; i < 18; ++i)
        addEntry(dreams, 2026, 1 + i % 12, 1 + i, qPrintable(QStringLiteral("Night %1").arg(i + 1)),
                 texts[(i * 5) % std::size(texts)]);
}

// The recurring symbols, with one symbol picked.
void saveSymbols(QWidget* window, const QString& output, const QString& suffix) {
    window->findChild<QAction*>(QStringLiteral("mnuSymbols"))->trigger();
    auto* symbols = window->findChild<QWidget*>(QStringLiteral("frmSymbols"));
    auto* table = symbols->findChild<QAbstractItemView*>(QStringLiteral("lvSymbols"));
    const QModelIndexList water = table->model()->match(
        table->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("water"), 1, Qt::MatchExactly);
    if (!water.isEmpty())
        table->setCurrentIndex(water.front());
    save(symbols, output + QStringLiteral("/symbols") + suffix);
    symbols->close();
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
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool dark = arguments.removeAll(QStringLiteral("--dark")) > 0;
    const bool maximized = arguments.removeAll(QStringLiteral("--maximized")) > 0;
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: oneirion-screenshot OUTPUT_FOLDER [--dark] "
                             "[--maximized | WIDTH HEIGHT]\n");
        return 2;
    }
    const QString output = arguments.first();
    const QString suffix = dark ? QStringLiteral("-dark.png") : QStringLiteral(".png");
    QDir().mkpath(output);
    if (dark) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkPalette());
    }

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

    // Every question is answered as a user who reads and goes on would.
    MessageBox::setAnswerer([](const MessageBox::Message& message) {
        return message.buttons.testFlag(MessageBox::No) ? MessageBox::No : MessageBox::Ok;
    });
    Application oneirion({program.path(), program.filePath(QStringLiteral("oneirion")), {}, [] {
                              return QDate::currentDate();
                          }});
    oneirion.start();
    QWidget* window = oneirion.windows().value(0);
    if (window == nullptr || window->objectName() != QLatin1String("frmMain")) {
        std::fprintf(stderr, "the main window did not load\n");
        return 1;
    }
    window->show();
    if (maximized) {
        window->showMaximized();
        // Without a window manager nobody maximizes it: it takes the screen itself.
        window->setGeometry(window->screen()->availableGeometry());
    } else if (arguments.size() >= 3)
        window->resize(arguments[1].toInt(), arguments[2].toInt());
    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("tvDreams"));
    tree->expandAll();
    save(window, output + QStringLiteral("/home") + suffix);

    // The first entry, opened as a click on its node opens it.
    QTreeWidgetItem* entry = tree->findItems(QStringLiteral("The flooded library"),
                                             Qt::MatchStartsWith | Qt::MatchRecursive)
                                 .value(0);
    if (entry != nullptr)
        tree->setCurrentItem(entry);
    save(window, output + QStringLiteral("/journal") + suffix);
    auto click = [window](const char* name) {
        window->findChild<QPushButton*>(QLatin1String(name))->click();
    };
    click("cmdAnalyze");
    // A keyword picked in the list, so that its marks show.
    auto* found = window->findChild<QTreeWidget*>(QStringLiteral("lvKeywords"));
    if (found->topLevelItemCount() > 1)
        found->setCurrentItem(found->topLevelItem(1));
    save(window, output + QStringLiteral("/analysis") + suffix);
    click("cmdBackToDreamDictionary");
    window->findChild<QLineEdit*>(QStringLiteral("txtSearch"))->setText(QStringLiteral("water"));
    auto* keywords = window->findChild<QListWidget*>(QStringLiteral("lstKeywords"));
    if (keywords->count() > 0)
        keywords->setCurrentRow(0);
    save(window, output + QStringLiteral("/dictionary") + suffix);
    window->findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();
    save(window, output + QStringLiteral("/about") + suffix);
    saveExportWindow(window, output + QStringLiteral("/export") + suffix);
    addYear(dreams);
    saveSearch(window, output, suffix);
    saveSymbols(window, output, suffix);

    oneirion.closeAllWindows();
    return 0;
}
