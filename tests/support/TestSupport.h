#pragma once

// What every test shares. Tests drive the program as a user would: windows and controls are
// found by objectName, and everything else the program offers tests (its start-up, clock,
// simulated faults, message boxes and file dialogs) is reached through the functions here and
// nowhere else.

#include "CoreTestSupport.h"
#include "DataFiles.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <gtest/gtest.h>
#include <optional>

class QPrinter;

namespace testsupport {

// The control named `name` below `root`; a missing one fails the test and gives nullptr.
template <typename T = QWidget>
T* Find(const QObject* root, const QString& name) {
    T* found = root ? root->findChild<T*>(name) : nullptr;
    EXPECT_NE(found, nullptr) << "no control named " << name.toStdString();
    return found;
}

// ---- Files --------------------------------------------------------------------------------

using Dictionary = std::vector<modDataFiles::Entry>;
// cat, Bat, water, Ant and flying, with their meanings.
Dictionary SampleDictionary();
// Creates Dreams.dll and Keywords.dll (holding `dictionary`) in `folder`.
void CreateDataFiles(const QString& folder, const Dictionary& dictionary = SampleDictionary());
// Direct access to a database file, beside the program, for setting up and checking.
QList<QVariantList> Query(const QString& file, const QString& sql, const QVariantList& params = {});
inline void Exec(const QString& file, const QString& sql, const QVariantList& params = {}) {
    Query(file, sql, params);
}
qlonglong AddJournalRow(const QString& dreamsFile, int year, int month, int day,
                        const QString& name, const QString& text);
QByteArray FileBytes(const QString& path);
// The whole database as the stock sqlite3 tool dumps it: equal dumps, equal content.
QByteArray Dump(const QString& file);
QString BuildDir();

using coretest::PermissionsApply;

// ---- The program, run in this process ------------------------------------------------------

// The folder the program takes as its own: its data files live there.
void SetProgramFolder(const std::optional<QString>& folder);
// Starts the program as a start with `commandLine` would, and gives the window it shows: the
// import window with a command line, the main window without; nullptr when none stays open.
QWidget* StartProgram(const QString& commandLine = QString());
// From now on the program runs as the executable at `path`, as a new process of it would.
void SetExecutable(const std::optional<QString>& path);
// Processes of the program's executable running now, besides this one.
int OtherInstances();
// The open windows, found by their objectName.
QWidget* MainWindow();
QWidget* ImportWindow();
// The objectName of the one visible panel of the main window, or what is wrong.
QString PanelInFront();
// True once no window of the program is left, so that the program has ended.
bool ProgramEnded();
// Closes every window and lets go of the program's data, as the end of the process would.
void CloseAll();
// Runs posted events, deferred deletions included.
void ProcessEvents();
// `act` runs on the next modal window (a dialog the program waits on), once it is up.
void OnNextModal(std::function<void(QWidget*)> act);

// ---- Clock, settings, web pages and faults ---------------------------------------------------

void SetToday(const std::optional<QDate>& today);
// The settings file of this test executable.
QString SettingsFile();
// The web pages opened since the last call: "help", "home", "download" or "closing".
QStringList OpenedPages();
// ReadOnly: `file` refuses writes from its next opening on, as a read-only file does (set it
// before the start). DiskFull: every write of this process fails from now on, as on a full disk,
// also through files opened before, whatever `file` says (set it once the program has started:
// opening a data file writes; test output to a file rather than a pipe is lost meanwhile). None
// ends every fault.
enum class Fault { None, ReadOnly, DiskFull };
void SimulateFault(Fault fault, const QString& file = QString());

// ---- Message boxes and dialogs -------------------------------------------------------------

enum class Reply { OK, Yes, No, Cancel };
// The next message boxes take these answers, in order, without showing.
void Answer(std::initializer_list<Reply> replies);
// The messages shown since the last call, oldest first, each as "Icon: text", a question
// followed by its buttons and its default, as in "Question: Sure ? [Yes No; No]".
QStringList Shown();
// Clicks `button`, answering the messages it shows with `replies` in turn, and gives the
// messages shown. Answers left over fail the test.
QStringList Press(QAbstractButton* button, std::initializer_list<Reply> replies = {});
// The next file dialog picks `path` ("" cancels it).
void NextFileName(const QString& path);
// The next print dialog calls `answer` on the printer; its result stands for OK or Cancel.
void NextPrint(std::function<bool(QPrinter&)> answer);
// The file types the last file dialog offered; whether the last print dialog offered a range.
QString OfferedFileTypes();
bool PageRangeOffered();

// The main() of every test executable: private XDG and TEMP folders, then a QApplication on
// the offscreen platform, then the tests.
int RunTests(int argc, char* argv[]);

// A program folder with both data files. Ending, it closes the program and checks that every
// queued answer was asked for and no dialog was left open.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual Dictionary InitialDictionary() const { return SampleDictionary(); }
    QString DreamsFile() const { return folder.filePath("Dreams.dll"); }
    QString KeywordsFile() const { return folder.filePath("Keywords.dll"); }

    QTemporaryDir folder;
};

} // namespace testsupport
