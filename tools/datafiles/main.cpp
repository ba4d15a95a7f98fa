// oneirion-datafiles [--if-absent] FOLDER
// Creates Dreams.dll (an empty journal) and Keywords.dll (the shipped dictionary) in FOLDER.
// An existing file is never replaced. Without --if-absent an existing file is an error; with it,
// the file is kept quietly, which is what builds and installs want.

#include "DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

void say(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool ifAbsent = args.removeAll(QStringLiteral("--if-absent")) > 0;
    if (args.size() != 1) {
        say(QStringLiteral("usage: oneirion-datafiles [--if-absent] FOLDER"));
        return 2;
    }
    const QString folder = args.first();
    if (!QDir().mkpath(folder)) {
        say(QStringLiteral("Cannot create the folder %1").arg(folder));
        return 1;
    }

    QFile source(QStringLiteral(":/keywords.tsv"));
    std::vector<modDataFiles::Entry> entries;
    if (!source.open(QIODevice::ReadOnly)) {
        say(QStringLiteral("The dictionary is missing from this build."));
        return 1;
    }
    const modDataFiles::Result parsed = modDataFiles::ParseDictionary(source.readAll(), entries);
    if (!parsed.ok) {
        say(parsed.message);
        return 1;
    }

    int failures = 0;
    auto make = [&](const QString& name, auto create) {
        const QString path = QDir(folder).filePath(name);
        if (!modDataFiles::ExistingIgnoringCase(folder, name).isEmpty()) {
            if (!ifAbsent) {
                say(QStringLiteral("%1 exists; it is left as it is.").arg(path));
                ++failures;
            }
            return;
        }
        const modDataFiles::Result made = create(path);
        if (!made.ok) {
            say(made.message);
            ++failures;
        } else {
            say(QStringLiteral("Created %1").arg(path));
        }
    };
    make(QStringLiteral("Dreams.dll"),
         [](const QString& path) { return modDataFiles::CreateDreams(path); });
    make(QStringLiteral("Keywords.dll"),
         [&entries](const QString& path) { return modDataFiles::CreateKeywords(path, entries); });
    return failures == 0 ? 0 : 1;
}
