// The desktop starting the built program on an update file: the Exec line of the desktop entry the
// program writes, and xdg-open, must open the import window with the file's keywords.

#include "TestSupport.h"
#include "shell/modFileType.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {

const QString kUpdateKeywords[] = {QStringLiteral("Labyrinth"), QStringLiteral("Zeppelin"),
                                   QStringLiteral("Öl")};

class LaunchFromDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "TEMP"}) {
            const QString path = root.filePath(QString::fromLatin1(name).toLower());
            ASSERT_TRUE(QDir().mkpath(path));
            saved.append({name, qgetenv(name)});
            qputenv(name, QFile::encodeName(path));
        }
        saved.append({"XDG_CURRENT_DESKTOP", qgetenv("XDG_CURRENT_DESKTOP")});
        qunsetenv("XDG_CURRENT_DESKTOP");
        ASSERT_TRUE(QFileInfo(testsupport::ProgramBinary()).isExecutable())
            << "the program is not built: " << testsupport::ProgramBinary().toStdString();

        // The program in a folder whose name has a space and a non-ASCII letter.
        programFolder = root.filePath(QStringLiteral("Oneirion Träume"));
        ASSERT_TRUE(QDir().mkpath(programFolder));
        program = programFolder + QStringLiteral("/oneirion");
        const bool linked = ::link(QFile::encodeName(testsupport::ProgramBinary()).constData(),
                                   QFile::encodeName(program).constData()) == 0;
        if (!linked) {
            ASSERT_TRUE(QFile::copy(testsupport::ProgramBinary(), program));
        }
        testsupport::CreateDataFiles(programFolder);

        updateFile = root.filePath(QStringLiteral("my updates/new dream words.udj"));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(updateFile).path()));
        testsupport::Exec(
            updateFile,
            QStringLiteral("CREATE TABLE tblKeywords (Keyword TEXT, Description TEXT)"));
        for (const QString& keyword : kUpdateKeywords)
            testsupport::Exec(updateFile, QStringLiteral("INSERT INTO tblKeywords VALUES (?, ?)"),
                              {keyword, QStringLiteral("A meaning of ") + keyword});

        modFileType::AssociateFileType(program, QStringLiteral(".udj"),
                                       QStringLiteral("DreamKeywordsUpdate"),
                                       QStringLiteral("Dream Keywords Update"), 1);
        desktopEntry = root.filePath(
            QStringLiteral("xdg_data_home/applications/org.oneirion.Oneirion.desktop"));
        ASSERT_TRUE(QFile::exists(desktopEntry));
        // Gone if the started program rewrites the association it should find intact.
        QFile entry(desktopEntry);
        ASSERT_TRUE(entry.open(QIODevice::Append));
        entry.write("# untouched\n");
    }

    void TearDown() override {
        for (const auto& [name, value] : saved) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }

    QProcessEnvironment probeEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(ONEIRION_PROBE_PLUGIN_DIR));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("oneirionwindowprobe"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    void expectImportWindowReport(const QString& report) {
        const QStringList lines = report.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_TRUE(lines.contains(QStringLiteral("window frmKeyUpdate"))) << report.toStdString();
        EXPECT_TRUE(lines.contains(QStringLiteral("icon loaded"))) << report.toStdString();
        QStringList keywords;
        for (const QString& line : lines) {
            if (line.startsWith(QLatin1String("keyword ")))
                keywords << line.mid(8);
        }
        keywords.sort();
        QStringList expected(std::begin(kUpdateKeywords), std::end(kUpdateKeywords));
        expected.sort();
        EXPECT_EQ(keywords, expected) << report.toStdString();
        EXPECT_TRUE(testsupport::FileBytes(desktopEntry).endsWith("# untouched\n"))
            << "the started program rewrote the association";
    }

    QTemporaryDir root;
    QList<std::pair<const char*, QByteArray>> saved;
    QString programFolder, program, updateFile, desktopEntry;
};

// The Exec value split as the desktop-entry rules say: string escapes first, then arguments
// separated by spaces, double-quoted ones with \" \` \$ \\ escaped; %f becomes the file.
QStringList commandFromExec(const QString& exec, const QString& file) {
    QString value;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec.at(i) != QLatin1Char('\\') || i + 1 == exec.size()) {
            value += exec.at(i);
            continue;
        }
        const char16_t next = exec.at(++i).unicode();
        switch (next) {
        case u's':
            value += QLatin1Char(' ');
            break;
        case u'n':
            value += QLatin1Char('\n');
            break;
        case u't':
            value += QLatin1Char('\t');
            break;
        case u'r':
            value += QLatin1Char('\r');
            break;
        case u'\\':
            value += QLatin1Char('\\');
            break;
        default:
            value += QLatin1Char('\\');
            value += QChar(next);
        }
    }
    QStringList words;
    QString word;
    bool quoted = false;
    bool started = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < value.size())
                word += value.at(++i);
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                word += c;
        } else if (c == QLatin1Char(' ')) {
            if (started)
                words << word;
            word.clear();
            started = false;
        } else {
            started = true;
            if (c == QLatin1Char('"'))
                quoted = true;
            else
                word += c;
        }
    }
    if (started)
        words << word;
    for (QString& w : words) {
        if (w == QLatin1String("%f"))
            w = file;
        else
            w.replace(QLatin1String("%%"), QLatin1String("%"));
    }
    return words;
}

TEST_F(LaunchFromDesktop, ExecLineOpensTheImportWindowWithTheFilesKeywords) {
    QString exec;
    for (const QByteArray& line : testsupport::FileBytes(desktopEntry).split('\n')) {
        if (line.startsWith("Exec="))
            exec = QString::fromUtf8(line.mid(5));
    }
    const QStringList command = commandFromExec(exec, updateFile);
    ASSERT_EQ(command.size(), 2) << exec.toStdString();
    EXPECT_EQ(command.first(), program);

    QProcess child;
    child.setProcessEnvironment(probeEnvironment());
    child.start(command.first(), command.mid(1));
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(child.waitForFinished(180000)) << "the program did not end";
    const QString report = QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    expectImportWindowReport(report);
}

TEST_F(LaunchFromDesktop, XdgOpenStartsTheProgramOnTheFile) {
    // Without a desktop, xdg-open types files by their content alone; the GNOME path asks gio,
    // which reads the MIME database as every desktop does.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
        GTEST_SKIP() << "xdg-open or gio is not installed";
    const QString reportFile = root.filePath(QStringLiteral("report.txt"));
    QProcessEnvironment env = probeEnvironment();
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    env.insert(QStringLiteral("ONEIRION_PROBE_REPORT"), reportFile);
    QProcess opener;
    opener.setProcessEnvironment(env);
    opener.start(xdgOpen, {updateFile});
    ASSERT_TRUE(opener.waitForFinished(60000));
    ASSERT_EQ(opener.exitCode(), 0) << opener.readAllStandardError().toStdString();

    // The opener hands the file over and returns; the program reports when its window is up.
    QElapsedTimer waited;
    waited.start();
    QString report;
    while (!report.contains(QLatin1String("\nend\n")) && waited.elapsed() < 180000) {
        QThread::msleep(100);
        report = QString::fromUtf8(testsupport::FileBytes(reportFile));
    }
    expectImportWindowReport(report);
    for (const QString& line : report.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("pid ")))
            continue;
        const QString proc = QStringLiteral("/proc/") + line.mid(4);
        while (QFileInfo::exists(proc) && waited.elapsed() < 240000)
            QThread::msleep(100);
    }
}

} // namespace
