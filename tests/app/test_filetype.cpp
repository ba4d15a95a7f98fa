// Registration of the update-file type with the desktop: the files written, what the check
// answers, the probe file, the desktop's own tools reading the result, and the program started on
// an update file the way the desktop starts it.

#include "TestSupport.h"
#include "core/DesktopAssociation.h"

#include <csignal>
#include <sys/resource.h>

namespace {

using namespace testsupport;

const QString kMimeType = "application/x-dream-keywords-update";
const QString kDesktopId = "org.oneirion.Oneirion.desktop";

QString Xdg(const char* name) {
    return qEnvironmentVariable(name);
}
QString DesktopEntry() {
    return Xdg("XDG_DATA_HOME") + "/applications/" + kDesktopId;
}
QString MimeAppsList() {
    return Xdg("XDG_CONFIG_HOME") + "/mimeapps.list";
}

// Each test starts on a desktop of its own: no association, no lists, nothing in TEMP.
void ClearDesktop() {
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "TEMP"}) {
        QDir(Xdg(name)).removeRecursively();
        QDir().mkpath(Xdg(name));
    }
    qunsetenv("XDG_CURRENT_DESKTOP");
}

Status Associate(const QString& exePath) {
    return DesktopAssociation::associate(exePath, ".udj", "DreamKeywordsUpdate",
                                         "Dream Keywords Update");
}

QString Associated() {
    return DesktopAssociation::associatedProgram("udj");
}

void WriteText(const QString& path, const QByteArray& text, bool append = false) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(append ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// The tool's exit code, then its output and its errors, trimmed.
QStringList RunTool(const QString& tool, const QStringList& arguments,
                    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    if (!process.waitForFinished(120000))
        return {"did not finish"};
    return {QString::number(process.exitCode()), process.readAllStandardOutput().trimmed(),
            process.readAllStandardError().trimmed()};
}

class StartUpAssociation : public ProgramFixture {
protected:
    void SetUp() override {
        ClearDesktop();
        ProgramFixture::SetUp();
    }
    // Starts the program anew as the executable at `exe`.
    void StartAs(const QString& exe) {
        CloseAll();
        SetExecutable(exe);
        ASSERT_NE(StartProgram(), nullptr);
    }
};

TEST_F(StartUpAssociation, FirstStartWritesItTheNextWritesNothingAndAMoveRewritesIt) {
    const QString exe = folder.path() + "/oneirion";
    EXPECT_FALSE(DesktopAssociation::isAssociated(exe));
    StartAs(exe);
    EXPECT_EQ(Associated(), exe);
    EXPECT_TRUE(DesktopAssociation::isAssociated(exe));

    // A rewrite would drop these lines.
    WriteText(DesktopEntry(), "# kept\n", true);
    WriteText(MimeAppsList(), "# kept\n", true);
    StartAs(exe);
    EXPECT_TRUE(FileBytes(DesktopEntry()).endsWith("# kept\n"));
    EXPECT_TRUE(FileBytes(MimeAppsList()).endsWith("# kept\n"));

    // The check is exact to the letter.
    EXPECT_FALSE(DesktopAssociation::isAssociated(folder.path() + "/Oneirion"));
    const QString moved = folder.path() + "/Moved Here/oneirion";
    StartAs(moved);
    EXPECT_EQ(DesktopAssociation::associatedProgram(".udj"), moved);
    EXPECT_TRUE(DesktopAssociation::isAssociated(moved));
}

class Association : public ::testing::Test {
protected:
    void SetUp() override { ClearDesktop(); }
};

TEST_F(Association, KeepsTheUsersOtherChoices) {
    const QByteArray before = "# my choices\n[Default Applications]\ntext/plain=editor.desktop;\n"
                              "application/x-dream-keywords-update=other.desktop;\n\n"
                              "[Added Associations]\nimage/png=viewer.desktop;\n";
    WriteText(MimeAppsList(), before);
    qputenv("XDG_CURRENT_DESKTOP", "Test:Other");
    const QString ownList = Xdg("XDG_CONFIG_HOME") + "/test-mimeapps.list";
    WriteText(ownList, "[Default Applications]\n" + kMimeType.toUtf8() + "=other.desktop\n");
    // The check probes with a file in TEMP; one there already is never touched.
    WriteText(Xdg("TEMP") + "/0tmp.udj", "someone's file");
    ASSERT_TRUE(Associate("/opt/oneirion/oneirion"));

    const QByteArray ours = "update=" + kDesktopId.toUtf8() + ";other.desktop;";
    EXPECT_EQ(FileBytes(MimeAppsList()), QByteArray(before).replace("update=other.desktop;", ours));
    // The desktop-specific list outranks the general one, so it follows too; one that says
    // nothing about the type is not created.
    EXPECT_TRUE(FileBytes(ownList).contains(ours));
    EXPECT_FALSE(QFile::exists(Xdg("XDG_CONFIG_HOME") + "/other-mimeapps.list"));
    EXPECT_EQ(Associated(), "/opt/oneirion/oneirion");
    EXPECT_EQ(FileBytes(Xdg("TEMP") + "/0tmp.udj"), "someone's file");
}

// A disk that fills up mid-write: the failure is told, and no cut-off file stands in the place of
// a whole one.
TEST_F(Association, AWriteCutShortFailsAndLeavesNothingHalfWritten) {
    ASSERT_TRUE(Associate("/opt/oneirion/oneirion"));
    const QByteArray whole = FileBytes(DesktopEntry());
    rlimit normal{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &normal), 0);
    const rlimit full{64, normal.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    const Status written = Associate("/usr/local/oneirion/oneirion");
    ::setrlimit(RLIMIT_FSIZE, &normal);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(FileBytes(DesktopEntry()), whole);
    EXPECT_EQ(Associated(), "/opt/oneirion/oneirion");
}

// Runs `tool`, which must start the program at `program` with the update file as its one
// argument, exactly as given; `program` is a script that writes down what it was started with.
void ExpectStarted(const QString& tool, const QStringList& arguments, const QString& program,
                   const QString& update) {
    const QString report = Xdg("TEMP") + "/argv.txt";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Without a desktop, xdg-open types files by their content alone; the GNOME path asks gio,
    // which reads the MIME database and the Exec line as every desktop does.
    env.insert("XDG_CURRENT_DESKTOP", "GNOME");
    const QStringList run = RunTool(tool, arguments, env);
    ASSERT_EQ(run.value(0), "0") << run.join('\n').toStdString();
    // A launcher may hand the file over and return before the program has started.
    for (int i = 0; i < 1200 && !FileBytes(report).endsWith("end\n"); ++i)
        QThread::msleep(100);
    EXPECT_EQ(QString::fromUtf8(FileBytes(report)), program + '\n' + update + "\nend\n");
    QFile::remove(report);
}

TEST_F(Association, ExecLineAndXdgOpenStartTheProgramOnTheFile) {
    // A folder with a space, quotes, shell characters and a non-ASCII letter. (No "%": gio looks
    // for the program before it turns "%%" back into "%".)
    const QString folder = Xdg("TEMP") + "/Oneirion \"Träume\" $HOME `x` back\\slash\\$PATH";
    const QString program = folder + "/oneirion", update = Xdg("TEMP") + "/new dream words.udj";
    ASSERT_TRUE(QDir().mkpath(folder));
    WriteText(program, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" end > \"$TEMP/argv.txt\"\n");
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    ASSERT_TRUE(modDataFiles::CreateKeywords(update, {{"Zeppelin", "an airship"}}).ok);
    ASSERT_TRUE(Associate(program));
    EXPECT_EQ(RunTool("desktop-file-validate", {DesktopEntry()}), QStringList({"0", "", ""}));

    const QByteArray entry = FileBytes(DesktopEntry());
    QString exec = entry.mid(entry.indexOf("\nExec=") + 6).split('\n').first();
    // Once the string escape "\\" is undone, the quoted path follows the rules of the shell's
    // double quotes; %f is the file.
    ASSERT_TRUE(exec.endsWith(" %f")) << exec.toStdString();
    exec.replace("\\\\", "\\").chop(3);
    ExpectStarted("sh", {"-c", exec + " \"$0\"", update}, program, update);
    ExpectStarted("xdg-open", {update}, program, update);
}

} // namespace
