#pragma once

// Shared helpers of the test suite: temporary program folders with real data files, the running
// program in-process, the message layer's record, and the URLs the program opened.

#include "DataFiles.h"
#include "app/MsgBox.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>

#include <gtest/gtest.h>
#include <vector>

class frmMain;

// Failed comparisons show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace testsupport {

using Dictionary = std::vector<modDataFiles::Entry>;

// A small dictionary that the start-up tests and many others share.
Dictionary SampleDictionary();

// The control named `name` (its objectName, the contract tests drive the windows by) below
// `root`; a missing one fails the test and gives nullptr.
template <typename T = QWidget>
T* Find(const QObject* root, const QString& name) {
    T* found = root ? root->findChild<T*>(name) : nullptr;
    EXPECT_NE(found, nullptr) << "no control named " << name.toStdString();
    return found;
}

// Creates Dreams.dll and Keywords.dll (holding `dictionary`) in `folder`.
void CreateDataFiles(const QString& folder, const Dictionary& dictionary = SampleDictionary());

// Direct access to a database file, beside the program's own code, for setting up and checking.
void Exec(const QString& file, const QString& sql, const QVariantList& params = {});
QList<QVariantList> Query(const QString& file, const QString& sql, const QVariantList& params = {});
qlonglong AddJournalRow(const QString& dreamsFile, int year, int month, int day,
                        const QString& name, const QString& text);
QByteArray FileBytes(const QString& path);

// Texts of the messages shown since the last call, oldest first.
QStringList TakeMessageTexts();

// Runs posted events, deferred deletions included.
void ProcessEvents();

// How many modal windows nobody answered had to be closed since the last call.
int StrayModalsClosed();

// The build folder and the programs in it.
QString BuildDir();
QString ProgramBinary();

// Root reads and writes whatever the permission bits say. While one of these lives, this thread
// sets aside that power (only for the moment: it stays permitted and comes back), so that a test
// meets a read-only or unreadable file as a user does.
class PermissionsApply {
public:
    PermissionsApply();
    ~PermissionsApply();
    PermissionsApply(const PermissionsApply&) = delete;
    PermissionsApply& operator=(const PermissionsApply&) = delete;

private:
    bool lowered_ = false;
};

// Records every http(s) URL the program hands to the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder();
    ~UrlRecorder() override;
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url);
};

// A program folder with both data files, the shared data opened as start-up opens it, and (after
// StartMain) the main window loaded and shown.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The dictionary the folder's Keywords.dll starts with.
    virtual Dictionary InitialDictionary() const { return SampleDictionary(); }

    // Runs modMain::Main() with an empty command line and returns the main window, or nullptr
    // when loading unloaded it.
    frmMain* StartMain();
    QString DreamsFile() const;
    QString KeywordsFile() const;

    QTemporaryDir folder;
    frmMain* form = nullptr;
    UrlRecorder urls;
};

} // namespace testsupport
