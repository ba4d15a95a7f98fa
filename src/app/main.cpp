#include "app/Application.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
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
