// Imports an update file as a user would, for a parent test to kill midway. It keeps the
// pre-checked keywords, chooses "Append" and presses Import. Each item takes a little longer than
// usual, so the parent can catch the run in the middle.

#include "app/MsgBox.h"
#include "app/modMain.h"
#include "update_import/frmKeyUpdate.h"

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[]) { // PROGRAM_FOLDER UPDATE_FILE
    QApplication app(argc, argv);
    modMain::testing::SetAppPath(QString::fromLocal8Bit(argv[1]));
    modMain::testing::SetCommandLine(QString::fromLocal8Bit(argv[2]));
    modMain::Main();
    const QList<QWidget*> forms = modMain::LoadedForms();
    auto* window = forms.isEmpty() ? nullptr : qobject_cast<frmKeyUpdate*>(forms.first());
    if (window == nullptr)
        return 3;
    QObject::connect(window->ProgressBar1, &QProgressBar::valueChanged,
                     [] { QThread::usleep(1000); });
    window->optOption[2]->click();
    std::printf("importing\n");
    std::fflush(stdout);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK); // not killed after all: the run ends by itself
    window->cmdImport->click();
    return 0;
}
