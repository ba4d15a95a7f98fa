#include "TestSupport.h"

#include "app/CommonDialog.h"
#include "app/MsgBox.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "shell/modRegistry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <deque>
#include <linux/capability.h>
#include <sqlite3.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {
namespace {

void bindAll(sqlite3_stmt* stmt, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        if (v.isNull()) {
            sqlite3_bind_null(stmt, i + 1);
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        } else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(stmt, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
}

QVariant columnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(stmt, i));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
    }
}

// Every http(s) address the program hands to the desktop, instead of a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
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
};

ModalWatch& modalWatch() {
    static ModalWatch watch;
    return watch;
}

void lookAtModals() {
    ModalWatch& watch = modalWatch();
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        watch.seen = nullptr;
    } else if (!watch.acts.empty()) {
        const auto act = std::move(watch.acts.front());
        watch.acts.pop_front();
        act(modal);
    } else if (modal != watch.seen) {
        watch.seen = modal;
        watch.since.start();
    } else if (watch.since.elapsed() > 1000) {
        // Nobody answers it: close it so the run goes on, and let the fixture report it.
        ++watch.strays;
        watch.seen = nullptr;
        modal->close();
    }
}

QWidget* openWindow(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String(name) && window->isVisible())
            return window;
    return nullptr;
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
    const auto dreams = modDataFiles::CreateDreams(folder + QStringLiteral("/Dreams.dll"));
    ASSERT_TRUE(dreams.ok) << dreams.message.toStdString();
    const auto keywords =
        modDataFiles::CreateKeywords(folder + QStringLiteral("/Keywords.dll"), dictionary);
    ASSERT_TRUE(keywords.ok) << keywords.message.toStdString();
}

QList<QVariantList> Query(const QString& file, const QString& sql, const QVariantList& params) {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    QList<QVariantList> rows;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << file.toStdString() << ": " << sql.toStdString() << ": "
                      << sqlite3_errmsg(db);
        sqlite3_close_v2(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 5000);
    bindAll(stmt, params);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVariantList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            row << columnValue(stmt, i);
        rows << row;
    }
    if (rc != SQLITE_DONE)
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return rows;
}

qlonglong AddJournalRow(const QString& dreamsFile, int year, int month, int day,
                        const QString& name, const QString& text) {
    Exec(
        dreamsFile,
        "INSERT INTO tblDreams (Year, Month, Day, JournalName, journaltext) VALUES (?, ?, ?, ?, ?)",
        {year, month, day, name, text});
    return Query(dreamsFile, "SELECT max(ID) FROM tblDreams").value(0).value(0).toLongLong();
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Dump(const QString& file) {
    QProcess tool;
    tool.start("sqlite3", {"-readonly", file, ".dump"});
    EXPECT_TRUE(tool.waitForFinished(30000)) << "the sqlite3 tool is missing";
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    return tool.readAllStandardOutput();
}

QString BuildDir() {
    return qEnvironmentVariable("ONEIRION_BUILD_DIR");
}

QString ProgramBinary() {
    return BuildDir() + QStringLiteral("/oneirion");
}

namespace {

// The capabilities that let a process pass over permission bits.
constexpr quint32 kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool setEffectiveOverrides(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    const quint32 before = data[0].effective;
    data[0].effective = on ? (before | (kOverrides & data[0].permitted)) : (before & ~kOverrides);
    if (data[0].effective == before)
        return false;
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

PermissionsApply::PermissionsApply()
    : lowered_(setEffectiveOverrides(false)) {}

PermissionsApply::~PermissionsApply() {
    if (lowered_)
        setEffectiveOverrides(true);
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
    if (window == nullptr)
        return QStringLiteral("no main window");
    QStringList visible;
    for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "fraAbout"})
        if (Find(window, name)->isVisible())
            visible << name;
    return visible.join(QLatin1Char('+'));
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
    modalWatch().acts.push_back(std::move(act));
}

int StrayModalsClosed() {
    return std::exchange(modalWatch().strays, 0);
}

void SetToday(const std::optional<QDate>& today) {
    modRegistry::testing::SetToday(today);
}

QString SettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + '/' +
           QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + ".conf";
}

QStringList OpenedPages() {
    const std::pair<QUrl, const char*> pages[] = {{modRegistry::OnlineHelpUrl(), "help"},
                                                  {modRegistry::HomePageUrl(), "home"},
                                                  {modRegistry::DownloadPageUrl(), "download"},
                                                  {modRegistry::ThankYouPageUrl(), "closing"}};
    QStringList opened;
    for (const QUrl& url : std::exchange(g_urls->urls, {})) {
        const auto page = std::find_if(std::begin(pages), std::end(pages),
                                       [&url](const auto& known) { return known.first == url; });
        opened << (page != std::end(pages) ? QLatin1String(page->second) : url.toString());
    }
    return opened;
}

void SimulateReadOnly(const QString& file) {
    modDB::SimulateFault(file, modDB::SimulatedFault::ReadOnly);
}

void SimulateDiskFull(const QString& file) {
    modDB::SimulateFault(file, modDB::SimulatedFault::DiskFull);
}

void EndSimulatedFaults() {
    modDB::SimulateFault(QString(), modDB::SimulatedFault::None);
}

void Answer(std::initializer_list<Reply> replies) {
    static const MsgBox::Answer answers[] = {MsgBox::Answer::OK, MsgBox::Answer::Yes,
                                             MsgBox::Answer::No, MsgBox::Answer::Cancel};
    for (const Reply reply : replies)
        MsgBox::SetNextAnswer(answers[int(reply)]);
}

QStringList Shown() {
    static const char* const icons[] = {"Critical", "Information", "Exclamation", "Question"};
    static const char* const answers[] = {"OK", "Yes", "No", "Cancel"};
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
    EndSimulatedFaults();
    EXPECT_EQ(MsgBox::PendingAnswers(), 0) << "a queued answer was never asked for";
    MsgBox::Reset();
    SetProgramFolder(std::nullopt);
    SetExecutable(std::nullopt);
    SetToday(std::nullopt);
    modMain::testing::SetCommandLine(std::nullopt);
    EXPECT_EQ(StrayModalsClosed(), 0) << "a message box or dialog was left unanswered";
}

int RunTests(int argc, char* argv[]) {
    // Private XDG and TEMP folders, so no test touches the real home.
    char root[] = "/tmp/oneirion-test-XXXXXX";
    if (::mkdtemp(root) == nullptr)
        return 2;
    const QString base = QString::fromLocal8Bit(root);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TEMP"}) {
        const QString path = base + '/' + QString::fromLatin1(name).toLower();
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
    QDir(base).removeRecursively();
    return result;
}

} // namespace testsupport

#include "TestSupport.moc"
