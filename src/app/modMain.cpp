#include "app/modMain.h"

#include "app/frmMain.h"
#include "data/modDB.h"
#include "shell/modFileType.h"
#include "update_import/frmKeyUpdate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScopedValueRollback>
#include <QWidget>

namespace modMain {
namespace {

std::optional<QString> g_appPath, g_exePath, g_commandLine;
bool g_unloadingAll = false;
std::optional<DataFileProblem> g_damagedDataFile;

QList<QPointer<QWidget>>& forms() {
    static QList<QPointer<QWidget>> loaded;
    return loaded;
}

} // namespace

QString AppPath() {
    return g_appPath ? *g_appPath : QCoreApplication::applicationDirPath();
}

QString ExePath() {
    return g_exePath ? *g_exePath : QCoreApplication::applicationFilePath();
}

QString CommandLine() {
    if (g_commandLine)
        return *g_commandLine;
    return QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
}

void FormLoaded(QWidget* form) {
    forms().append(QPointer<QWidget>(form));
}

void FormUnloaded(QWidget* form) {
    forms().removeAll(QPointer<QWidget>(form));
    forms().removeAll(QPointer<QWidget>());
    if (forms().isEmpty())
        QCoreApplication::quit();
}

QList<QWidget*> LoadedForms() {
    QList<QWidget*> result;
    for (const QPointer<QWidget>& form : forms()) {
        if (form)
            result.append(form.data());
    }
    return result;
}

void UnloadAllForms() {
    const QScopedValueRollback<bool> unloading(g_unloadingAll, true);
    // Closing runs each window's unload handler; a window that is already gone is skipped.
    for (QWidget* form : LoadedForms())
        form->close();
}

bool UnloadingAllForms() {
    return g_unloadingAll;
}

QString DataFilePath(const QString& name) {
    const QDir folder(AppPath());
    const QStringList entries = folder.entryList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (QString::compare(entry, name, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    }
    return QString();
}

std::optional<DataFileProblem> DamagedDataFile() {
    return g_damagedDataFile;
}

void OpenSharedData() {
    // A journal or dictionary that is there but cannot be used must not pass for an empty one.
    // The check only reads it, and the data layer refuses to open it for writing afterwards.
    g_damagedDataFile.reset();
    const auto open = [](const QString& name, const QString& table, const QStringList& columns,
                         modDB::ConnectionPtr& connection, modDB::RecordsetPtr& recordset,
                         const QString& sql) {
        connection.reset();
        recordset.reset();
        QString path = AppPath() + QLatin1Char('/') + name;
        const QString present = DataFilePath(name);
        modDB::Status status =
            present.isEmpty() ? modDB::Status::Ok() : modDB::CheckDataFile(present, table, columns);
        if (status) {
            status = modDB::OpenConnection(connection, path);
            if (status)
                status = modDB::OpenRecordset(recordset, connection, sql);
        }
        if (!present.isEmpty() && !status && !g_damagedDataFile)
            g_damagedDataFile = DataFileProblem{present, status.reason()};
    };
    open(QStringLiteral("dreams.dll"), QStringLiteral("tblDreams"),
         {QStringLiteral("ID"), QStringLiteral("Year"), QStringLiteral("Month"),
          QStringLiteral("Day"), QStringLiteral("JournalName"), QStringLiteral("journaltext")},
         modDB::cnDreams, modDB::rsDreams,
         QStringLiteral("SELECT * From tblDreams ORDER BY Year,Month,Day"));
    open(QStringLiteral("keywords.dll"), QStringLiteral("tblKeywords"),
         {QStringLiteral("Keyword"), QStringLiteral("Description")}, modDB::cnKeywords,
         modDB::rsKeywords, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
}

void Main() {
    RegisterInstance();

    if (!modFileType::IsFileTypeAssociated()) {
        modFileType::AssociateFileType(ExePath(), QStringLiteral(".udj"),
                                       QStringLiteral("DreamKeywordsUpdate"),
                                       QStringLiteral("Dream Keywords Update"), 1);
    }

    OpenSharedData();

    const QString commandLine = CommandLine();
    if (commandLine != QString()) {
        auto* importWindow = new frmKeyUpdate;
        importWindow->FileName(commandLine);
        // A file it refuses unloads the window, and with it the program.
        if (importWindow->ProcessUpdateData())
            importWindow->show();
        return;
    }
    auto* mainWindow = new frmMain;
    mainWindow->Show();
}

namespace testing {

void SetAppPath(const std::optional<QString>& folder) {
    g_appPath = folder;
}

void SetExePath(const std::optional<QString>& path) {
    g_exePath = path;
}

void SetCommandLine(const std::optional<QString>& commandLine) {
    g_commandLine = commandLine;
}

} // namespace testing

} // namespace modMain
