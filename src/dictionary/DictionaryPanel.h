#pragma once

// The dream dictionary panel: the keyword list with its search, the picked keyword's meaning,
// and adding, editing and deleting keywords. A keyword being added keeps the user on the panel
// until it is saved or given up.

#include <QGroupBox>

#include <optional>

class KeywordStore;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

class DictionaryPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit DictionaryPanel(KeywordStore& store, QWidget* parent = nullptr);

    enum class Mode { Browsing, Adding };
    Mode mode() const { return mode_; }

    // Fills the list with every keyword of the dictionary; while the panel is hidden, as soon as
    // it is shown.
    void refresh();
    // Asks about a keyword being added before any back button leaves its panel. True when one
    // was pending: the panel then stays, whatever the answer.
    bool settlePendingAdd();

Q_SIGNALS:
    void homeRequested();
    void journalRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void search();
    void showPicked();
    void addOrSave();
    void editPicked();
    void deletePicked();
    void setMode(Mode mode);
    void fill(const QStringList& keywords);
    QString typedKeyword() const;
    QString typedDescription() const;
    void clearBoxes();

    KeywordStore& store_;
    Mode mode_ = Mode::Browsing;
    // The keyword last picked in the list, as listed; Edit changes its rows and no others.
    std::optional<QString> picked_;

    QLineEdit* search_;
    QListWidget* list_;
    // The texts of the list's entries, in its order: only fill() changes the list.
    QStringList shown_;
    QLineEdit* keyword_;
    QPlainTextEdit* description_;
    QPushButton* add_;
    // A refresh asked for while the panel was hidden, still to be done.
    bool refreshPending_ = false;
};
