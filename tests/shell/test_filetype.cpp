// Registration of the update-file type with the desktop: the files written, what the check
// answers, the probe file, the desktop's own tools reading the result, and the built program
// started on an update file the way the desktop starts it.

#include "TestSupport.h"
#include "shell/modFileType.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace {

const QString kMimeType = "application/x-dream-keywords-update";
const QString kDesktopId = "org.oneirion.Oneirion.desktop";

// Fresh XDG and TEMP folders for one test, and the environment put back afterwards.
class IsolatedDesktop {
public:
    IsolatedDesktop() {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "TEMP"}) {
            QDir().mkpath(path(QString::fromLatin1(name).toLower()));
            set(name, path(QString::fromLatin1(name).toLower()));
        }
        set("XDG_CURRENT_DESKTOP", QString());
    }
    ~IsolatedDesktop() {
        for (auto it = saved.crbegin(); it != saved.crend(); ++it)
            it->second.isNull() ? qunsetenv(it->first) : qputenv(it->first, it->second);
    }
    void set(const char* name, const QString& value) {
        saved.append({name, qgetenv(name)});
        value.isNull() ? qunsetenv(name) : qputenv(name, QFile::encodeName(value));
    }
    QString path(const QString& below) const { return root.filePath(below); }
    QString dataHome() const { return path("xdg_data_home"); }
    QString configHome() const { return path("xdg_config_home"); }
    QString desktopEntry() const { return dataHome() + "/applications/" + kDesktopId; }
    QString mimeAppsList() const { return configHome() + "/mimeapps.list"; }

    QTemporaryDir root;

private:
    QList<std::pair<const char*, QByteArray>> saved;
};

bool Associate(const QString& exePath) {
    return modFileType::AssociateFileType(exePath, ".udj", "DreamKeywordsUpdate",
                                          "Dream Keywords Update", 1);
}

QString Associated() {
    return modFileType::GetAssociatedProgram("udj");
}

void WriteText(const QString& path, const QByteArray& text,
               QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(mode)) << path.toStdString();
    file.write(text);
}

bool HasTools(std::initializer_list<const char*> names) {
    return std::all_of(names.begin(), names.end(), [](const char* name) {
        return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
    });
}

struct ToolResult {
    int exitCode;
    QString out, err;
};

ToolResult RunTool(const QString& tool, const QStringList& arguments,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    if (!process.waitForFinished(120000))
        return {-1, QString(), "did not finish"};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(process.readAllStandardError()).trimmed()};
}

// ---- Start-up: the program keeps the association pointing at itself ------------------------

class StartUpAssociation : public testsupport::ProgramFixture {
protected:
    // Starts the program anew as the executable at `exe`.
    void StartAs(const QString& exe) {
        testsupport::CloseAll();
        testsupport::SetExecutable(exe);
        ASSERT_NE(testsupport::StartProgram(), nullptr);
    }

    IsolatedDesktop desktop;
};

TEST_F(StartUpAssociation, FirstStartWritesItTheNextWritesNothingAndAMoveRewritesIt) {
    const QString exe = folder.path() + "/oneirion";
    testsupport::SetExecutable(exe);
    EXPECT_FALSE(modFileType::IsFileTypeAssociated());
    StartAs(exe);
    EXPECT_EQ(Associated(), exe);
    EXPECT_TRUE(modFileType::IsFileTypeAssociated());

    // A rewrite would drop these lines.
    WriteText(desktop.desktopEntry(), "# kept\n", QIODevice::Append);
    WriteText(desktop.mimeAppsList(), "# kept\n", QIODevice::Append);
    StartAs(exe);
    EXPECT_TRUE(testsupport::FileBytes(desktop.desktopEntry()).endsWith("# kept\n"));
    EXPECT_TRUE(testsupport::FileBytes(desktop.mimeAppsList()).endsWith("# kept\n"));

    // The check is exact to the letter.
    testsupport::SetExecutable(folder.path() + "/Oneirion");
    EXPECT_FALSE(modFileType::IsFileTypeAssociated());

    const QString moved = folder.path() + "/Moved Here/oneirion";
    StartAs(moved);
    EXPECT_EQ(modFileType::GetAssociatedProgram(".udj"), moved);
    EXPECT_TRUE(modFileType::IsFileTypeAssociated());
}

// ---- The association as the desktop reads it ------------------------------------------------

class Association : public ::testing::Test {
protected:
    IsolatedDesktop desktop;
};

TEST_F(Association, UnusualPathsComeBackAndTheDesktopToolsAcceptTheFiles) {
    for (const char* path :
         {"/home/me/My Programs/oneirion", "/opt/Dream \"Quoted\" 'single'/oneirion",
          "/opt/$HOME `date` 100%f \\back/oneirion", "/opt/Träume ☾ (x86) & more;#/oneirion"}) {
        const QString exe = QString::fromUtf8(path);
        Associate(exe);
        EXPECT_EQ(Associated(), exe);
        if (HasTools({"desktop-file-validate"})) {
            const ToolResult check = RunTool("desktop-file-validate", {desktop.desktopEntry()});
            EXPECT_EQ(check.exitCode, 0) << exe.toStdString();
            EXPECT_EQ((check.out + check.err).toStdString(), std::string()) << exe.toStdString();
        }
    }
    if (!HasTools({"xdg-mime", "update-mime-database"}))
        GTEST_SKIP() << "xdg-utils or shared-mime-info is not installed";
    const QString mimeFolder = desktop.dataHome() + "/mime";
    EXPECT_TRUE(testsupport::FileBytes(mimeFolder + '/' + kMimeType + ".xml")
                    .contains("Dream Keywords Update"));
    const ToolResult rebuild = RunTool("update-mime-database", {mimeFolder});
    EXPECT_EQ(rebuild.exitCode, 0);
    EXPECT_EQ(rebuild.err.toStdString(), std::string());
    EXPECT_EQ(RunTool("xdg-mime", {"query", "default", kMimeType}).out, kDesktopId);

    // A real update file, whose content is an SQLite database: its name decides.
    const QString file = desktop.path("temp") + "/new words.UDJ";
    ASSERT_TRUE(modDataFiles::CreateKeywords(file, {}).ok);
    if (HasTools({"gio"})) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CURRENT_DESKTOP", "GNOME");
        EXPECT_EQ(RunTool("xdg-mime", {"query", "filetype", file}, env).out, kMimeType);
    }
}

TEST_F(Association, KeepsTheUsersOtherChoices) {
    const QByteArray before = "# my choices\n[Default Applications]\ntext/plain=editor.desktop;\n"
                              "application/x-dream-keywords-update=other.desktop;\n\n"
                              "[Added Associations]\nimage/png=viewer.desktop;\n";
    WriteText(desktop.mimeAppsList(), before);
    desktop.set("XDG_CURRENT_DESKTOP", "Test:Other");
    const QString ownList = desktop.configHome() + "/test-mimeapps.list";
    WriteText(ownList,
              "[Default Applications]\napplication/x-dream-keywords-update=other.desktop\n");
    Associate("/opt/oneirion/oneirion");

    const QByteArray ours = "update=" + kDesktopId.toUtf8() + ";other.desktop;";
    EXPECT_EQ(testsupport::FileBytes(desktop.mimeAppsList()),
              QByteArray(before).replace("update=other.desktop;", ours));
    // The desktop-specific list outranks the general one, so it follows too; one that says
    // nothing about the type is not created.
    EXPECT_TRUE(testsupport::FileBytes(ownList).contains(ours));
    EXPECT_FALSE(QFile::exists(desktop.configHome() + "/other-mimeapps.list"));
    EXPECT_EQ(Associated(), "/opt/oneirion/oneirion");
}

TEST_F(Association, FailingStepDoesNotStopTheOthersAndTheIconIsTheProgramsOwn) {
    // The MIME packages folder is a file, so the package cannot be written.
    WriteText(desktop.dataHome() + "/mime/packages", "in the way");
    EXPECT_FALSE(Associate("/opt/oneirion/oneirion"));
    EXPECT_TRUE(
        testsupport::FileBytes(desktop.desktopEntry()).contains("\nIcon=org.oneirion.Oneirion\n"));
    EXPECT_TRUE(testsupport::FileBytes(desktop.mimeAppsList()).contains(kDesktopId.toUtf8()));

    EXPECT_FALSE(QIcon(":/icons/oneirion.svg").pixmap(48).isNull());
    const QByteArray svg = testsupport::FileBytes(":/icons/oneirion.svg");
    const QString scalable = desktop.dataHome() + "/icons/hicolor/scalable/";
    EXPECT_EQ(testsupport::FileBytes(scalable + "apps/org.oneirion.Oneirion.svg"), svg);
    EXPECT_EQ(
        testsupport::FileBytes(scalable + "mimetypes/application-x-dream-keywords-update.svg"),
        svg);
}

// ---- Which program the desktop would start ------------------------------------------------

TEST_F(Association, DesktopChoiceIsDefaultsThenTheParentTypesDefaultThenAssociations) {
    // A MIME database, applications and lists written by hand; no system folders.
    desktop.set("XDG_DATA_DIRS", desktop.path("system"));
    desktop.set("XDG_CONFIG_DIRS", desktop.path("system-config"));
    const auto Globs = [&](const QByteArray& glob) {
        WriteText(desktop.dataHome() + "/mime/globs2",
                  "50:application/x-dream-keywords-update:" + glob + '\n');
    };
    const auto App = [&](const QString& file, const QByteArray& extra) {
        WriteText(desktop.path("system/applications/" + file),
                  "[Desktop Entry]\nType=Application\nName=X\n" + extra);
    };
    Globs("*.udj");
    WriteText(desktop.dataHome() + "/mime/subclasses",
              "application/x-dream-keywords-update application/vnd.sqlite3\n");
    App("one.desktop", "Exec=/opt/one %f\n");
    App("two.desktop", "Exec='/opt/two words' %F\n");
    App("gone.desktop", "Exec=/opt/gone %f\nHidden=true\n");
    App("sub/dir/browser.desktop", "Exec=\"/opt/db browser\" %f\n");
    App("assoc.desktop", "Exec=sh -c true\n");
    App("removed.desktop", "Exec=/opt/removed\n");
    WriteText(desktop.path("system/applications/mimeinfo.cache"),
              "[MIME Cache]\napplication/x-dream-keywords-update=removed.desktop;assoc.desktop;\n");
    WriteText(desktop.mimeAppsList(),
              "[Removed Associations]\napplication/x-dream-keywords-update=removed.desktop;\n");
    EXPECT_EQ(Associated(), QStandardPaths::findExecutable("sh"));

    WriteText(desktop.mimeAppsList(),
              "[Default Applications]\napplication/vnd.sqlite3=sub-dir-browser.desktop;\n");
    EXPECT_EQ(Associated(), "/opt/db browser");

    // The first installed default in list order; a desktop's own list comes first.
    WriteText(desktop.mimeAppsList(), "[Default Applications]\napplication/x-dream-keywords-update="
                                      "missing.desktop;gone.desktop;two.desktop;one.desktop;\n");
    EXPECT_EQ(Associated(), "/opt/two words");
    desktop.set("XDG_CURRENT_DESKTOP", "Mine");
    WriteText(desktop.configHome() + "/mine-mimeapps.list",
              "[Default Applications]\napplication/x-dream-keywords-update=one.desktop\n");
    EXPECT_EQ(Associated(), "/opt/one");

    EXPECT_EQ(modFileType::GetAssociatedProgram("kwu"), QString());
    // Letter case does not matter to an extension glob.
    Globs("*.UDJ");
    EXPECT_EQ(Associated(), "/opt/one");
}

// ---- The probe file -------------------------------------------------------------------------

TEST_F(Association, ProbeFileLivesInTempAndNeverTouchesATakenName) {
    QString folder, name;
    for (const QString& temp : {desktop.path("temp"), desktop.path("temp") + '/'}) {
        desktop.set("TEMP", temp);
        modFileType::MakeProbeFileName("udj", folder, name);
        EXPECT_EQ(folder, desktop.path("temp") + '/');
        EXPECT_EQ(name, "0tmp.udj");
    }
    modFileType::MakeProbeFileName(".udj", folder, name);
    EXPECT_EQ(name, "0tmp.udj");

    Associate("/opt/oneirion/oneirion");
    WriteText(folder + "0tmp.udj", "someone's file");
    modFileType::MakeProbeFileName("udj", folder, name);
    EXPECT_EQ(name, "1tmp.udj");
    // A dangling link counts as taken: nothing may be written through it.
    ASSERT_TRUE(QFile::link(desktop.path("target"), folder + name));
    modFileType::MakeProbeFileName("udj", folder, name);
    EXPECT_EQ(name, "2tmp.udj");

    EXPECT_EQ(Associated(), "/opt/oneirion/oneirion");
    EXPECT_EQ(testsupport::FileBytes(folder + "0tmp.udj"), QByteArray("someone's file"));
    EXPECT_FALSE(QFile::exists(desktop.path("target")));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"0tmp.udj", "1tmp.udj"}));

    desktop.set("TEMP", QString());
    modFileType::MakeProbeFileName("udj", folder, name);
    EXPECT_EQ(folder, QDir::tempPath() + '/');
    // No probe, no answer.
    desktop.set("TEMP", desktop.path("no such folder"));
    EXPECT_EQ(Associated(), QString());
}

// ---- The built program started on an update file --------------------------------------------

// Runs `tool`, which starts the program on an update file; a plugin loaded into the program
// reports the window it shows, which must be the import window with the file's keywords.
void ExpectImportWindow(const IsolatedDesktop& desktop, const QString& tool,
                        const QStringList& arguments) {
    const QString reportFile = desktop.path("report.txt");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_PLUGIN_PATH", QStringLiteral(ONEIRION_PROBE_PLUGIN_DIR));
    env.insert("QT_QPA_GENERIC_PLUGINS", "oneirionwindowprobe");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ONEIRION_PROBE_REPORT", reportFile);
    // Without a desktop, xdg-open types files by their content alone; the GNOME path asks gio,
    // which reads the MIME database and the Exec line as every desktop does.
    env.insert("XDG_CURRENT_DESKTOP", "GNOME");
    const ToolResult run = RunTool(tool, arguments, env);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    // A launcher hands the file over and returns; the program reports when its window is up.
    QElapsedTimer waited;
    waited.start();
    QString report;
    while (!report.contains("\nend\n") && waited.elapsed() < 120000) {
        QThread::msleep(100);
        report = QString::fromUtf8(testsupport::FileBytes(reportFile));
    }
    QFile::remove(reportFile);
    const QStringList lines = report.split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains("window frmKeyUpdate")) << report.toStdString();
    EXPECT_TRUE(lines.contains("icon loaded")) << report.toStdString();
    QStringList shown;
    for (const QString& line : lines) {
        if (line.startsWith("keyword "))
            shown << line.mid(8);
        // The temporary folder must outlive the program.
        while (line.startsWith("pid ") && QFileInfo::exists("/proc/" + line.mid(4)) &&
               waited.elapsed() < 150000)
            QThread::msleep(100);
    }
    shown.sort();
    EXPECT_EQ(shown, QStringList({"Labyrinth", "Zeppelin", "Öl"})) << report.toStdString();
    EXPECT_TRUE(testsupport::FileBytes(desktop.desktopEntry()).endsWith("# untouched\n"))
        << "the started program rewrote the association";
}

TEST_F(Association, ExecLineAndXdgOpenOpenTheImportWindowWithTheFilesKeywords) {
    // A folder with a space, quotes, shell characters and a non-ASCII letter. (No "%": gio looks
    // for the program before it turns "%%" back into "%".)
    const QString folder = desktop.path("Oneirion \"Träume\" $HOME `x` back\\slash\\$PATH");
    const QString program = folder + "/oneirion", update = desktop.path("new dream words.udj");
    ASSERT_TRUE(QDir().mkpath(folder) && QFile::copy(testsupport::ProgramBinary(), program))
        << "the program is not built: " << testsupport::ProgramBinary().toStdString();
    testsupport::CreateDataFiles(folder);
    ASSERT_TRUE(modDataFiles::CreateKeywords(
                    update, {{"Zeppelin", "an airship"}, {"Labyrinth", "a maze"}, {"Öl", "oil"}})
                    .ok);
    Associate(program);
    // Gone if the started program rewrites the association it should find intact.
    WriteText(desktop.desktopEntry(), "# untouched\n", QIODevice::Append);

    const QByteArray entry = testsupport::FileBytes(desktop.desktopEntry());
    QString exec = QString::fromUtf8(entry.mid(entry.indexOf("\nExec=") + 6).split('\n').first());
    // Once the string escape "\\" is undone, the quoted path follows the rules of the shell's
    // double quotes; %f is the file.
    ASSERT_TRUE(exec.endsWith(" %f")) << exec.toStdString();
    exec.replace("\\\\", "\\").chop(3);
    ExpectImportWindow(desktop, "sh", {"-c", exec + " \"$0\"", update});

    if (!HasTools({"xdg-open", "gio"}))
        GTEST_SKIP() << "xdg-open or gio is not installed";
    ExpectImportWindow(desktop, "xdg-open", {update});
}

} // namespace
