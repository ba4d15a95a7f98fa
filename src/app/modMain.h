#pragma once

// Start-up: Main runs before any window exists, opens the shared data and hands over to the
// import window (a command line was given) or to the main window.

#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace modMain {

void Main();
// Opens the four program-wide database objects on the data files of the program folder.
// A data file that is there but cannot be used is left untouched and reported by
// DamagedDataFile().
void OpenSharedData();
// Unloads every loaded window; the program ends when none is left.
void UnloadAllForms();
// True while UnloadAllForms runs: windows then close without asking anything.
bool UnloadingAllForms();

// The path of the ordinary (not hidden) file that the program folder holds under `name`, its
// letter case ignored, or an empty text when there is none.
QString DataFilePath(const QString& name);
inline bool DataFilePresent(const QString& name) {
    return !DataFilePath(name).isEmpty();
}
// The first data file that OpenSharedData found present but unusable, and why.
struct DataFileProblem {
    QString file;
    QString reason;
};
std::optional<DataFileProblem> DamagedDataFile();

// The folder of the running executable, without a trailing separator.
QString AppPath();
// The running executable's absolute path.
QString ExePath();
// The arguments after the program name, joined by single spaces, otherwise unchanged.
QString CommandLine();

// The windows register themselves while they are loaded.
void FormLoaded(QWidget* form);
void FormUnloaded(QWidget* form);
QList<QWidget*> LoadedForms();

// Marks this process as a running instance of its executable, for PrevInstance() elsewhere.
void RegisterInstance();
// Whether a process of the same executable that started before this one is running (also one
// that shows only the import window).
bool PrevInstance();

namespace testing {
// Stand-ins for what the process would otherwise report, so tests need no real install.
void SetAppPath(const std::optional<QString>& folder);
void SetExePath(const std::optional<QString>& path);
void SetCommandLine(const std::optional<QString>& commandLine);
// Lets go of this process's instance registration.
void ReleaseInstance();
// Running processes of this executable other than this one, whenever they started.
int OtherInstances();
} // namespace testing

} // namespace modMain
