// Imports an update file as a user would, for a parent test to kill midway. It checks every
// keyword, chooses "Append" and presses Import, saying "halfway" when half the list is done and
// "done" at the end. Each item takes a little longer than usual, so the parent can catch the run.

#include "TestSupport.h"

#include <cstdio>

int main(int argc, char* argv[]) { // PROGRAM_FOLDER UPDATE_FILE
    using namespace testsupport;
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    SetProgramFolder(QString::fromLocal8Bit(argv[1]));
    QWidget* window = StartProgram(QString::fromLocal8Bit(argv[2]));
    auto* list = window ? window->findChild<QTreeWidget*>("ListView1") : nullptr;
    auto* bar = window ? window->findChild<QProgressBar*>("ProgressBar1") : nullptr;
    if (list == nullptr || bar == nullptr)
        return 3;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setCheckState(0, Qt::Checked);
    QObject::connect(bar, &QProgressBar::valueChanged, [bar](int value) {
        QThread::usleep(300);
        if (value == bar->maximum() / 2) {
            std::printf("halfway\n");
            std::fflush(stdout);
        }
    });
    window->findChild<QAbstractButton*>("optOption_2")->click();
    Answer({Reply::OK}); // not killed after all: the run ends by itself
    window->findChild<QAbstractButton*>("cmdImport")->click();
    std::printf("done\n");
    return 0;
}
