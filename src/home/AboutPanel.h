#pragma once

// The About panel: the program's name, version and a few words on what it does.

#include <QGroupBox>

class AboutPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit AboutPanel(QWidget* parent = nullptr);

Q_SIGNALS:
    void closeRequested();
};
