#pragma once

// The import window: the keywords of one update file, each with a check box, the policy for
// keywords the dictionary already holds, and the import itself.

#include "data/modDB.h"

#include <QDialog>
#include <QElapsedTimer>

#include <map>

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
    // Opens the file and fills the window; always true, also for a file it cannot use.
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
    // Merges one checked keyword into the dictionary under the chosen policy.
    modDB::Status mergeKeyword(const QString& keyword, const QString& description);
    // Lets the progress display catch up now and then during a long import.
    void repaintProgress();

    QString fileName_;
    modDB::ConnectionPtr updateConnection_;
    modDB::RecordsetPtr updateRecordset_;
    bool unloaded_ = false;
    QElapsedTimer sinceProgressPaint_;
};
