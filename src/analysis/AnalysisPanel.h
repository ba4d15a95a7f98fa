#pragma once

// The dream analysis panel: the entry's text for reading, and every dictionary keyword found in
// it as a whole word, with its meaning. The occurrences are marked in the editor's text.

#include "core/Result.h"

#include <QGroupBox>

#include <memory>

class KeywordFinder;
class KeywordStore;
class QTextDocument;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

class AnalysisPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit AnalysisPanel(KeywordStore& store, QWidget* parent = nullptr);
    ~AnalysisPanel() override;

    // Finds the dictionary's keywords in `document`, lists them in the dictionary's order, marks
    // their occurrences there (and nowhere else) and shows the text. A dictionary that cannot be
    // read gives an empty list and the reason.
    Status analyze(QTextDocument* document);
    // The reading font of the analysis view, `zoom` points larger or smaller.
    void setTextZoom(int zoom);

public Q_SLOTS:
    // The view follows the editor: its text, and whether it is enabled.
    void showText(const QString& text);
    void setViewEnabled(bool enabled);

Q_SIGNALS:
    void dictionaryRequested();
    void journalRequested();
    void homeRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    // Marks the occurrences of `item`'s keyword in the analysis view and shows the first.
    void showOccurrences(QTreeWidgetItem* item);

    std::unique_ptr<KeywordFinder> finder_;
    QTextEdit* view_;
    QString shown_; // the view's text, as it was given
    QTreeWidget* found_;
};
