#pragma once

// The one way the program speaks to the user: a modal message box titled "Oneirion". Tests queue
// the next answers here instead of clicking real boxes; the program always shows real ones.

#include <QList>
#include <QString>

class QWidget;

namespace MsgBox {

enum class Icon { Critical, Information, Exclamation, Question };
enum class Buttons { OK, YesNo, YesNoCancel };
enum class Answer { OK, Yes, No, Cancel };

// The application title, which titles every message box.
QString Title();

// Shows `text` and waits for the answer. `defaultAnswer` is the button Enter presses.
Answer Show(const QString& text, Icon icon, Buttons buttons = Buttons::OK,
            Answer defaultAnswer = Answer::OK);

// A write that did not reach the file: what was not saved, then the reason, as a critical
// message. Callers keep what the user typed, so nothing is lost.
void ShowNotSaved(const QString& what, const QString& reason);

// What a message box was asked to show, kept for tests.
struct Shown {
    QString text;
    Icon icon;
    Buttons buttons;
    Answer defaultAnswer;
};

// Test side: the next Show() returns `answer` without showing a box. Answers are used in order.
void SetNextAnswer(Answer answer);
int PendingAnswers();
// Every message shown (or answered from the queue) since the last call, oldest first.
QList<Shown> TakeShown();
// Drops queued answers and the record of shown messages.
void Reset();

} // namespace MsgBox
