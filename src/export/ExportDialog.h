#pragma once

// The export window: the journal, whole or the entries of a range of days, written in date order
// as Markdown, one HTML file, PDF or JSON, each entry optionally with the symbols the dictionary
// finds in it. The file appears whole under the name the user chose, or not at all.

#include <QDate>
#include <QDialog>

class JournalStore;
class KeywordStore;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QRadioButton;

class ExportDialog : public QDialog {
    Q_OBJECT

public:
    enum class Format { Markdown, Html, Pdf, Json };

    // `today` names the file; `dataFiles` are the program's own files, never written over.
    ExportDialog(JournalStore& journal, KeywordStore& dictionary, const QDate& today,
                 const QStringList& dataFiles, QWidget* parent = nullptr);

private:
    // Sets the range to the journal's first and last day; false when the journal cannot be read.
    void fillRange();
    void exportJournal();
    Format format() const;

    JournalStore& journal_;
    KeywordStore& dictionary_;
    QDate today_;
    QStringList dataFiles_;

    QComboBox* format_;
    QRadioButton* whole_;
    QRadioButton* range_;
    QDateEdit* from_;
    QDateEdit* to_;
    QCheckBox* symbols_;
};
