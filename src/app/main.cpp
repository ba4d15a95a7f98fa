#include "app/Application.h"

#include <QApplication>
#include <QIcon>

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
    return QApplication::exec();
}
