#include "gui/FileDialog.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {

FileDialog::Answerer& answerer() {
    static FileDialog::Answerer installed;
    return installed;
}

QString runFileDialog(QWidget* parent, const QString& title, const QString& suggested,
                      const QStringList& nameFilters, QFileDialog::AcceptMode mode) {
    if (answerer().fileName)
        return answerer().fileName(title, nameFilters);
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(mode);
    // One file only: several selected files give no usable path.
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (!nameFilters.isEmpty())
        dialog.setNameFilters(nameFilters);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString FileDialog::openFileName(QWidget* parent, const QString& title,
                                 const QStringList& nameFilters) {
    return runFileDialog(parent, title, QString(), nameFilters, QFileDialog::AcceptOpen);
}

QString FileDialog::saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                 const QStringList& nameFilters) {
    return runFileDialog(parent, title, suggested, nameFilters, QFileDialog::AcceptSave);
}

bool FileDialog::print(QWidget* parent, QPrinter& printer) {
    if (answerer().print)
        return answerer().print(printer);
    QPrintDialog dialog(&printer, parent);
    // Only whole entries are printed, to a printer or, where there is none, to a PDF file.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

void FileDialog::setAnswerer(Answerer answerer) {
    ::answerer() = std::move(answerer);
}
