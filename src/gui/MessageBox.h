#pragma once

// The one way the program speaks to the user: a modal message box titled "Oneirion", with the
// exact text, the icon of its kind and the buttons it asks for. Every message goes through here.

#include <QCoreApplication>
#include <QFlags>
#include <QString>

#include <functional>

class QWidget;

class MessageBox {
    Q_DECLARE_TR_FUNCTIONS(MessageBox)

public:
    enum class Icon { Critical, Information, Warning, Question };
    enum Button { NoButton = 0x0, Ok = 0x1, Yes = 0x2, No = 0x4, Cancel = 0x8 };
    Q_DECLARE_FLAGS(Buttons, Button)

    struct Message {
        Icon icon;
        QString text;
        Buttons buttons;
        // What Enter presses.
        Button defaultButton;
    };

    // The application title, which titles every message box.
    static QString title();

    static Button show(QWidget* parent, const Message& message);
    static void critical(QWidget* parent, const QString& text);
    static void information(QWidget* parent, const QString& text);
    static void warning(QWidget* parent, const QString& text);
    static Button question(QWidget* parent, const QString& text, Buttons buttons,
                           Button defaultButton, Icon icon = Icon::Question);
    // A write that did not reach its file: what was not stored, then why, as a critical
    // message. Callers keep what the user typed, so nothing is lost.
    static void notSaved(QWidget* parent, const QString& what, const QString& reason);

    // While set, every message goes to `answerer` instead of a box, and its answer counts as
    // the user's. This is how the test suite speaks for the user.
    using Answerer = std::function<Button(const Message&)>;
    static void setAnswerer(Answerer answerer);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(MessageBox::Buttons)
