#include "app/Application.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

// Set in the environment (by the benchmarks), ONEIRION_FIRST_PAINT makes the program write
// "painted" to its standard output as soon as its first window has painted, then its resident
// memory in kB once the events of the start have settled, and end.
class FirstPaintReport : public QObject {
public:
    explicit FirstPaintReport(QWidget* window)
        : QObject(window) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_ && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == parent()) {
            painted_ = true;
            qApp->removeEventFilter(this);
            // After the paint event now under way and the rest of the same repaint.
            QTimer::singleShot(0, this, [] {
                std::printf("painted\n");
                std::fflush(stdout);
            });
            QTimer::singleShot(300, this, [] {
                std::printf("rss %s\n", residentKilobytes().constData());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    static QByteArray residentKilobytes() {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return "0";
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).simplified().split(' ').value(0);
        }
        return "0";
    }

    bool painted_ = false;
};

} // namespace

#include <csignal>

int main(int argc, char* argv[]) {
    // Started from a file manager, our standard output may be a pipe nobody reads any more; a
    // warning written there must not end the program with the user's work in it.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Oneirion"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/oneirion.svg")));
    // Lets the desktop match our windows to the desktop entry the file-type association writes.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.oneirion.Oneirion"));
    // The program ends when its last window has gone, not when the last visible one closes: a
    // message box shown before the main window appears must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    Application program(Application::processEnvironment());
    QObject::connect(&program, &Application::lastWindowClosed, &qt, &QCoreApplication::quit);
    program.start();
    if (program.windows().isEmpty())
        return 0;
    if (qEnvironmentVariableIsSet("ONEIRION_FIRST_PAINT"))
        new FirstPaintReport(program.windows().constFirst());
    return QApplication::exec();
}
