#include "app/CommonDialog.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <deque>

namespace {

std::deque<QString>& nextFileNames() {
    static std::deque<QString> names;
    return names;
}

std::deque<std::function<bool(QPrinter&)>>& nextPrintAnswers() {
    static std::deque<std::function<bool(QPrinter&)>> answers;
    return answers;
}

CommonDialog::LastDialog& last() {
    static CommonDialog::LastDialog dialog;
    return dialog;
}

} // namespace

QString CommonDialog::NameFilters() const {
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = pattern.trimmed();
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(),
                                                 patterns.join(QLatin1Char(' ')));
    }
    return filters.join(QLatin1String(";;"));
}

void CommonDialog::ShowOpen(QWidget* parent) {
    // One file only (ExistingFile or AnyFile below): several selected files give no usable path.
    last().fileMustExist = (Flags & OFN_FILEMUSTEXIST) != 0;
    last().nameFilters = NameFilters();
    if (!nextFileNames().empty()) {
        FileName = nextFileNames().front();
        nextFileNames().pop_front();
        return;
    }
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(last().fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!last().nameFilters.isEmpty())
        dialog.setNameFilters(last().nameFilters.split(QLatin1String(";;")));
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        FileName = dialog.selectedFiles().constFirst();
}

bool CommonDialog::ShowPrinter(QWidget* parent, QPrinter& printer) {
    last().printToFileOffered = (Flags & PD_DISABLEPRINTTOFILE) == 0;
    last().pageRangeOffered = (Flags & PD_NOPAGENUMS) == 0;
    if (!nextPrintAnswers().empty()) {
        auto answer = std::move(nextPrintAnswers().front());
        nextPrintAnswers().pop_front();
        return answer(printer);
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, last().printToFileOffered);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, last().pageRangeOffered);
    return dialog.exec() == QDialog::Accepted;
}

void CommonDialog::SetNextFileName(const QString& fileName) {
    nextFileNames().push_back(fileName);
}

void CommonDialog::SetNextPrintAnswer(std::function<bool(QPrinter&)> answer) {
    nextPrintAnswers().push_back(std::move(answer));
}

CommonDialog::LastDialog CommonDialog::Last() {
    return last();
}
