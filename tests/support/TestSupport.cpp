#include "TestSupport.h"

#include "CoreTestSupport.h"
#include "app/Application.h"
#include "app/WebPages.h"
#include "core/InstanceLock.h"
#include "gui/FileDialog.h"
#include "gui/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPrintDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <deque>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace testsupport {
namespace {

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
    bool pageRangeOffered = true;
};

ModalWatch& modalWatch() {
    static ModalWatch watch;
    return watch;
}

void lookAtModals() {
    ModalWatch& watch = modalWatch();
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* print = qobject_cast<QPrintDialog*>(modal))
        watch.pageRangeOffered = print->testOption(QAbstractPrintDialog::PrintPageRange);
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

// The program as the tests run it: every start in this process, and what they start with.
struct Program {
    std::vector<std::unique_ptr<Application>> starts;
    std::optional<QString> folder;
    std::optional<QString> executable;
    std::optional<QDate> today;
};

Program& program() {
    static Program state;
    return state;
}

QString executable() {
    return program().executable.value_or(QCoreApplication::applicationFilePath());
}

// Message boxes the tests answer: the queued answers, and a record of what was asked.
struct Messages {
    std::deque<MessageBox::Button> answers;
    QList<MessageBox::Message> shown;
};

Messages& messages() {
    static Messages state;
    return state;
}

MessageBox::Button answerMessage(const MessageBox::Message& message) {
    Messages& state = messages();
    state.shown << message;
    if (state.answers.empty()) {
        ADD_FAILURE() << "nobody answers " << message.text.toStdString();
        return message.defaultButton;
    }
    const MessageBox::Button answer = state.answers.front();
    state.answers.pop_front();
    return answer;
}

// File and print dialogs the tests answer.
struct Dialogs {
    std::deque<QString> fileNames;
    std::deque<std::function<bool(QPrinter&)>> prints;
    QString offeredFileTypes;
};

Dialogs& dialogs() {
    static Dialogs state;
    return state;
}

void installDialogAnswerer();

QString answerFileDialog(const QString& title, const QStringList& nameFilters) {
    Dialogs& state = dialogs();
    state.offeredFileTypes = nameFilters.join(QLatin1String(";;"));
    if (state.fileNames.empty()) {
        ADD_FAILURE() << "nobody answers the file dialog " << title.toStdString();
        return QString();
    }
    const QString name = state.fileNames.front();
    state.fileNames.pop_front();
    return name;
}

bool answerPrintDialog(QPrinter& printer) {
    Dialogs& state = dialogs();
    if (!state.prints.empty()) {
        const auto answer = std::move(state.prints.front());
        state.prints.pop_front();
        return answer(printer);
    }
    FileDialog::setAnswerer({});
    const bool printed = FileDialog::print(nullptr, printer);
    installDialogAnswerer();
    return printed;
}

void installDialogAnswerer() {
    FileDialog::setAnswerer({answerFileDialog, answerPrintDialog});
}

// Tests answer every box and dialog through these; a program started without RunTests (a child
// process of a test) gets them at its start.
void installAnswerers() {
    MessageBox::setAnswerer(answerMessage);
    installDialogAnswerer();
}

QWidget* openWindow(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String(name) && window->isVisible())
            return window;
    return nullptr;
}

// Files a test made read-only, with the permissions they had, the user's rights it took, and
// the file-size limit a full disk replaced.
struct Faults {
    std::vector<std::pair<QString, QFile::Permissions>> readOnly;
    std::unique_ptr<PermissionsApply> asUser;
    std::optional<rlimit> sizeLimit;
};

Faults& faults() {
    static Faults state;
    return state;
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
    return coretest::query(file, sql, params);
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
    return coretest::fileBytes(path);
}

QByteArray Dump(const QString& file) {
    return coretest::dump(file);
}

QString BuildDir() {
    return qEnvironmentVariable("ONEIRION_BUILD_DIR");
}

void SetProgramFolder(const std::optional<QString>& folder) {
    program().folder = folder;
}

// A program whose windows have all gone has ended, as its process would have.
void forgetEndedPrograms() {
    ProcessEvents();
    auto& starts = program().starts;
    starts.erase(std::remove_if(starts.begin(), starts.end(),
                                [](const auto& start) { return start->windows().isEmpty(); }),
                 starts.end());
}

QWidget* StartProgram(const QString& commandLine) {
    forgetEndedPrograms();
    installAnswerers();
    Application::Environment environment{
        program().folder.value_or(QCoreApplication::applicationDirPath()), executable(),
        commandLine.isEmpty() ? QStringList() : QStringList{commandLine},
        [] { return program().today.value_or(QDate::currentDate()); }};
    program().starts.push_back(std::make_unique<Application>(std::move(environment)));
    // As main() does: the event loop ends with the program's last window.
    QObject::connect(program().starts.back().get(), &Application::lastWindowClosed,
                     QCoreApplication::instance(), &QCoreApplication::quit);
    program().starts.back()->start();
    return commandLine.isEmpty() ? MainWindow() : ImportWindow();
}

void SetExecutable(const std::optional<QString>& path) {
    program().executable = path;
}

int OtherInstances() {
    // A lock of its own would count every other one: the programs of this process hold one
    // each, and only the others' count.
    forgetEndedPrograms();
    const InstanceLock probe(executable());
    return probe.otherInstances() - int(program().starts.size());
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
    for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "fraAbout"}) {
        if (Find(window, QLatin1String(name))->isVisible())
            visible << QLatin1String(name);
    }
    return visible.join(QLatin1Char('+'));
}

bool ProgramEnded() {
    ProcessEvents();
    for (const auto& start : program().starts) {
        if (!start->windows().isEmpty())
            return false;
    }
    return true;
}

void CloseAll() {
    for (const auto& start : program().starts)
        start->closeAllWindows();
    ProcessEvents();
    program().starts.clear();
    ProcessEvents();
}

void ProcessEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void OnNextModal(std::function<void(QWidget*)> act) {
    modalWatch().acts.push_back(std::move(act));
}

void SetToday(const std::optional<QDate>& today) {
    program().today = today;
}

QString SettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + '/' +
           QFileInfo(executable()).completeBaseName() + ".conf";
}

QStringList OpenedPages() {
    using WebPages::Page;
    const std::pair<Page, const char*> pages[] = {{Page::OnlineHelp, "help"},
                                                  {Page::Home, "home"},
                                                  {Page::Download, "download"},
                                                  {Page::ThankYou, "closing"}};
    QStringList opened;
    for (const QUrl& url : std::exchange(g_urls->urls, {})) {
        const auto page =
            std::find_if(std::begin(pages), std::end(pages), [&url](const auto& known) {
                return WebPages::address(known.first) == url;
            });
        opened << (page != std::end(pages) ? QLatin1String(page->second) : url.toString());
    }
    return opened;
}

void SimulateFault(Fault fault, const QString& file) {
    Faults& state = faults();
    switch (fault) {
    case Fault::None:
        state.asUser.reset();
        for (const auto& [path, permissions] : state.readOnly)
            QFile::setPermissions(path, permissions);
        state.readOnly.clear();
        if (state.sizeLimit) {
            ::setrlimit(RLIMIT_FSIZE, &*state.sizeLimit);
            state.sizeLimit.reset();
        }
        break;
    case Fault::ReadOnly:
        // Read-only for real, and this thread honours that as a user does until the faults end.
        state.readOnly.emplace_back(file, QFile::permissions(file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (!state.asUser)
            state.asUser = std::make_unique<PermissionsApply>();
        break;
    case Fault::DiskFull:
        // No file of this process grows or changes any more: each write fails as on a full disk.
        if (!state.sizeLimit) {
            rlimit normal{};
            ::getrlimit(RLIMIT_FSIZE, &normal);
            state.sizeLimit = normal;
            const rlimit full{0, normal.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &full);
        }
        break;
    }
}

void Answer(std::initializer_list<Reply> replies) {
    static const MessageBox::Button answers[] = {MessageBox::Ok, MessageBox::Yes, MessageBox::No,
                                                 MessageBox::Cancel};
    for (const Reply reply : replies)
        messages().answers.push_back(answers[int(reply)]);
}

QStringList Shown() {
    static const char* const icons[] = {"Critical", "Information", "Exclamation", "Question"};
    const std::pair<MessageBox::Button, const char*> names[] = {{MessageBox::Ok, "OK"},
                                                                {MessageBox::Yes, "Yes"},
                                                                {MessageBox::No, "No"},
                                                                {MessageBox::Cancel, "Cancel"}};
    QStringList lines;
    for (const MessageBox::Message& shown : std::exchange(messages().shown, {})) {
        lines << QStringLiteral("%1: %2").arg(QLatin1String(icons[int(shown.icon)]), shown.text);
        if (shown.buttons == MessageBox::Ok)
            continue;
        QStringList buttons;
        QString defaultButton;
        for (const auto& [button, name] : names) {
            if (shown.buttons.testFlag(button))
                buttons << QLatin1String(name);
            if (shown.defaultButton == button)
                defaultButton = QLatin1String(name);
        }
        lines.back() +=
            QStringLiteral(" [%1; %2]").arg(buttons.join(QLatin1Char(' ')), defaultButton);
    }
    return lines;
}

QStringList Press(QAbstractButton* button, std::initializer_list<Reply> replies) {
    Answer(replies);
    if (button != nullptr)
        button->click();
    const QStringList shown = Shown();
    EXPECT_TRUE(messages().answers.empty())
        << "fewer messages than answers: " << shown.join(" | ").toStdString();
    messages().answers.clear();
    return shown;
}

void NextFileName(const QString& path) {
    dialogs().fileNames.push_back(path);
}

void NextPrint(std::function<bool(QPrinter&)> answer) {
    dialogs().prints.push_back(std::move(answer));
}

QString OfferedFileTypes() {
    return dialogs().offeredFileTypes;
}

bool PageRangeOffered() {
    return modalWatch().pageRangeOffered;
}

int RunTests(int argc, char* argv[]) {
    char root[] = "/tmp/oneirion-test-XXXXXX";
    if (::mkdtemp(root) == nullptr)
        return 2;
    const QString base = QString::fromLocal8Bit(root);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TEMP"}) {
        const QString path = base + QLatin1Char('/') + QString::fromLatin1(name).toLower();
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(path));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // A write beyond the file-size limit fails rather than ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    installAnswerers();
    UrlRecorder urls;
    g_urls = &urls;
    // A box nobody answered would hang the run.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, lookAtModals);
    watch.start(50);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CloseAll();
    g_urls = nullptr;
    QDir(base).removeRecursively();
    return result;
}

void ProgramFixture::SetUp() {
    ASSERT_TRUE(folder.isValid());
    CreateDataFiles(folder.path(), InitialDictionary());
    SetProgramFolder(folder.path());
    messages() = {};
    OpenedPages();
}

void ProgramFixture::TearDown() {
    SimulateFault(Fault::None);
    CloseAll();
    EXPECT_TRUE(messages().answers.empty()) << "a queued answer was never asked for";
    messages() = {};
    dialogs().fileNames.clear();
    dialogs().prints.clear();
    SetProgramFolder(std::nullopt);
    SetExecutable(std::nullopt);
    SetToday(std::nullopt);
    EXPECT_EQ(std::exchange(modalWatch().strays, 0), 0) << "a message box or dialog was left open";
}

} // namespace testsupport

#include "TestSupport.moc"
