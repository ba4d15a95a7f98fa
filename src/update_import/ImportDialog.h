#pragma once

// The import window: the keywords of one update file, each with a check box (new keywords come
// first, checked), the policy for keywords the dictionary already holds, and the import itself,
// which merges every checked keyword or none.

#include "core/KeywordStore.h"
#include "core/UpdateFile.h"

#include <QDialog>

#include <vector>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

class ImportDialog : public QDialog {
    Q_OBJECT

public:
    // `ownFiles` are the program's data files, which are never taken as an update.
    ImportDialog(KeywordStore& dictionary, const QStringList& ownFiles, QWidget* parent = nullptr);

    // Reads the update file at `path` (quotes around it are no part of the name) and fills the
    // window. A file that cannot be used, or a dictionary that cannot be read, is refused with a
    // message naming it and why: the window then closes without having been shown, and the
    // result is false.
    bool load(const QString& path);

public Q_SLOTS:
    // Escape ends the window the way closing it does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillList(const QSet<QString>& known);
    void startImport();
    void import();
    // While an import runs only Cancel (and closing, which cancels) takes input.
    void setImporting(bool importing);
    void advanceProgressTo(int value);
    MergePolicy policy() const;

    KeywordStore& dictionary_;
    QStringList ownFiles_;
    // The update file's rows, read when the window was loaded.
    std::vector<UpdateFile::Row> rows_;
    bool importing_ = false;
    bool cancelRequested_ = false;

    QLabel* info_;
    QLabel* progressText_;
    QProgressBar* progress_;
    QTreeWidget* list_;
    QGroupBox* policies_;
    QRadioButton* overwrite_;
    QRadioButton* append_;
    QPushButton* import_;
};
