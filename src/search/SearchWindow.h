#pragma once

// The journal search window: a box for words or a phrase, and the entries that hold them, newest
// first, each with its name, its date and a line of its text around the first hit. A result
// opened with a double-click or Enter asks the main window to open that entry.

#include "core/JournalSearch.h"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QListView;
class QStackedLayout;
class QTimer;
class SearchResultsModel;

class SearchWindow : public QWidget {
    Q_OBJECT

public:
    explicit SearchWindow(JournalStore& journal, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // Puts the focus in the search box, its text selected to be typed over.
    void focusQuery();

public Q_SLOTS:
    // Searches again, for the journal may have changed; the selected result stays selected.
    void refresh();

Q_SIGNALS:
    void entryRequested(qint64 id);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search();
    void openCurrent();

    JournalSearch search_;
    QLineEdit* query_;
    QListView* results_;
    SearchResultsModel* model_;
    QLabel* note_;
    QStackedLayout* place_;
    QTimer* watch_;
};
