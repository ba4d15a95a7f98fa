// Owns the desktop's clipboard and selection as another program would, until it is ended.
// Prints "owned" once both are set.

#include <QClipboard>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[]) { // CLIPBOARD_TEXT SELECTION_TEXT
    QGuiApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QString::fromLocal8Bit(argv[1]), QClipboard::Clipboard);
    if (clipboard->supportsSelection())
        clipboard->setText(QString::fromLocal8Bit(argv[2]), QClipboard::Selection);
    std::printf("owned\n");
    std::fflush(stdout);
    return QGuiApplication::exec();
}
