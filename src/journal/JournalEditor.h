#pragma once

// The journal editor panel: one entry's name, date and text, and the buttons that save, analyse,
// print, delete or abandon it. It tells the main window what happened through signals, and never
// loses what the user typed without asking.

#include "core/JournalStore.h"

#include <QDate>
#include <QGroupBox>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QTextDocument;
class QTextEdit;

class JournalEditor : public QGroupBox {
    Q_OBJECT

public:
    // `today` gives the date a new entry starts with.
    JournalEditor(JournalStore& store, std::function<QDate()> today, QWidget* parent = nullptr);

    enum class Mode { Idle, NewEntry, ExistingEntry };
    Mode mode() const { return mode_; }

    // Whether the editor holds typed changes that are not stored.
    bool isModified() const;
    // Asks whether to save typed changes before they would be replaced. True when the caller
    // may go on: nothing was changed, the user chose No, or the save succeeded.
    bool maybeSave();

    // Opens the stored entry `id`.
    void showEntry(qint64 id);
    // Empties the editor and closes it for typing (a year, month or the root was opened).
    void closeEntry();
    // Starts a new entry dated today, asking first about unsaved changes; false when the user
    // stayed.
    bool startNew();
    // The save the analysis runs first: a taken name is refused without a word.
    void saveForAnalysis();
    // Deletes the entry the editor shows, after asking.
    void removeShownEntry();

    // The reading font of the text, `zoom` points larger or smaller.
    void setTextZoom(int zoom);

    // The text the analysis marks.
    QTextDocument* document() const;
    // While the editor is hidden, its text is laid out again only when it is shown: after the
    // analysis marks it, not mark by mark.
    void deferLayoutUntilShown();
    // Selects the whole text, as an analysis leaves it.
    void selectAllText();

Q_SIGNALS:
    // The entry `id` was stored; `placeChanged` when its name or date moved it in the tree.
    void entryStored(qint64 id, bool placeChanged);
    void entryRemoved(qint64 id);
    // The editor no longer shows any stored entry (a new one was started, or it was cancelled).
    void entryClosed();
    // What the editor shows changed, as plain text, and whether it can be typed in.
    void textShown(const QString& text);
    void editingEnabled(bool enabled);
    void analyzeRequested();
    void backRequested();
    // The editor has something to show the user (a refusal points at one of its boxes).
    void attentionNeeded();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the editor holds, to tell typed changes from what was shown or stored.
    struct Content {
        QString name;
        QString text;
        int year = -1;
        int month = -1;
        int day = -1;
        bool operator==(const Content& other) const;
    };
    // The date a save stores: a stored value that its list cannot show stays as stored while
    // the user leaves that list alone.
    std::array<QVariant, 3> dateToStore() const;

    Content content() const;
    void rememberContent();
    void setEnabledForTyping(bool enabled);
    void clearEntry();
    void setTodaysDate();
    bool validate();
    bool save(bool quietAboutTakenName);
    bool insertEntry(bool quietAboutTakenName);
    bool updateEntry(bool quietAboutTakenName);
    bool nameFree(std::optional<qint64> except, bool quiet);
    void cancel();
    void print();
    QString shownEntryLabel() const;

    JournalStore& store_;
    std::function<QDate()> today_;
    Mode mode_ = Mode::Idle;
    // A new entry started while the panel was hidden wants the name box once it shows.
    bool focusNameWhenShown_ = false;
    // The entry the editor shows, as stored: saving and deleting act on it by ID.
    std::optional<JournalEntry> shown_;
    Content stored_;

    QLineEdit* name_;
    QComboBox* month_;
    QComboBox* day_;
    QComboBox* year_;
    QTextEdit* text_;
    QPushButton* save_;
    QPushButton* delete_;
    QPushButton* cancel_;
    QPushButton* newEntry_;
};
