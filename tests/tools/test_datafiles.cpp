// oneirion-datafiles and the dictionary it ships: it creates the two data files, never replaces
// one, keeps them private, and writes exactly the rows of a sound dictionary source.

#include "TestSupport.h"

#include <QSet>

namespace {

using namespace testsupport;

// The tool's exit code and what it said.
std::pair<int, QString> datafiles(const QStringList& args) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(BuildDir() + "/oneirion-datafiles", args);
    EXPECT_TRUE(tool.waitForFinished(60000));
    return {tool.exitCode(), tool.readAll()};
}

Dictionary shippedDictionary() {
    QFile source(ONEIRION_DICTIONARY_SOURCE);
    EXPECT_TRUE(source.open(QIODevice::ReadOnly));
    Dictionary entries;
    const auto parsed = modDataFiles::ParseDictionary(source.readAll(), entries);
    EXPECT_TRUE(parsed.ok) << parsed.message.toStdString();
    return entries;
}

TEST(DataFilesTool, CreatesBothFilesPrivatelyWithTheShippedDictionary) {
    QTemporaryDir folder;
    const auto [exitCode, output] = datafiles({folder.path()});
    ASSERT_EQ(exitCode, 0) << output.toStdString();
    for (const char* name : {"Dreams.dll", "Keywords.dll"})
        EXPECT_EQ(QFile::permissions(folder.filePath(name)) & 0x0ff, QFile::Permissions())
            << name << " is open to others";
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Hidden | QDir::Files),
              QStringList({"Dreams.dll", "Keywords.dll"}))
        << "no temporary file is left behind";
    EXPECT_EQ(Query(folder.filePath("Dreams.dll"), "SELECT count(*) FROM tblDreams")[0][0], 0);
    QList<QVariantList> expected;
    for (const auto& [keyword, meaning] : shippedDictionary())
        expected << QVariantList{keyword, meaning};
    EXPECT_EQ(Query(folder.filePath("Keywords.dll"),
                    "SELECT Keyword, Description FROM tblKeywords ORDER BY rowid"),
              expected);
}

TEST(DataFilesTool, NeverReplacesAFileThatExistsInAnyLetterCase) {
    QTemporaryDir folder;
    ASSERT_EQ(datafiles({folder.path()}).first, 0);
    const QString dreams = folder.filePath("Dreams.dll");
    AddJournalRow(dreams, 2020, 1, 1, "kept", "text");
    const QByteArray before = FileBytes(dreams);
    const auto [refused, output] = datafiles({folder.path()});
    EXPECT_NE(refused, 0);
    EXPECT_TRUE(output.contains("exists")) << output.toStdString();
    EXPECT_EQ(datafiles({"--if-absent", folder.path()}).first, 0);
    EXPECT_EQ(FileBytes(dreams), before);

    QTemporaryDir other;
    QFile::copy(dreams, other.filePath("dreams.DLL"));
    EXPECT_EQ(datafiles({"--if-absent", other.path()}).first, 0);
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files),
              QStringList({"dreams.DLL", "Keywords.dll"}));
}

TEST(ShippedDictionary, IsCompleteUniqueSortedAndCoversCommonDreams) {
    const Dictionary entries = shippedDictionary();
    EXPECT_GE(entries.size(), 2100u);
    QSet<QString> seen;
    QString previous;
    for (const auto& [keyword, meaning] : entries) {
        const std::string k = keyword.toStdString();
        EXPECT_TRUE(!keyword.isEmpty() && keyword == keyword.trimmed()) << k;
        EXPECT_TRUE(meaning.size() >= 80 && meaning == meaning.trimmed()) << k;
        EXPECT_FALSE(seen.contains(keyword.toCaseFolded())) << k << " repeats";
        EXPECT_LE(QString::compare(previous, keyword, Qt::CaseInsensitive), 0)
            << k << " is out of order";
        seen.insert(keyword.toCaseFolded());
        previous = keyword;
    }
    for (const char* common : {"dog", "teeth", "falling", "flying", "snake", "water", "house",
                               "baby", "car", "school", "exam", "wedding", "chased", "death"})
        EXPECT_TRUE(seen.contains(common)) << common;
}

} // namespace
