#pragma once

// The main window's panels, one in front of the others. Every navigation either brings a panel
// to the front, or sends the front one to the back so that the panel before it shows again.

#include <QStackedWidget>

class PanelStack : public QStackedWidget {
    Q_OBJECT

public:
    explicit PanelStack(QWidget* parent = nullptr);

    void add(QWidget* panel);
    void bringToFront(QWidget* panel);
    void sendToBack(QWidget* panel);
    QWidget* front() const;

private:
    QList<QWidget*> order_; // front first
};
