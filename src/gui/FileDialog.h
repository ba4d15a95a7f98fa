#pragma once

// The file and print dialogs, in one place so that a test can answer them.

#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;
class QWidget;

class FileDialog {
public:
    // Lets the user pick one existing file; empty when cancelled.
    static QString openFileName(QWidget* parent, const QString& title,
                                const QStringList& nameFilters);
    // Lets the user name a file to write, proposing `suggested`; empty when cancelled.
    static QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                const QStringList& nameFilters);
    // Runs the print dialog on `printer`; true when the user confirmed it.
    static bool print(QWidget* parent, QPrinter& printer);

    // While set, the dialogs ask these instead of the user; how the test suite answers them.
    // A function that is not set leaves its dialog to the user.
    struct Answerer {
        std::function<QString(const QString& title, const QStringList& nameFilters)> fileName;
        std::function<bool(QPrinter& printer)> print;
    };
    static void setAnswerer(Answerer answerer);
};
