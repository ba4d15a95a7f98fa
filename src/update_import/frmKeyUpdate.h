#pragma once

// The import window: the keywords of one update file, each with a check box, the policy for
// keywords the dictionary already holds, and the import itself.

#include "data/KeywordStore.h"
#include "data/UpdateFile.h"

#include <QDialog>

#include <map>
#include <vector>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

class frmKeyUpdate : public QDialog {
    Q_OBJECT

public:
    explicit frmKeyUpdate(QWidget* parent = nullptr);
    ~frmKeyUpdate() override;

    // The update file's path, as given (quotes and all).
    void FileName(const QString& path);
    // Reads the file and fills the window. A file that cannot be used, or a dictionary that
    // cannot be read, is refused with a message naming it and why: the window then unloads
    // without having been shown, and the result is false.
    bool ProcessUpdateData();

    void cmdCancel_Click();
    void cmdImport_Click();
    void Form_Load();
    void Form_Unload();

    QLabel* lblInfo = nullptr;
    QLabel* lblProgressbar = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // Column 0 keyword (checkable), 1 description, 2 (hidden) "0" new or "1" existing.
    QTreeWidget* ListView1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::map<int, QRadioButton*> optOption; // 0 overwrite, 1 keep, 2 append
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdCancel = nullptr;

public Q_SLOTS:
    // Escape ends the window the way closing it does, so it always unloads.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void LoadUpdateList();
    void MarkNewKeywords();
    void ImportKeywords();
    // Shows why nothing can be imported, then unloads the window; gives false.
    bool refuse(const QString& what, const QString& why);
    // While an import runs only Cancel (and closing, which cancels) takes input.
    void setImporting(bool importing);
    void advanceProgressTo(int value);
    KeywordStore::Policy policy() const;

    QString fileName_;
    // The update file's rows, read when the window was loaded.
    std::vector<UpdateFile::Row> updateRows_;
    // The dictionary's keywords as the window was loaded, for the new-keyword marks.
    KeywordStore::KeywordSet dictionary_;
    bool unloaded_ = false;
    bool importing_ = false;
    bool cancelRequested_ = false;
};
