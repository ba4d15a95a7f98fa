// Restores a journal for a parent test, and is killed at the step the test names: just before
// or just after the Nth rename the restore makes (1: its copy of the journal it replaces moved
// into place; 2: the restored journal moved into the journal's place). First it writes three
// entries through the store, so the journal's write-ahead log holds pages its file does not.

#include "core/JournalRestore.h"

#include <QString>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace {

int g_killAt = 0;
bool g_afterRename = false;
int g_renames = 0;

} // namespace

// Every rename of the process passes here.
extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    const bool chosen = ++g_renames == g_killAt;
    if (chosen && !g_afterRename)
        ::raise(SIGKILL);
    const int result = real(from, to);
    if (chosen && g_afterRename)
        ::raise(SIGKILL);
    return result;
}

int main(int argc, char* argv[]) { // JOURNAL SOURCE RENAME before|after
    if (argc < 5)
        return 2;
    const QString journalPath = QString::fromLocal8Bit(argv[1]);
    const QString sourcePath = QString::fromLocal8Bit(argv[2]);
    g_killAt = std::atoi(argv[3]);
    g_afterRename = std::string(argv[4]) == "after";

    auto journal = JournalStore::open(journalPath);
    if (!journal)
        return 3;
    for (int day = 1; day <= 3; ++day) {
        if (!(*journal)->insert({0, QStringLiteral("Written before the restore %1").arg(day),
                                 QStringLiteral("text"), 2020, 1, day}))
            return 4;
    }
    const auto source = JournalRestore::inspect(sourcePath, journalPath);
    if (!source)
        return 5;
    const auto kept = JournalRestore::restore(**journal, *source, QDateTime::currentDateTime());
    std::printf("%s\n", kept ? "restored" : qPrintable(kept.errorMessage()));
    return kept ? 0 : 1;
}
