#include "app/MsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <deque>

namespace MsgBox {
namespace {

std::deque<Answer>& queued() {
    static std::deque<Answer> answers;
    return answers;
}

QList<Shown>& shown() {
    static QList<Shown> messages;
    return messages;
}

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString Title() {
    return QStringLiteral("Oneirion");
}

Answer Show(const QString& text, Icon icon, Buttons buttons, Answer defaultAnswer) {
    // Only a bounded tail is kept: a long session must not grow it without end.
    if (shown().size() >= 200)
        shown().removeFirst();
    shown().append(Shown{text, icon, buttons, defaultAnswer});
    if (!queued().empty()) {
        const Answer answer = queued().front();
        queued().pop_front();
        return answer;
    }

    QMessageBox box(qtIcon(icon), Title(), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    if (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        // Escape, and closing the box, take the answer that changes nothing.
        QPushButton* cancel =
            buttons == Buttons::YesNoCancel ? box.addButton(QMessageBox::Cancel) : nullptr;
        box.setDefaultButton(defaultAnswer == Answer::No       ? no
                             : defaultAnswer == Answer::Cancel ? cancel
                                                               : yes);
        box.setEscapeButton(cancel != nullptr ? cancel : no);
        box.exec();
        if (box.clickedButton() == yes)
            return Answer::Yes;
        return box.clickedButton() == no || cancel == nullptr ? Answer::No : Answer::Cancel;
    }
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
    box.exec();
    return Answer::OK;
}

void ShowNotSaved(const QString& what, const QString& reason) {
    Show(what + QLatin1Char('\n') + reason, Icon::Critical);
}

void SetNextAnswer(Answer answer) {
    queued().push_back(answer);
}

int PendingAnswers() {
    return int(queued().size());
}

QList<Shown> TakeShown() {
    QList<Shown> taken;
    taken.swap(shown());
    return taken;
}

void Reset() {
    queued().clear();
    shown().clear();
}

} // namespace MsgBox
