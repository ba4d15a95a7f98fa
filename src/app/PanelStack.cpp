#include "app/PanelStack.h"

PanelStack::PanelStack(QWidget* parent)
    : QStackedWidget(parent) {}

void PanelStack::add(QWidget* panel) {
    addWidget(panel);
    order_.append(panel);
}

void PanelStack::bringToFront(QWidget* panel) {
    order_.removeAll(panel);
    order_.prepend(panel);
    setCurrentWidget(order_.first());
}

void PanelStack::sendToBack(QWidget* panel) {
    order_.removeAll(panel);
    order_.append(panel);
    setCurrentWidget(order_.first());
}

QWidget* PanelStack::front() const {
    return order_.isEmpty() ? nullptr : order_.first();
}
