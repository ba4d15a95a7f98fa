// The one place where tests reach into the program: its start-up, the shared data it holds
// open, its clock, its simulated faults, and its message and file-dialog layer.

#include "TestSupport.h"

#include "app/CommonDialog.h"
#include "app/MsgBox.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "shell/modRegistry.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QPointer>
#include <QStandardPaths>

#include <deque>
#include <linux/capability.h>
#include <sqlite3.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {
namespace {

// Every http(s) address the program hands to the desktop, instead of a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

UrlRecorder* g_urls = nullptr;

// Modal windows: the acts tests queued for them, and the one a test left open, if any.
struct ModalWatch {
    std::deque<std::function<void(QWidget*)>> acts;
    QPointer<QWidget> seen;
    QElapsedTimer since;
    int strays = 0;
} g_modals;

void lookAtModals() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        g_modals.seen = nullptr;
    } else if (!g_modals.acts.empty()) {
        const auto act = std::move(g_modals.acts.front());
        g_modals.acts.pop_front();
        act(modal);
    } else if (modal != g_modals.seen) {
        g_modals.seen = modal;
        g_modals.since.start();
    } else if (g_modals.since.elapsed() > 1000) {
        // Nobody answers it: close it so the run goes on, and let the fixture report it.
        ++g_modals.strays;
        g_modals.seen = nullptr;
        modal->close();
    }
}

QWidget* openWindow(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == name && window->isVisible())
            return window;
    return nullptr;
}

// Sets the capabilities that let a process pass over permission bits on or off; true when that
// changed anything.
bool setPermissionOverrides(bool on) {
    constexpr quint32 overrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    const quint32 before = data[0].effective;
    data[0].effective = on ? (before | (overrides & data[0].permitted)) : (before & ~overrides);
    return data[0].effective != before && ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

Dictionary SampleDictionary() {
    return {{"cat", "Independence and intuition."},
            {"Bat", "Something hidden in the dark."},
            {"water", "Emotions and the unconscious."},
            {"Ant", "Patient, shared work."},
            {"flying", "Freedom and a wider view."}};
}

void CreateDataFiles(const QString& folder, const Dictionary& dictionary) {
    ASSERT_TRUE(modDataFiles::CreateDreams(folder + "/Dreams.dll").ok);
    ASSERT_TRUE(modDataFiles::CreateKeywords(folder + "/Keywords.dll", dictionary).ok);
}

QList<QVariantList> Query(const QString& file, const QString& sql, const QVariantList& params) {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    QList<QVariantList> rows;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << file.toStdString() << ": " << sql.toStdString() << ": "
                      << sqlite3_errmsg(db);
        sqlite3_close(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 5000);
    for (int i = 0; i < params.size(); ++i) {
        if (params[i].isNull())
            sqlite3_bind_null(stmt, i + 1);
        else if (params[i].typeId() == QMetaType::Int || params[i].typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(stmt, i + 1, params[i].toLongLong());
        else
            sqlite3_bind_text(stmt, i + 1, params[i].toString().toUtf8().constData(), -1,
                              SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVariantList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const int type = sqlite3_column_type(stmt, i);
            row << (type == SQLITE_INTEGER ? QVariant(qlonglong(sqlite3_column_int64(stmt, i)))
                    : type == SQLITE_NULL
                        ? QVariant()
                        : QVariant(QString::fromUtf8(
                              reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)))));
        }
        rows << row;
    }
    if (rc != SQLITE_DONE)
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

qlonglong AddJournalRow(const QString& dreamsFile, int year, int month, int day,
                        const QString& name, const QString& text) {
    return Query(dreamsFile,
                 "INSERT INTO tblDreams (Year, Month, Day, JournalName, journaltext) "
                 "VALUES (?, ?, ?, ?, ?) RETURNING ID",
                 {year, month, day, name, text})
        .value(0)
        .value(0)
        .toLongLong();
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Dump(const QString& file) {
    QProcess tool;
    tool.start("sqlite3", {"-readonly", file, ".dump"});
    EXPECT_TRUE(tool.waitForFinished(30000) && tool.exitCode() == 0) << "sqlite3 failed";
    return tool.readAllStandardOutput();
}

QString BuildDir() {
    return qEnvironmentVariable("ONEIRION_BUILD_DIR");
}

PermissionsApply::PermissionsApply()
    : lowered_(setPermissionOverrides(false)) {}

PermissionsApply::~PermissionsApply() {
    if (lowered_)
        setPermissionOverrides(true);
}

void SetProgramFolder(const std::optional<QString>& folder) {
    modMain::testing::SetAppPath(folder);
}

QWidget* StartProgram(const QString& commandLine) {
    modMain::testing::SetCommandLine(commandLine);
    modMain::Main();
    return commandLine.isEmpty() ? MainWindow() : ImportWindow();
}

void SetExecutable(const std::optional<QString>& path) {
    modMain::testing::SetExePath(path);
    modMain::testing::ReleaseInstance();
}

int OtherInstances() {
    return modMain::testing::OtherInstances();
}

QWidget* MainWindow() {
    return openWindow("frmMain");
}

QWidget* ImportWindow() {
    return openWindow("frmKeyUpdate");
}

QString PanelInFront() {
    QWidget* window = MainWindow();
    QStringList visible;
    for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "fraAbout"})
        if (window && Find(window, name)->isVisible())
            visible << name;
    return window ? visible.join('+') : "no main window";
}

bool ProgramEnded() {
    ProcessEvents();
    return !MainWindow() && !ImportWindow() && modMain::LoadedForms().isEmpty();
}

void CloseAll() {
    modMain::UnloadAllForms();
    ProcessEvents();
    modDB::rsDreams.reset();
    modDB::cnDreams.reset();
    modDB::rsKeywords.reset();
    modDB::cnKeywords.reset();
}

void ProcessEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void OnNextModal(std::function<void(QWidget*)> act) {
    g_modals.acts.push_back(std::move(act));
}

void SetToday(const std::optional<QDate>& today) {
    modRegistry::testing::SetToday(today);
}

QString SettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + '/' +
           QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + ".conf";
}

QStringList OpenedPages() {
    const QMap<QUrl, QString> pages = {{modRegistry::OnlineHelpUrl(), "help"},
                                       {modRegistry::HomePageUrl(), "home"},
                                       {modRegistry::DownloadPageUrl(), "download"},
                                       {modRegistry::ThankYouPageUrl(), "closing"}};
    QStringList opened;
    for (const QUrl& url : std::exchange(g_urls->urls, {}))
        opened << pages.value(url, url.toString());
    return opened;
}

void SimulateFault(Fault fault, const QString& file) {
    const modDB::SimulatedFault faults[] = {modDB::SimulatedFault::None,
                                            modDB::SimulatedFault::ReadOnly,
                                            modDB::SimulatedFault::DiskFull};
    modDB::SimulateFault(file, faults[int(fault)]);
}

void Answer(std::initializer_list<Reply> replies) {
    const MsgBox::Answer answers[] = {MsgBox::Answer::OK, MsgBox::Answer::Yes, MsgBox::Answer::No,
                                      MsgBox::Answer::Cancel};
    for (const Reply reply : replies)
        MsgBox::SetNextAnswer(answers[int(reply)]);
}

QStringList Shown() {
    const char* const icons[] = {"Critical", "Information", "Exclamation", "Question"};
    const char* const answers[] = {"OK", "Yes", "No", "Cancel"};
    QStringList lines;
    for (const MsgBox::Shown& shown : MsgBox::TakeShown()) {
        lines << QString(icons[int(shown.icon)]) + ": " + shown.text;
        if (shown.buttons != MsgBox::Buttons::OK)
            lines.back() += QString(" [Yes No%1; %2]")
                                .arg(shown.buttons == MsgBox::Buttons::YesNoCancel ? " Cancel" : "",
                                     answers[int(shown.defaultAnswer)]);
    }
    return lines;
}

QStringList Press(QAbstractButton* button, std::initializer_list<Reply> replies) {
    Answer(replies);
    button->click();
    const QStringList shown = Shown();
    EXPECT_EQ(MsgBox::PendingAnswers(), 0)
        << "fewer messages than answers: " << shown.join(" | ").toStdString();
    if (MsgBox::PendingAnswers() > 0)
        MsgBox::Reset();
    return shown;
}

void NextFileName(const QString& path) {
    CommonDialog::SetNextFileName(path);
}

void NextPrint(std::function<bool(QPrinter&)> answer) {
    CommonDialog::SetNextPrintAnswer(std::move(answer));
}

QString OfferedFileTypes() {
    return CommonDialog::Last().nameFilters;
}

bool PageRangeOffered() {
    return CommonDialog::Last().pageRangeOffered;
}

void ProgramFixture::SetUp() {
    ASSERT_TRUE(folder.isValid());
    CreateDataFiles(folder.path(), InitialDictionary());
    SetProgramFolder(folder.path());
    MsgBox::Reset();
    OpenedPages();
}

void ProgramFixture::TearDown() {
    CloseAll();
    SimulateFault(Fault::None);
    EXPECT_EQ(MsgBox::PendingAnswers(), 0) << "a queued answer was never asked for";
    MsgBox::Reset();
    SetProgramFolder(std::nullopt);
    SetExecutable(std::nullopt);
    SetToday(std::nullopt);
    modMain::testing::SetCommandLine(std::nullopt);
    EXPECT_EQ(std::exchange(g_modals.strays, 0), 0) << "a message box or dialog was left open";
}

int RunTests(int argc, char* argv[]) {
    char root[] = "/tmp/oneirion-test-XXXXXX";
    if (::mkdtemp(root) == nullptr)
        return 2;
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TEMP"}) {
        const QString path = root + ('/' + QString(name).toLower());
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(path));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    UrlRecorder urls;
    g_urls = &urls;
    QTimer modals;
    QObject::connect(&modals, &QTimer::timeout, &lookAtModals);
    modals.start(20);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir(root).removeRecursively();
    return result;
}

} // namespace testsupport

#include "TestSupport.moc"
