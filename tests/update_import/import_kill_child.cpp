// Imports an update file as a user would, for a parent test to kill midway. It checks every
// keyword, chooses "Append" and presses Import, saying "halfway" when half the list is done and
// "done" at the end. Each item takes a little longer than usual, so the parent can catch the run.

#include "app/MsgBox.h"
#include "app/modMain.h"
#include "update_import/frmKeyUpdate.h"

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char* argv[]) { // PROGRAM_FOLDER UPDATE_FILE
    QApplication app(argc, argv);
    modMain::testing::SetAppPath(QString::fromLocal8Bit(argv[1]));
    modMain::testing::SetCommandLine(QString::fromLocal8Bit(argv[2]));
    modMain::Main();
    const QList<QWidget*> forms = modMain::LoadedForms();
    QWidget* window = forms.isEmpty() ? nullptr : forms.first();
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
    window->findChild<QRadioButton*>("optOption_2")->click();
    MsgBox::SetNextAnswer(MsgBox::Answer::OK); // not killed after all: the run ends by itself
    window->findChild<QPushButton*>("cmdImport")->click();
    std::printf("done\n");
    return 0;
}
