// An import killed in the middle: each merged row is written on its own, so the dictionary must
// come out intact, holding exactly the keywords handled before the kill.

#include "ImportTestSupport.h"
#include "data/modDB.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace {

using importtest::DictionaryRows;
using importtest::UpdateRows;
using importtest::WriteUpdateFile;
using Row = std::pair<QString, QString>;

class KilledImport : public importtest::ImportFixture {};

TEST_F(KilledImport, LeavesAnIntactDictionaryWithTheKeywordsBeforeTheKill) {
    const int kNew = 2000;
    const QList<Row> original = DictionaryRows(KeywordsFile());
    // New keywords come first and are merged in keyword order; the existing ones (unchecked)
    // follow them and must stay as they were.
    UpdateRows update;
    QList<Row> expected;
    for (int i = 0; i < kNew; ++i) {
        const QString keyword = QStringLiteral("Dream%1").arg(i, 4, 10, QLatin1Char('0'));
        update.push_back({keyword, QStringLiteral("Meaning number %1").arg(i)});
        expected.append({keyword, QStringLiteral("Meaning number %1").arg(i)});
    }
    for (const Row& known : original)
        update.push_back({known.first.toUpper(), QStringLiteral("Changed")});
    const QString updateFile = UpdatePath(QStringLiteral("big.udj"));
    WriteUpdateFile(updateFile, update, importtest::Maker::Program);
    const QByteArray updateBytes = testsupport::FileBytes(updateFile);

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(IMPORT_KILL_CHILD), {folder.path(), updateFile});
    ASSERT_TRUE(child.waitForStarted(10000));
    ASSERT_TRUE(child.waitForReadyRead(30000)) << "the child never started its import";

    // Kill it once about half of the new keywords are in.
    const QString count = QStringLiteral("SELECT count(*) FROM tblKeywords");
    QElapsedTimer waited;
    waited.start();
    qlonglong merged = 0;
    while (merged < kNew / 2 && waited.elapsed() < 60000 && child.state() == QProcess::Running) {
        merged = testsupport::Query(KeywordsFile(), count).value(0).value(0).toLongLong() -
                 original.size();
        QThread::msleep(5);
    }
    ASSERT_EQ(child.state(), QProcess::Running) << "the import ended before it could be killed";
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    const auto check = testsupport::Query(KeywordsFile(), QStringLiteral("PRAGMA integrity_check"));
    ASSERT_EQ(check.size(), 1);
    EXPECT_EQ(check.first().value(0).toString(), QStringLiteral("ok"));

    const QList<Row> after = DictionaryRows(KeywordsFile());
    ASSERT_GE(after.size(), original.size());
    EXPECT_EQ(after.mid(0, original.size()), original) << "existing keywords were changed";
    const QList<Row> added = after.mid(original.size());
    EXPECT_GE(added.size(), kNew / 2);
    EXPECT_LT(added.size(), kNew) << "the kill came too late to test anything";
    EXPECT_EQ(added, expected.mid(0, added.size())) << "not a prefix of the checked keywords";
    EXPECT_EQ(testsupport::FileBytes(updateFile), updateBytes);

    // The program starts on the dictionary as it was left, and the rest can be imported.
    frmKeyUpdate* window = StartWithCommandLine(updateFile);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(modDB::rsKeywords->RecordCount(), long(after.size()));
}

} // namespace
