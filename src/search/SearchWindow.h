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
class SearchResultsModel;

class SearchWindow : public QWidget {
    Q_OBJECT

public:
    // What each result gives besides its plain text: the hits are QPoint(begin, end), or nothing.
    enum ResultRole {
        EntryIdRole = Qt::UserRole,
        NameRole,
        NameHitRole,
        DateRole,
        SnippetRole,
        SnippetHitRole
    };

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
};
