#include "app/modMain.h"

#include "app/frmMain.h"
#include "data/modDB.h"
#include "shell/modFileType.h"
#include "update_import/frmKeyUpdate.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace modMain {
namespace {

std::optional<QString> g_appPath, g_exePath, g_commandLine;

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
    // Closing runs each window's unload handler; a window that is already gone is skipped.
    for (QWidget* form : LoadedForms())
        form->close();
}

void OpenSharedData() {
    QString dreamsPath = AppPath() + QStringLiteral("/dreams.dll");
    modDB::OpenConnection(modDB::cnDreams, dreamsPath);
    modDB::OpenRecordset(modDB::rsDreams, modDB::cnDreams,
                         QStringLiteral("SELECT * From tblDreams ORDER BY Year,Month,Day"));
    QString keywordsPath = AppPath() + QStringLiteral("/keywords.dll");
    modDB::OpenConnection(modDB::cnKeywords, keywordsPath);
    modDB::OpenRecordset(modDB::rsKeywords, modDB::cnKeywords,
                         QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
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
