#pragma once

// The home panel: three sections, each a short description beside the button that starts it.

#include <QGroupBox>

class HomePanel : public QGroupBox {
    Q_OBJECT

public:
    explicit HomePanel(QWidget* parent = nullptr);

Q_SIGNALS:
    void startNewJournalRequested();
    void dictionaryRequested();
    void importRequested();
};
