// A program that imports an update file the way a user would, for a parent test to kill midway:
//   import_kill_child PROGRAM_FOLDER UPDATE_FILE
// It starts the program on the update file, keeps the pre-checked keywords, chooses "Append"
// and presses Import. Each item takes a little longer than usual, so the parent can catch the
// run in the middle.

#include "app/MsgBox.h"
#include "app/modMain.h"
#include "update_import/frmKeyUpdate.h"

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER UPDATE_FILE\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    modMain::testing::SetAppPath(QString::fromLocal8Bit(argv[1]));
    modMain::testing::SetCommandLine(QString::fromLocal8Bit(argv[2]));
    modMain::Main();

    frmKeyUpdate* window = nullptr;
    for (QWidget* form : modMain::LoadedForms())
        window = window ? window : qobject_cast<frmKeyUpdate*>(form);
    if (window == nullptr)
        return 3;
    QObject::connect(window->ProgressBar1, &QProgressBar::valueChanged,
                     [] { QThread::usleep(1000); });
    window->optOption[2]->click();
    std::printf("importing\n");
    std::fflush(stdout);
    // Not killed after all: answer the closing message so the run ends by itself.
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    window->cmdImport->click();
    return 0;
}
