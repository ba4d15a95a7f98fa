// Registration of the update-file type with the desktop: the files written, what the check
// answers, the probe file, and the desktop's own tools reading the result.

#include "TestSupport.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "shell/modFileType.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace {

const QString kMimeType = QStringLiteral("application/x-dream-keywords-update");
const QString kDesktopId = QStringLiteral("org.oneirion.Oneirion.desktop");

// Fresh XDG and TEMP folders for one test, and the environment put back afterwards.
class IsolatedDesktop {
public:
    IsolatedDesktop() {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "TEMP"}) {
            const QString path = root.filePath(QString::fromLatin1(name).toLower());
            QDir().mkpath(path);
            set(name, path);
        }
        set("XDG_CURRENT_DESKTOP", QString());
    }
    ~IsolatedDesktop() {
        for (auto it = saved.crbegin(); it != saved.crend(); ++it) {
            if (it->second.isNull())
                qunsetenv(it->first);
            else
                qputenv(it->first, it->second);
        }
    }
    void set(const char* name, const QString& value) {
        saved.append({name, qgetenv(name)});
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    QString dataHome() const { return root.filePath(QStringLiteral("xdg_data_home")); }
    QString configHome() const { return root.filePath(QStringLiteral("xdg_config_home")); }
    QString temp() const { return root.filePath(QStringLiteral("temp")); }
    QString desktopEntry() const {
        return dataHome() + QStringLiteral("/applications/") + kDesktopId;
    }
    QString mimeAppsList() const { return configHome() + QStringLiteral("/mimeapps.list"); }

    QTemporaryDir root;

private:
    QList<std::pair<const char*, QByteArray>> saved;
};

bool Associate(const QString& exePath) {
    return modFileType::AssociateFileType(exePath, QStringLiteral(".udj"),
                                          QStringLiteral("DreamKeywordsUpdate"),
                                          QStringLiteral("Dream Keywords Update"), 1);
}

void WriteText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text);
}

void AppendText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append)) << path.toStdString();
    file.write(text);
}

bool HasTool(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

struct ToolResult {
    int exitCode;
    QString out;
    QString err;
};

ToolResult RunTool(const QString& tool, const QStringList& arguments,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    if (!process.waitForFinished(60000))
        return {-1, QString(), QStringLiteral("did not finish")};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(process.readAllStandardError()).trimmed()};
}

// ---- Start-up: the program keeps the association pointing at itself ------------------------

class StartUpAssociation : public testsupport::ProgramFixture {
protected:
    void TearDown() override {
        ProgramFixture::TearDown();
        modMain::testing::SetExePath(std::nullopt);
    }

    void Restart() {
        modMain::UnloadAllForms();
        testsupport::ProcessEvents();
        modDB::rsDreams.reset();
        modDB::cnDreams.reset();
        modDB::rsKeywords.reset();
        modDB::cnKeywords.reset();
        ASSERT_NE(StartMain(), nullptr);
    }

    IsolatedDesktop desktop;
};

TEST_F(StartUpAssociation, FirstStartWritesItAndTheNextFindsItAndWritesNothing) {
    const QString exe = folder.path() + QStringLiteral("/oneirion");
    modMain::testing::SetExePath(exe);
    EXPECT_FALSE(modFileType::IsFileTypeAssociated());

    ASSERT_NE(StartMain(), nullptr);
    EXPECT_EQ(modFileType::GetAssociatedProgram(QStringLiteral("udj")), exe);
    EXPECT_TRUE(modFileType::IsFileTypeAssociated());

    // A rewrite would drop these lines.
    AppendText(desktop.desktopEntry(), "# kept\n");
    AppendText(desktop.mimeAppsList(), "# kept\n");
    Restart();
    EXPECT_TRUE(testsupport::FileBytes(desktop.desktopEntry()).endsWith("# kept\n"));
    EXPECT_TRUE(testsupport::FileBytes(desktop.mimeAppsList()).endsWith("# kept\n"));
}

TEST_F(StartUpAssociation, MovedExecutableRewritesIt) {
    modMain::testing::SetExePath(folder.path() + QStringLiteral("/oneirion"));
    ASSERT_NE(StartMain(), nullptr);

    const QString moved = folder.path() + QStringLiteral("/Moved Here/oneirion");
    modMain::testing::SetExePath(moved);
    EXPECT_FALSE(modFileType::IsFileTypeAssociated());
    Restart();
    EXPECT_EQ(modFileType::GetAssociatedProgram(QStringLiteral(".udj")), moved);
    EXPECT_TRUE(modFileType::IsFileTypeAssociated());
}

// ---- The association as the desktop reads it ------------------------------------------------

class Association : public ::testing::Test {
protected:
    IsolatedDesktop desktop;
};

TEST_F(Association, CheckIsExactToTheLetter) {
    Associate(QStringLiteral("/opt/Oneirion/oneirion"));
    modMain::testing::SetExePath(QStringLiteral("/opt/oneirion/oneirion"));
    EXPECT_FALSE(modFileType::IsFileTypeAssociated());
    modMain::testing::SetExePath(QStringLiteral("/opt/Oneirion/oneirion"));
    EXPECT_TRUE(modFileType::IsFileTypeAssociated());
    modMain::testing::SetExePath(std::nullopt);
}

TEST_F(Association, UnusualProgramPathsSurviveTheRoundTrip) {
    for (const QString& exe : {QStringLiteral("/home/me/My Programs/oneirion"),
                               QStringLiteral("/opt/Dream \"Quoted\" 'single'/oneirion"),
                               QStringLiteral("/opt/$HOME `date` 100%f \\back/oneirion"),
                               QStringLiteral("/opt/Träume ☾ (x86) & more;#/oneirion")}) {
        Associate(exe);
        EXPECT_EQ(modFileType::GetAssociatedProgram(QStringLiteral("udj")), exe);
        if (HasTool("desktop-file-validate")) {
            const ToolResult check =
                RunTool(QStringLiteral("desktop-file-validate"), {desktop.desktopEntry()});
            EXPECT_EQ(check.exitCode, 0) << exe.toStdString();
            EXPECT_EQ((check.out + check.err).toStdString(), std::string()) << exe.toStdString();
        }
    }
}

TEST_F(Association, DesktopToolsNameThisProgram) {
    if (!HasTool("xdg-mime") || !HasTool("update-mime-database"))
        GTEST_SKIP() << "xdg-utils or shared-mime-info is not installed";
    Associate(QStringLiteral("/opt/oneirion/oneirion"));

    const ToolResult byDefault =
        RunTool(QStringLiteral("xdg-mime"), {"query", "default", kMimeType});
    EXPECT_EQ(byDefault.out, kDesktopId) << byDefault.err.toStdString();

    // A real update file, whose content is an SQLite database: its name decides.
    const QString file = desktop.temp() + QStringLiteral("/new words.UDJ");
    testsupport::Exec(file,
                      QStringLiteral("CREATE TABLE tblKeywords (Keyword TEXT, Description TEXT)"));
    if (HasTool("gio")) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        const ToolResult type =
            RunTool(QStringLiteral("xdg-mime"), {"query", "filetype", file}, env);
        EXPECT_EQ(type.out, kMimeType) << type.err.toStdString();
    }
    const QString generated =
        desktop.dataHome() + QStringLiteral("/mime/") + kMimeType + QStringLiteral(".xml");
    EXPECT_TRUE(testsupport::FileBytes(generated).contains("Dream Keywords Update"));
    const ToolResult rebuild = RunTool(QStringLiteral("update-mime-database"),
                                       {desktop.dataHome() + QStringLiteral("/mime")});
    EXPECT_EQ(rebuild.exitCode, 0);
    EXPECT_EQ(rebuild.err.toStdString(), std::string());
}

TEST_F(Association, DesktopLauncherStartsExactlyTheWrittenProgramOnTheFile) {
    if (!HasTool("gio"))
        GTEST_SKIP() << "gio is not installed";
    // A stand-in program in an awkward folder reports how it was started. (No "%": gio looks for
    // the program before it turns "%%" back into "%".)
    const QString folder =
        desktop.root.filePath(QStringLiteral("Dream \"Journal\" $HOME `x` Ünï\\code (1)"));
    const QString exe = folder + QStringLiteral("/oneirion");
    const QString out = desktop.root.filePath(QStringLiteral("started.txt"));
    WriteText(exe, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > \"$STARTED_OUT.part\"\n"
                   "mv \"$STARTED_OUT.part\" \"$STARTED_OUT\"\n");
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Associate(exe);

    const QString update = desktop.root.filePath(QStringLiteral("my words 'new'.udj"));
    WriteText(update, QByteArray());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("STARTED_OUT"), out);
    const ToolResult launch =
        RunTool(QStringLiteral("gio"), {"launch", desktop.desktopEntry(), update}, env);
    ASSERT_EQ(launch.exitCode, 0) << launch.err.toStdString();

    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(out) && waited.elapsed() < 60000)
        QThread::msleep(50);
    EXPECT_EQ(QString::fromUtf8(testsupport::FileBytes(out)),
              exe + QLatin1Char('\n') + update + QLatin1Char('\n'));
}

TEST_F(Association, KeepsTheUsersOtherChoices) {
    WriteText(desktop.mimeAppsList(), "# my choices\n"
                                      "[Default Applications]\n"
                                      "text/plain=editor.desktop;\n"
                                      "application/x-dream-keywords-update=other.desktop;\n"
                                      "\n"
                                      "[Added Associations]\n"
                                      "image/png=viewer.desktop;\n");
    desktop.set("XDG_CURRENT_DESKTOP", QStringLiteral("Test:Other"));
    const QString ownList = desktop.configHome() + QStringLiteral("/test-mimeapps.list");
    WriteText(ownList,
              "[Default Applications]\napplication/x-dream-keywords-update=other.desktop\n");
    Associate(QStringLiteral("/opt/oneirion/oneirion"));

    EXPECT_EQ(QString::fromUtf8(testsupport::FileBytes(desktop.mimeAppsList())),
              QStringLiteral("# my choices\n"
                             "[Default Applications]\n"
                             "text/plain=editor.desktop;\n"
                             "application/x-dream-keywords-update=%1;other.desktop;\n"
                             "\n"
                             "[Added Associations]\n"
                             "image/png=viewer.desktop;\n")
                  .arg(kDesktopId));
    // The desktop-specific list outranks the general one, so it follows too; one that says
    // nothing about the type is not created.
    EXPECT_TRUE(testsupport::FileBytes(ownList).contains(
        "application/x-dream-keywords-update=" + kDesktopId.toUtf8() + ";other.desktop;"));
    EXPECT_FALSE(QFile::exists(desktop.configHome() + QStringLiteral("/other-mimeapps.list")));
    EXPECT_EQ(modFileType::GetAssociatedProgram(QStringLiteral("udj")),
              QStringLiteral("/opt/oneirion/oneirion"));
}

TEST_F(Association, FailingStepDoesNotStopTheOthers) {
    // The MIME packages folder is a file, so the package cannot be written.
    WriteText(desktop.dataHome() + QStringLiteral("/mime/packages"), "in the way");
    EXPECT_FALSE(Associate(QStringLiteral("/opt/oneirion/oneirion")));
    EXPECT_TRUE(QFile::exists(desktop.desktopEntry()));
    EXPECT_TRUE(testsupport::FileBytes(desktop.mimeAppsList()).contains(kDesktopId.toUtf8()));
    EXPECT_TRUE(
        QFile::exists(desktop.dataHome() +
                      QStringLiteral("/icons/hicolor/scalable/apps/org.oneirion.Oneirion.svg")));
}

TEST_F(Association, IconIsTheProgramsOwnAndRenders) {
    EXPECT_FALSE(QIcon(QStringLiteral(":/icons/oneirion.svg")).pixmap(48).isNull());
    Associate(QStringLiteral("/opt/oneirion/oneirion"));
    const QByteArray resource = testsupport::FileBytes(QStringLiteral(":/icons/oneirion.svg"));
    const QString scalable = desktop.dataHome() + QStringLiteral("/icons/hicolor/scalable/");
    for (const QString& installed :
         {scalable + QStringLiteral("apps/org.oneirion.Oneirion.svg"),
          scalable + QStringLiteral("mimetypes/application-x-dream-keywords-update.svg")}) {
        EXPECT_EQ(testsupport::FileBytes(installed), resource) << installed.toStdString();
        QImageReader reader(installed);
        reader.setScaledSize(QSize(32, 32));
        EXPECT_FALSE(reader.read().isNull()) << reader.errorString().toStdString();
    }
    EXPECT_TRUE(
        testsupport::FileBytes(desktop.desktopEntry()).contains("\nIcon=org.oneirion.Oneirion\n"));
}

// ---- Which program the desktop would start ------------------------------------------------

class DesktopChoice : public ::testing::Test {
protected:
    void SetUp() override {
        // A MIME database, applications and lists written by hand; no system folders.
        desktop.set("XDG_DATA_DIRS", desktop.root.filePath(QStringLiteral("system")));
        desktop.set("XDG_CONFIG_DIRS", desktop.root.filePath(QStringLiteral("system-config")));
        WriteText(desktop.dataHome() + QStringLiteral("/mime/globs2"),
                  "50:application/x-dream-keywords-update:*.udj\n");
        WriteText(desktop.dataHome() + QStringLiteral("/mime/subclasses"),
                  "application/x-dream-keywords-update application/vnd.sqlite3\n");
    }
    void App(const QString& id, const QByteArray& extra) {
        WriteText(desktop.root.filePath(QStringLiteral("system/applications/")) + id,
                  "[Desktop Entry]\nType=Application\nName=X\n" + extra);
    }
    void List(const QByteArray& text) { WriteText(desktop.mimeAppsList(), text); }
    QString Answer() { return modFileType::GetAssociatedProgram(QStringLiteral("udj")); }

    IsolatedDesktop desktop;
};

TEST_F(DesktopChoice, FirstInstalledDefaultInListOrder) {
    App(QStringLiteral("one.desktop"), "Exec=/opt/one %f\n");
    App(QStringLiteral("two.desktop"), "Exec='/opt/two words' %F\n");
    App(QStringLiteral("gone.desktop"), "Exec=/opt/gone %f\nHidden=true\n");
    List("[Default "
         "Applications]\napplication/"
         "x-dream-keywords-update=missing.desktop;gone.desktop;two.desktop;one.desktop;\n");
    EXPECT_EQ(Answer(), QStringLiteral("/opt/two words"));

    // A desktop's own list comes first; a system list comes after the user's.
    desktop.set("XDG_CURRENT_DESKTOP", QStringLiteral("Mine"));
    WriteText(desktop.configHome() + QStringLiteral("/mine-mimeapps.list"),
              "[Default Applications]\napplication/x-dream-keywords-update=one.desktop\n");
    EXPECT_EQ(Answer(), QStringLiteral("/opt/one"));
}

TEST_F(DesktopChoice, FallsBackToParentTypeThenToAssociations) {
    App(QStringLiteral("sub-dir-browser.desktop"), "Exec=\"/opt/db browser\" %f\n");
    QDir().rename(
        desktop.root.filePath(QStringLiteral("system/applications/sub-dir-browser.desktop")),
        desktop.root.filePath(QStringLiteral("system/applications/sub-dir-browser.tmp")));
    WriteText(desktop.root.filePath(QStringLiteral("system/applications/sub/dir/browser.desktop")),
              testsupport::FileBytes(desktop.root.filePath(
                  QStringLiteral("system/applications/sub-dir-browser.tmp"))));
    App(QStringLiteral("assoc.desktop"), "Exec=sh -c true\n");
    WriteText(desktop.root.filePath(QStringLiteral("system/applications/mimeinfo.cache")),
              "[MIME Cache]\napplication/x-dream-keywords-update=removed.desktop;assoc.desktop;\n");
    App(QStringLiteral("removed.desktop"), "Exec=/opt/removed\n");
    List("[Removed Associations]\napplication/x-dream-keywords-update=removed.desktop;\n");
    EXPECT_EQ(Answer(), QStandardPaths::findExecutable(QStringLiteral("sh")));

    // A default of the type it derives from wins over mere associations.
    List("[Default Applications]\napplication/vnd.sqlite3=sub-dir-browser.desktop;\n");
    EXPECT_EQ(Answer(), QStringLiteral("/opt/db browser"));
}

TEST_F(DesktopChoice, UnknownExtensionHasNoProgram) {
    App(QStringLiteral("one.desktop"), "Exec=/opt/one %f\n");
    List("[Default Applications]\napplication/x-dream-keywords-update=one.desktop;\n");
    EXPECT_EQ(modFileType::GetAssociatedProgram(QStringLiteral("kwu")), QString());
    // Letter case does not matter to an extension glob.
    WriteText(desktop.dataHome() + QStringLiteral("/mime/globs2"),
              "50:application/x-dream-keywords-update:*.UDJ\n");
    EXPECT_EQ(Answer(), QStringLiteral("/opt/one"));
}

// ---- The probe file -------------------------------------------------------------------------

class ProbeFile : public ::testing::Test {
protected:
    IsolatedDesktop desktop;
};

TEST_F(ProbeFile, NameIsCounterTmpAndExtensionInTempWithOneSlash) {
    QString folder, name;
    for (const QString& temp : {desktop.temp(), desktop.temp() + QLatin1Char('/')}) {
        desktop.set("TEMP", temp);
        modFileType::MakeProbeFileName(QStringLiteral("udj"), folder, name);
        EXPECT_EQ(folder, desktop.temp() + QLatin1Char('/'));
        EXPECT_EQ(name, QStringLiteral("0tmp.udj"));
    }
    modFileType::MakeProbeFileName(QStringLiteral(".udj"), folder, name);
    EXPECT_EQ(name, QStringLiteral("0tmp.udj"));

    desktop.set("TEMP", QString());
    modFileType::MakeProbeFileName(QStringLiteral("udj"), folder, name);
    EXPECT_EQ(folder, QDir::tempPath() + QLatin1Char('/'));
}

TEST_F(ProbeFile, ExistingFilesAreSkippedAndLeftUntouched) {
    Associate(QStringLiteral("/opt/oneirion/oneirion"));
    const QString temp = desktop.temp() + QLatin1Char('/');
    WriteText(temp + QStringLiteral("0tmp.udj"), "someone's file");
    // A dangling link counts as taken: nothing may be written through it.
    ASSERT_TRUE(QFile::link(desktop.root.filePath(QStringLiteral("target")),
                            temp + QStringLiteral("1tmp.udj")));
    QString folder, name;
    modFileType::MakeProbeFileName(QStringLiteral("udj"), folder, name);
    EXPECT_EQ(name, QStringLiteral("2tmp.udj"));

    EXPECT_EQ(modFileType::GetAssociatedProgram(QStringLiteral("udj")),
              QStringLiteral("/opt/oneirion/oneirion"));
    EXPECT_EQ(testsupport::FileBytes(temp + QStringLiteral("0tmp.udj")),
              QByteArray("someone's file"));
    EXPECT_FALSE(QFile::exists(desktop.root.filePath(QStringLiteral("target"))));
    EXPECT_EQ(QDir(temp).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("0tmp.udj"), QStringLiteral("1tmp.udj")}));
}

TEST_F(ProbeFile, CheckFailsWhenNoProbeCanBeMade) {
    Associate(QStringLiteral("/opt/oneirion/oneirion"));
    desktop.set("TEMP", desktop.root.filePath(QStringLiteral("no such folder")));
    EXPECT_EQ(modFileType::GetAssociatedProgram(QStringLiteral("udj")), QString());
}

} // namespace
