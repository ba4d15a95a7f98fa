// oneirion-datafiles: creates the two data files, never replaces one, and keeps them private.

#include "TestSupport.h"

#include <QFileInfo>
#include <QProcess>

namespace {

struct ToolRun {
    int exitCode;
    QString output;
};

ToolRun datafiles(const QStringList& args) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(testsupport::BuildDir() + QStringLiteral("/oneirion-datafiles"), args);
    EXPECT_TRUE(tool.waitForFinished(60000));
    return {tool.exitCode(), QString::fromLocal8Bit(tool.readAll())};
}

TEST(DataFilesTool, CreatesBothFilesPrivateToTheirOwner) {
    QTemporaryDir folder;
    const ToolRun run = datafiles({folder.path()});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    for (const char* name : {"Dreams.dll", "Keywords.dll"}) {
        const QFileInfo file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.isFile()) << name;
        EXPECT_EQ(file.permissions() &
                      (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                  QFile::Permissions())
            << name;
    }
    EXPECT_EQ(testsupport::Query(folder.filePath(QStringLiteral("Dreams.dll")),
                                 QStringLiteral("SELECT count(*) FROM tblDreams")),
              (QList<QVariantList>{{qlonglong(0)}}));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Hidden | QDir::Files).filter(".tmp").isEmpty())
        << "no temporary file is left behind";
}

TEST(DataFilesTool, NeverReplacesAFileThatExists) {
    QTemporaryDir folder;
    ASSERT_EQ(datafiles({folder.path()}).exitCode, 0);
    const QString dreams = folder.filePath(QStringLiteral("Dreams.dll"));
    testsupport::AddJournalRow(dreams, 2020, 1, 1, QStringLiteral("kept"), QStringLiteral("text"));
    const QByteArray before = testsupport::FileBytes(dreams);

    const ToolRun refused = datafiles({folder.path()});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.output.contains(QStringLiteral("exists"))) << refused.output.toStdString();
    EXPECT_EQ(datafiles({QStringLiteral("--if-absent"), folder.path()}).exitCode, 0);
    EXPECT_EQ(testsupport::FileBytes(dreams), before);

    // A journal named in other letter case is the same journal.
    QTemporaryDir other;
    QFile::copy(dreams, other.filePath(QStringLiteral("dreams.DLL")));
    EXPECT_EQ(datafiles({QStringLiteral("--if-absent"), other.path()}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(other.filePath(QStringLiteral("Dreams.dll"))));
    EXPECT_TRUE(QFile::exists(other.filePath(QStringLiteral("Keywords.dll"))));
}

} // namespace
