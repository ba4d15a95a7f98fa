#pragma once

// The import window: the keywords of one update file, each with a check box, the policy for
// keywords the dictionary already holds, and the import itself.

#include "data/modDB.h"

#include <QDialog>

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void LoadUpdateList();
    void MarkNewKeywords();
    void ImportKeywords();

    QString fileName_;
    modDB::ConnectionPtr updateConnection_;
    modDB::RecordsetPtr updateRecordset_;
    bool unloaded_ = false;
};
