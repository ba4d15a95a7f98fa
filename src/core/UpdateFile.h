#pragma once

// Reading a dictionary update file: an SQLite 3 database with a real table tblKeywords that has
// the columns Keyword and Description. Update files come from anywhere, so the file is checked
// before SQLite sees it, read into memory, and read there with bounded size, rows and time; the
// file itself is never written, locked or opened by SQLite.

#include "core/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace UpdateFile {

// One row of tblKeywords, as the import lists it.
struct Row {
    QString keyword;     // trimmed of spaces; empty for NULL
    QString description; // as stored; empty for NULL
    // False for a row that can only be skipped: its keyword or its description is NULL or
    // empty after trimming, so it would add an empty keyword or empty a meaning.
    bool importable = false;
};

struct Limits {
    qint64 maxBytes = qint64(128) << 20;
    int maxRows = 1000000;
    int maxValueBytes = 16 << 20;
    int maxMilliseconds = 5000;
};

// The rows of the update file at `path`, sorted by keyword ignoring case (rows with equal
// keywords keep their order in the file); or why the file cannot be used, as a sentence.
// `ownFiles` are the program's data files: an update that is one of them, also through a link,
// is refused.
Result<std::vector<Row>> read(const QString& path, const QStringList& ownFiles,
                              const Limits& limits = {});

// The same for a database image held in memory.
Result<std::vector<Row>> readImage(QByteArray image, const Limits& limits = {});

} // namespace UpdateFile
