#pragma once

// The recurring symbols window: every dictionary keyword found in the journal with the number of
// entries it occurs in, most frequent first; for the keyword picked, its entries and a chart of
// its months. A range of dates narrows all three, and the table can be exported as CSV.

#include "core/SymbolStatistics.h"

#include <QWidget>

class QDateEdit;
class QLabel;
class QPushButton;
class QStackedLayout;
class QTreeView;
class EntryListModel;
class SymbolTableModel;
class SymbolChart;

class SymbolsWindow : public QWidget {
    Q_OBJECT

public:
    SymbolsWindow(JournalStore& journal, KeywordStore& dictionary, QWidget* parent = nullptr);

public Q_SLOTS:
    // Counts again what changed in the journal or the dictionary; the keyword picked stays.
    void refresh();

Q_SIGNALS:
    void entryRequested(qint64 id);

private:
    DateRange range() const;
    QString pickedKeyword() const;
    void setWholeJournal();
    void showTable();
    void showKeyword();
    void exportTable();

    SymbolStatistics statistics_;
    // The range follows the journal's first and last entry until the user sets a date.
    bool wholeJournal_ = true;
    bool settingDates_ = false;
    QString lastFailure_;

    QDateEdit* from_;
    QDateEdit* to_;
    QPushButton* whole_;
    QPushButton* export_;
    QTreeView* symbols_;
    SymbolTableModel* model_;
    QLabel* note_;
    QStackedLayout* place_;
    QLabel* meaning_;
    SymbolChart* chart_;
    QTreeView* entries_;
    EntryListModel* entryModel_;
};
