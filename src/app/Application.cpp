#include "app/Application.h"

#include "app/MainWindow.h"
#include "app/WebPages.h"
#include "core/DesktopAssociation.h"
#include "core/InstanceLock.h"
#include "core/JournalStore.h"
#include "core/KeywordStore.h"
#include "core/Settings.h"
#include "gui/MessageBox.h"
#include "update_import/ImportDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

namespace {

const QString kDreams = QStringLiteral("Dreams.dll");
const QString kKeywords = QStringLiteral("Keywords.dll");

QString damagedMessage(const QString& file, const QString& reason) {
    return Application::tr("Oneirion Cannot Use %1\n%2\nThe file was left exactly as it is. "
                           "Restore it from a backup, or move it aside and reinstall Oneirion to "
                           "start with a new one.")
        .arg(QDir::toNativeSeparators(file), reason);
}

} // namespace

Application::Environment Application::processEnvironment() {
    return {QCoreApplication::applicationDirPath(), QCoreApplication::applicationFilePath(),
            QCoreApplication::arguments().mid(1), [] { return QDate::currentDate(); }};
}

Application::Application(Environment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment))
    , instance_(std::make_unique<InstanceLock>(environment_.executablePath))
    , settings_(std::make_unique<Settings>(environment_.executablePath)) {}

Application::~Application() {
    // The windows work on the stores: they go first.
    for (const QPointer<QWidget>& window : windows_)
        delete window.data();
}

QString Application::dataFile(const QString& name) const {
    // An ordinary file of the program folder, its name's letter case ignored.
    const QDir folder(environment_.programFolder);
    for (const QString& entry : folder.entryList(QDir::Files | QDir::NoDotAndDotDot)) {
        if (QString::compare(entry, name, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    }
    return QString();
}

void Application::start() {
    if (!DesktopAssociation::isAssociated(environment_.executablePath)) {
        // Nobody is told when the desktop cannot be told: the program works all the same.
        static_cast<void>(DesktopAssociation::associate(
            environment_.executablePath, QStringLiteral(".udj"),
            QStringLiteral("DreamKeywordsUpdate"), QStringLiteral("Dream Keywords Update")));
    }
    // The whole command line names an update file, spaces and all.
    const QString commandLine = environment_.arguments.join(QLatin1Char(' '));
    if (!commandLine.isEmpty())
        startImport(commandLine);
    else
        startMainWindow();
}

void Application::startImport(const QString& path) {
    const QString dreams = dataFile(kDreams);
    QString keywords = dataFile(kKeywords);
    if (keywords.isEmpty())
        keywords = QDir(environment_.programFolder).filePath(kKeywords);
    Result<std::unique_ptr<KeywordStore>> dictionary = KeywordStore::open(keywords);
    if (!dictionary) {
        const QString file = QDir::toNativeSeparators(keywords);
        QString reason = dictionary.errorMessage();
        if (!reason.startsWith(file))
            reason = file + QStringLiteral(": ") + reason;
        MessageBox::critical(nullptr, ImportDialog::tr("The dream dictionary cannot be read, so "
                                                       "nothing can be imported.") +
                                          QLatin1Char('\n') + reason);
        return;
    }
    dictionary_ = std::move(*dictionary);
    const QStringList dataFiles{
        dreams.isEmpty() ? QDir(environment_.programFolder).filePath(kDreams) : dreams, keywords};
    auto* window = new ImportDialog(*dictionary_, dataFiles);
    adopt(window);
    if (window->load(path))
        window->show();
}

void Application::refuseStart(const QString& message) {
    MessageBox::critical(nullptr, message);
    WebPages::open(WebPages::Page::ThankYou);
}

void Application::startMainWindow() {
    if (instance_->earlierInstanceRunning()) {
        refuseStart(tr("%1 Is Already Running").arg(MessageBox::title()));
        return;
    }
    const QString dreams = dataFile(kDreams);
    const QString keywords = dataFile(kKeywords);
    if (dreams.isEmpty() || keywords.isEmpty()) {
        refuseStart(tr("File(s) Required To Run Oneirion Is Missing\nPlease ReInstall Oneirion"));
        return;
    }
    // A damaged journal or dictionary ends the start as a missing one does, but says what is
    // wrong: an empty window would look as though everything written were gone.
    Result<std::unique_ptr<JournalStore>> journal = JournalStore::open(dreams);
    if (!journal) {
        refuseStart(damagedMessage(dreams, journal.errorMessage()));
        return;
    }
    Result<std::unique_ptr<KeywordStore>> dictionary = KeywordStore::open(keywords);
    if (!dictionary) {
        refuseStart(damagedMessage(keywords, dictionary.errorMessage()));
        return;
    }
    journal_ = std::move(*journal);
    dictionary_ = std::move(*dictionary);

    auto* window = new MainWindow(
        {*journal_, *dictionary_, *settings_, environment_.today, {dreams, keywords}});
    adopt(window);
    window->start();
    window->show();
}

void Application::adopt(QWidget* window) {
    windows_.append(window);
    // A widget tells it is going while its pointers still point at it.
    connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        windows_.removeIf([gone](const QPointer<QWidget>& open) { return !open || open == gone; });
        if (windows_.isEmpty())
            Q_EMIT lastWindowClosed();
    });
}

QList<QWidget*> Application::windows() const {
    QList<QWidget*> open;
    for (const QPointer<QWidget>& window : windows_) {
        if (window)
            open.append(window.data());
    }
    return open;
}

void Application::closeAllWindows() {
    for (QWidget* window : windows()) {
        if (auto* main = qobject_cast<MainWindow*>(window))
            main->closeWithoutAsking();
        else
            window->close();
    }
}
