#include "export/BackupRestore.h"

#include "core/JournalExport.h"
#include "core/JournalRestore.h"
#include "core/JournalStore.h"
#include "export/TargetFile.h"
#include "gui/FileDialog.h"
#include "gui/MessageBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

namespace BackupRestore {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("BackupRestore", text);
}

} // namespace

void backUp(QWidget* parent, JournalStore& journal, const QDate& today,
            const QStringList& dataFiles) {
    QString path =
        FileDialog::saveFileName(parent, tr("Back Up Journal"),
                                 tr("Oneirion journal %1.db").arg(today.toString(Qt::ISODate)),
                                 {tr("Oneirion journal backups (*.db)")});
    if (path.isEmpty())
        return;
    path = TargetFile::withSuffix(path, QStringLiteral(".db"));
    auto failed = [parent](const QString& reason) {
        MessageBox::critical(parent, tr("The Journal Could Not Be Backed Up\n%1").arg(reason));
    };
    if (const QString own = TargetFile::ownFileAt(path, dataFiles); !own.isEmpty())
        return failed(tr("%1 is one of Oneirion's own data files; choose another name.")
                          .arg(QDir::toNativeSeparators(own)));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status copied = journal.backupTo(path);
    QApplication::restoreOverrideCursor();
    if (!copied)
        return failed(copied.errorMessage());
    MessageBox::information(parent, tr("Journal Backed Up\nA copy of your journal is in %1.")
                                        .arg(QDir::toNativeSeparators(path)));
}

bool restore(QWidget* parent, JournalStore& journal, const QDateTime& now,
             const std::function<bool()>& mayReplace) {
    const QString path = FileDialog::openFileName(
        parent, tr("Restore Journal"),
        {tr("Journal backups and exports (*.db *.json)"), tr("All files (*)")});
    if (path.isEmpty())
        return false;
    if (journal.isReadOnly()) {
        MessageBox::critical(parent, tr("The Journal Cannot Be Restored\n%1 can only be read, so "
                                        "it cannot be replaced.")
                                         .arg(QDir::toNativeSeparators(journal.path())));
        return false;
    }
    const Result<RestoreSource> source = JournalRestore::inspect(path, journal.path());
    if (!source) {
        MessageBox::critical(parent,
                             tr("The Journal Cannot Be Restored From This File\n%1\n%2")
                                 .arg(QDir::toNativeSeparators(path), source.errorMessage()));
        return false;
    }
    if (!mayReplace())
        return false;
    const Result<qint64> current = journal.count();
    if (!current) {
        MessageBox::critical(parent,
                             tr("The Journal Could Not Be Read\n%1").arg(current.errorMessage()));
        return false;
    }
    const QString question =
        tr("Replace Your Journal ?\n%1 brings %2. Your journal holds %3 now; it is kept as a "
           "copy beside the restored one.")
            .arg(QDir::toNativeSeparators(path), JournalExport::entriesText(source->entryCount),
                 JournalExport::entriesText(*current));
    if (MessageBox::question(parent, question, MessageBox::Yes | MessageBox::No, MessageBox::No) !=
        MessageBox::Yes)
        return false;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Result<QString> kept = JournalRestore::restore(journal, *source, now);
    QApplication::restoreOverrideCursor();
    if (!kept) {
        MessageBox::critical(parent, tr("The Journal Could Not Be Restored\n%1\nYour journal is "
                                        "as it was.")
                                         .arg(kept.errorMessage()));
        return false;
    }
    MessageBox::information(
        parent,
        tr("Journal Restored\nYour journal holds %1 now. The journal it replaced is "
           "kept as %2.")
            .arg(JournalExport::entriesText(source->entryCount), QDir::toNativeSeparators(*kept)));
    return true;
}

} // namespace BackupRestore
