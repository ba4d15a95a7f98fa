#pragma once

// Creates the program's two data files: an empty journal and the shipped dictionary. A file that
// exists is never replaced, so a rebuild or a reinstall cannot wipe a user's journal.

#include <QString>

#include <vector>

namespace modDataFiles {

struct Entry {
    QString keyword;
    QString meaning;
};

struct Result {
    bool ok = true;
    QString message;
};

// Reads the dictionary source: a header line "keyword<TAB>meaning", then one row per keyword.
Result ParseDictionary(const QByteArray& tsv, std::vector<Entry>& entries);

// Each creates its file with mode 0600, atomically: it appears complete or not at all.
Result CreateDreams(const QString& path);
Result CreateKeywords(const QString& path, const std::vector<Entry>& entries);

// The name of an entry of `folder` equal to `fileName` ignoring letter case, or "".
QString ExistingIgnoringCase(const QString& folder, const QString& fileName);

} // namespace modDataFiles
