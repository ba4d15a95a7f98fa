#pragma once

// What the core's tests share: real data files in a temporary folder, and direct access to them
// beside the program's own code. No QApplication: the core needs none.

#include "DataFiles.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <gtest/gtest.h>
#include <vector>

// Failed comparisons show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace coretest {

// Runs `sql` on `file` (created when absent) and gives its rows; a failure fails the test.
QList<QVariantList> query(const QString& file, const QString& sql, const QVariantList& params = {});
void exec(const QString& file, const QString& sql, const QVariantList& params = {});
QByteArray fileBytes(const QString& path);
// The mode bits of a file, as ls shows them in octal; -1 when it is missing.
int fileMode(const QString& path);
// The whole database as the stock sqlite3 tool dumps it: equal dumps, equal content.
QByteArray dump(const QString& file);

void createJournal(const QString& path);
void createDictionary(const QString& path, const std::vector<modDataFiles::Entry>& entries);

// Root reads and writes whatever the permission bits say. While one of these lives, this thread
// sets aside that power (only for the moment: it stays permitted and comes back), so that a test
// meets a read-only or unreadable file as a user does.
class PermissionsApply {
public:
    PermissionsApply();
    ~PermissionsApply();
    PermissionsApply(const PermissionsApply&) = delete;
    PermissionsApply& operator=(const PermissionsApply&) = delete;

private:
    bool lowered_ = false;
};

} // namespace coretest
