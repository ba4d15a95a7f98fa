#include "gui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

MessageBox::Answerer& answerer() {
    static MessageBox::Answerer installed;
    return installed;
}

QMessageBox::Icon qtIcon(MessageBox::Icon icon) {
    switch (icon) {
    case MessageBox::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString MessageBox::title() {
    return QStringLiteral("Oneirion");
}

MessageBox::Button MessageBox::show(QWidget* parent, const Message& message) {
    if (answerer())
        return answerer()(message);

    QMessageBox box(qtIcon(message.icon), title(), message.text, QMessageBox::NoButton,
                    parent ? parent : QApplication::activeWindow());
    const std::pair<Button, QMessageBox::StandardButton> kinds[] = {{Ok, QMessageBox::Ok},
                                                                    {Yes, QMessageBox::Yes},
                                                                    {No, QMessageBox::No},
                                                                    {Cancel, QMessageBox::Cancel}};
    QList<std::pair<QAbstractButton*, Button>> offered;
    for (const auto& [button, standard] : kinds) {
        if (!message.buttons.testFlag(button))
            continue;
        QPushButton* added = box.addButton(standard);
        offered.append({added, button});
        if (button == message.defaultButton)
            box.setDefaultButton(added);
    }
    // Escape and the close box give the gentlest answer on offer.
    Button gentlest = NoButton;
    for (const Button candidate : {Ok, No, Cancel}) {
        if (message.buttons.testFlag(candidate))
            gentlest = candidate;
    }
    for (const auto& [added, button] : offered) {
        if (button == gentlest)
            box.setEscapeButton(added);
    }
    box.exec();
    for (const auto& [added, button] : offered) {
        if (box.clickedButton() == added)
            return button;
    }
    return gentlest;
}

void MessageBox::critical(QWidget* parent, const QString& text) {
    show(parent, {Icon::Critical, text, Ok, Ok});
}

void MessageBox::information(QWidget* parent, const QString& text) {
    show(parent, {Icon::Information, text, Ok, Ok});
}

void MessageBox::warning(QWidget* parent, const QString& text) {
    show(parent, {Icon::Warning, text, Ok, Ok});
}

MessageBox::Button MessageBox::question(QWidget* parent, const QString& text, Buttons buttons,
                                        Button defaultButton, Icon icon) {
    return show(parent, {icon, text, buttons, defaultButton});
}

void MessageBox::notSaved(QWidget* parent, const QString& what, const QString& reason) {
    critical(parent, what + QLatin1Char('\n') + reason);
}

void MessageBox::setAnswerer(Answerer answerer) {
    ::answerer() = std::move(answerer);
}
