#pragma once

// The program's start and end. It makes sure the desktop knows update files, opens the journal
// and the dictionary, and hands over to the import window (when started on an update file) or to
// the main window. The program ends when its last window has gone.

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class InstanceLock;
class JournalStore;
class KeywordStore;
class Settings;
class QWidget;

class Application : public QObject {
    Q_OBJECT

public:
    // What the program needs from the process it runs in.
    struct Environment {
        // The folder of the executable, which holds the two data files.
        QString programFolder;
        QString executablePath;
        // The arguments after the program's name.
        QStringList arguments;
        std::function<QDate()> today;
    };
    // The environment of the running process.
    static Environment processEnvironment();

    explicit Application(Environment environment, QObject* parent = nullptr);
    ~Application() override;

    void start();
    // The windows that are open; none once the program has ended.
    QList<QWidget*> windows() const;
    // Closes every window, asking nothing.
    void closeAllWindows();

Q_SIGNALS:
    void lastWindowClosed();

private:
    void startImport(const QString& path);
    void startMainWindow();
    // Says why the start cannot go on; the program then ends as it does when closed.
    void refuseStart(const QString& message);
    QString dataFile(const QString& name) const;
    void adopt(QWidget* window);

    Environment environment_;
    std::unique_ptr<InstanceLock> instance_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<JournalStore> journal_;
    std::unique_ptr<KeywordStore> dictionary_;
    QList<QPointer<QWidget>> windows_;
};
