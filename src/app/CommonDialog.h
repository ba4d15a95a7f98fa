#pragma once

// The main window's one common dialog, shared by the update import's open dialog and the print
// button. Like the control it stands for, it keeps whatever was last set on it: a print visit
// leaves its flags behind for the next open dialog.

#include <QString>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

class CommonDialog {
public:
    // Open-dialog flags.
    static constexpr long OFN_ALLOWMULTISELECT = 0x200;
    static constexpr long OFN_PATHMUSTEXIST = 0x800;
    static constexpr long OFN_FILEMUSTEXIST = 0x1000;
    static constexpr long OFN_EXPLORER = 0x80000;
    // Print-dialog flags.
    static constexpr long PD_NOPAGENUMS = 0x8;
    static constexpr long PD_DISABLEPRINTTOFILE = 0x80000;

    // "Description | *.a;*.b" pairs, separated by further "|".
    QString Filter;
    long Flags = 0;
    QString FileName;
    bool CancelError = false;
    bool PrinterDefault = false;

    // Lets the user pick one file; FileName receives it, or stays as it was on Cancel.
    void ShowOpen(QWidget* parent);
    // Runs the print dialog on `printer`; true when the user confirmed it.
    bool ShowPrinter(QWidget* parent, QPrinter& printer);

    // The Qt form of Filter: "Description (*.a *.b)" entries joined by ";;".
    QString NameFilters() const;

    // Test side: the next ShowOpen answers with this name ("" for Cancel) without a dialog.
    static void SetNextFileName(const QString& fileName);
    // Test side: the next ShowPrinter calls `answer` on the printer instead of showing a dialog;
    // its result stands for the user's choice.
    static void SetNextPrintAnswer(std::function<bool(QPrinter&)> answer);
    // Test side: what the last dialog was set up with.
    struct LastDialog {
        bool fileMustExist = false;
        QString nameFilters;
        bool printToFileOffered = true;
        bool pageRangeOffered = true;
    };
    static LastDialog Last();
};
