// The update-file type on the freedesktop stack: a shared-mime-info package gives `*.udj` its
// MIME type, a desktop entry says how to start this program on such a file, mimeapps.list makes it
// the default, and the icon goes into the hicolor theme. Only the user's own XDG folders are
// written. The check reads the same files the desktop reads, so it sees a fresh association at
// once (QMimeDatabase would answer from its cache for a few seconds).

#include "core/DesktopAssociation.h"

#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <fnmatch.h>
#include <string>
#include <string_view>
#include <vector>

namespace DesktopAssociation {
namespace {

// The program's identity on the desktop: the desktop entry is named after it, and so is its icon.
const QString kApplicationId = QStringLiteral("org.oneirion.Oneirion");
const QString kIconResource = QStringLiteral(":/icons/oneirion.svg");
// The probe counter of the check is a 16-bit signed number.
constexpr int kLastProbeNumber = 32767;

// ---- XDG base folders ---------------------------------------------------------------------

// Relative values are invalid and ignored, as the base-directory rules require.
QString baseHome(const char* variable, const QString& fallbackBelowHome) {
    const QString value = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + fallbackBelowHome;
}

QStringList baseDirs(const char* variable, const QString& fallback) {
    QString value = qEnvironmentVariable(variable);
    if (value.isEmpty())
        value = fallback;
    QStringList dirs;
    for (const QString& dir : value.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            dirs << QDir::cleanPath(dir);
    }
    return dirs;
}

QString dataHome() {
    return baseHome("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString configHome() {
    return baseHome("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

// Most important first.
QStringList dataDirs() {
    QStringList dirs{dataHome()};
    for (const QString& dir :
         baseDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share/:/usr/share/"))) {
        if (!dirs.contains(dir))
            dirs << dir;
    }
    return dirs;
}

QStringList configDirs() {
    QStringList dirs{configHome()};
    for (const QString& dir : baseDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"))) {
        if (!dirs.contains(dir))
            dirs << dir;
    }
    return dirs;
}

QStringList currentDesktops() {
    QStringList desktops;
    for (const QString& name :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << name.toLower();
    return desktops;
}

// ---- Key files: desktop entries and mimeapps.list -----------------------------------------

using KeyGroup = QHash<QString, QString>;
using KeyFile = QHash<QString, KeyGroup>;

// Comments and blank lines are skipped; a key given twice keeps its last value.
KeyFile readKeyFile(const QString& path) {
    KeyFile groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return groups;
    KeyGroup* group = nullptr;
    for (const QByteArray& rawLine : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = &groups[line.mid(1, line.size() - 2)];
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (group != nullptr && equals > 0)
            group->insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return groups;
}

// Undoes the escapes of a string value: \s \n \t \r and \\.
QString unescapeValue(const QString& value) {
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            result += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            result += QLatin1Char(' ');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case '\\':
            result += QLatin1Char('\\');
            break;
        default:
            result += c;
            result += next;
        }
    }
    return result;
}

QString escapeValue(const QString& value) {
    QString result;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            result += QLatin1String("\\\\");
            break;
        case '\n':
            result += QLatin1String("\\n");
            break;
        case '\t':
            result += QLatin1String("\\t");
            break;
        case '\r':
            result += QLatin1String("\\r");
            break;
        default:
            result += c;
        }
    }
    return result;
}

QStringList splitList(const QString& value) {
    return value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// ---- The Exec key ------------------------------------------------------------------------

// An argument in double quotes with " ` $ and \ escaped, and % doubled so that it is no field code.
QString quoteExecArgument(const QString& argument) {
    QString quoted(QLatin1Char('"'));
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
    }
    quoted += QLatin1Char('"');
    return quoted;
}

// Splits an unescaped command line the way launchers do: double quotes with backslash escapes,
// and, as the shell-like parsers of the desktops also accept, single quotes and a bare backslash.
QStringList splitCommandLine(const QString& command) {
    QStringList arguments;
    QString current;
    bool inArgument = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('"')) {
            for (++i; i < command.size() && command.at(i) != QLatin1Char('"'); ++i) {
                const QChar inner = command.at(i);
                if (inner == QLatin1Char('\\') && i + 1 < command.size() &&
                    QStringView(u"\"`$\\").contains(command.at(i + 1)))
                    current += command.at(++i);
                else
                    current += inner;
            }
        } else if (c == QLatin1Char('\'')) {
            for (++i; i < command.size() && command.at(i) != QLatin1Char('\''); ++i)
                current += command.at(i);
        } else if (c == QLatin1Char('\\') && i + 1 < command.size()) {
            current += command.at(++i);
        } else {
            current += c;
        }
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

// The executable a desktop entry starts: the first word of Exec, looked up in PATH when it is a
// bare name.
QString programOfEntry(const QString& entryPath) {
    const KeyFile entry = readKeyFile(entryPath);
    const QString exec = entry.value(QStringLiteral("Desktop Entry")).value(QStringLiteral("Exec"));
    const QStringList words = splitCommandLine(unescapeValue(exec));
    if (words.isEmpty())
        return QString();
    QString program = words.first();
    program.replace(QLatin1String("%%"), QLatin1String("%"));
    if (program.contains(QLatin1Char('/')))
        return program;
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}

// ---- Desktop file IDs --------------------------------------------------------------------

// "a-b.desktop" may also live as a/b.desktop below an applications folder.
QString findBelow(const QString& folder, const QString& id) {
    const QString direct = folder + QLatin1Char('/') + id;
    if (QFileInfo(direct).isFile())
        return direct;
    for (qsizetype dash = id.indexOf(QLatin1Char('-')); dash > 0;
         dash = id.indexOf(QLatin1Char('-'), dash + 1)) {
        const QString subfolder = folder + QLatin1Char('/') + id.left(dash);
        if (QFileInfo(subfolder).isDir()) {
            const QString found = findBelow(subfolder, id.mid(dash + 1));
            if (!found.isEmpty())
                return found;
        }
    }
    return QString();
}

// The desktop entry an ID names, or "" when it is not installed. The first folder that has the ID
// decides; a hidden entry there counts as deleted.
QString installedEntry(const QString& id) {
    if (!id.endsWith(QLatin1String(".desktop")) || id.contains(QLatin1Char('/')))
        return QString();
    for (const QString& dir : dataDirs()) {
        const QString path = findBelow(dir + QStringLiteral("/applications"), id);
        if (path.isEmpty())
            continue;
        const KeyGroup entry = readKeyFile(path).value(QStringLiteral("Desktop Entry"));
        if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true"))
            return QString();
        return path;
    }
    return QString();
}

// ---- MIME types --------------------------------------------------------------------------

QByteArray readMimeFile(const QString& dir, const char* name) {
    QFile file(dir + QStringLiteral("/mime/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return lower;
}

// Globs match regardless of letter case unless they are marked case-sensitive.
bool globMatches(std::string_view pattern, bool caseSensitive, const std::string& name,
                 const std::string& lowerName) {
    std::string ownPattern;
    if (!caseSensitive) {
        ownPattern = isAscii(pattern) ? asciiLower(pattern)
                                      : QString::fromUtf8(pattern.data(), qsizetype(pattern.size()))
                                            .toLower()
                                            .toStdString();
        pattern = ownPattern;
    }
    const std::string& subject = caseSensitive ? name : lowerName;
    // Most globs are "*.ext"; those need no pattern matcher.
    if (pattern.size() > 1 && pattern.front() == '*' &&
        pattern.find_first_of("*?[", 1) == std::string_view::npos)
        return endsWith(subject, pattern.substr(1));
    if (ownPattern.empty())
        ownPattern = std::string(pattern);
    return ::fnmatch(ownPattern.c_str(), subject.c_str(), 0) == 0;
}

struct GlobMatch {
    int weight;
    std::size_t patternLength;
    std::string type;
};

// The type of a file by its name: the matching glob of the highest weight, then the longest. A
// more important MIME folder that says __NOGLOBS__ for a type drops what the less important ones
// said about it. This runs at every start, so the files are scanned as bytes and only matching
// lines are kept.
QString mimeTypeForFileName(const QString& fileName) {
    const std::string name = fileName.toStdString();
    const std::string lowerName = fileName.toLower().toStdString();
    std::vector<GlobMatch> matches; // more important folders first
    QStringList dirs = dataDirs();
    std::reverse(dirs.begin(), dirs.end());
    for (const QString& dir : dirs) {
        const QByteArray globs = readMimeFile(dir, "globs2");
        std::vector<GlobMatch> own;
        std::vector<std::string> reset;
        const std::string_view text(globs.constData(), std::size_t(globs.size()));
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            const std::string_view line = text.substr(start, end - start);
            start = end + 1;
            if (line.empty() || line.front() == '#')
                continue;
            const std::size_t typeStart = line.find(':');
            const std::size_t patternStart =
                typeStart == std::string_view::npos ? typeStart : line.find(':', typeStart + 1);
            if (patternStart == std::string_view::npos)
                continue;
            const std::string_view type = line.substr(typeStart + 1, patternStart - typeStart - 1);
            const std::size_t flagsStart = line.find(':', patternStart + 1);
            const std::string_view pattern =
                line.substr(patternStart + 1, flagsStart == std::string_view::npos
                                                  ? std::string_view::npos
                                                  : flagsStart - patternStart - 1);
            if (pattern == "__NOGLOBS__") {
                reset.emplace_back(type);
                continue;
            }
            const std::string_view flags = flagsStart == std::string_view::npos
                                               ? std::string_view()
                                               : line.substr(flagsStart + 1);
            const bool caseSensitive = (QByteArray(flags.data(), qsizetype(flags.size())) + ',')
                                           .contains(QByteArrayLiteral("cs,"));
            if (globMatches(pattern, caseSensitive, name, lowerName)) {
                own.push_back({std::atoi(std::string(line.substr(0, typeStart)).c_str()),
                               pattern.size(), std::string(type)});
            }
        }
        matches.erase(std::remove_if(matches.begin(), matches.end(),
                                     [&reset](const GlobMatch& match) {
                                         return std::find(reset.begin(), reset.end(), match.type) !=
                                                reset.end();
                                     }),
                      matches.end());
        matches.insert(matches.begin(), own.begin(), own.end());
    }
    // The first of equals wins, so the more important folder decides a tie.
    const GlobMatch* best = nullptr;
    for (const GlobMatch& match : matches) {
        if (best == nullptr || match.weight > best->weight ||
            (match.weight == best->weight && match.patternLength > best->patternLength))
            best = &match;
    }
    return best != nullptr ? QString::fromStdString(best->type) : QString();
}

// The type followed by the types it is a sub-class of, nearest first.
QStringList typeAndAncestors(const QString& type) {
    QByteArray subclasses("\n");
    for (const QString& dir : dataDirs())
        subclasses += readMimeFile(dir, "subclasses") + '\n';
    QStringList chain{type};
    for (qsizetype i = 0; i < chain.size(); ++i) {
        const QByteArray prefix = '\n' + chain.at(i).toUtf8() + ' ';
        for (qsizetype at = subclasses.indexOf(prefix); at >= 0;
             at = subclasses.indexOf(prefix, at + 1)) {
            const qsizetype parentStart = at + prefix.size();
            const qsizetype parentEnd = subclasses.indexOf('\n', parentStart);
            const QString parent =
                QString::fromUtf8(subclasses.mid(parentStart, parentEnd - parentStart).trimmed());
            if (!parent.isEmpty() && !chain.contains(parent))
                chain << parent;
        }
    }
    return chain;
}

// ---- Default applications ----------------------------------------------------------------

struct MimeAppsList {
    KeyFile groups;
    bool desktopSpecific;
};

// Every mimeapps.list in the order the desktop consults them.
QList<MimeAppsList> mimeAppsLists() {
    QStringList folders = configDirs();
    for (const QString& dir : dataDirs())
        folders << dir + QStringLiteral("/applications");
    QList<MimeAppsList> lists;
    for (const QString& folder : folders) {
        for (const QString& desktop : currentDesktops()) {
            const QString path =
                folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
            if (QFileInfo::exists(path))
                lists.append({readKeyFile(path), true});
        }
        const QString path = folder + QStringLiteral("/mimeapps.list");
        if (QFileInfo::exists(path))
            lists.append({readKeyFile(path), false});
    }
    return lists;
}

// What the desktop starts for a type: the first installed default application of the type or of
// a type it derives from; without one, the most preferred application associated with them.
QString programForMimeType(const QString& type) {
    const QStringList types = typeAndAncestors(type);
    const QList<MimeAppsList> lists = mimeAppsLists();
    for (const QString& candidateType : types) {
        for (const MimeAppsList& list : lists) {
            const QString ids =
                list.groups.value(QStringLiteral("Default Applications")).value(candidateType);
            for (const QString& id : splitList(ids)) {
                const QString entry = installedEntry(id);
                if (!entry.isEmpty())
                    return programOfEntry(entry);
            }
        }
    }
    for (const QString& candidateType : types) {
        QSet<QString> removed;
        QStringList associated;
        for (const MimeAppsList& list : lists) {
            if (list.desktopSpecific)
                continue;
            for (const QString& id :
                 splitList(list.groups.value(QStringLiteral("Added Associations"))
                               .value(candidateType))) {
                if (!removed.contains(id))
                    associated << id;
            }
            for (const QString& id :
                 splitList(list.groups.value(QStringLiteral("Removed Associations"))
                               .value(candidateType)))
                removed.insert(id);
        }
        for (const QString& dir : dataDirs()) {
            const KeyFile cache = readKeyFile(dir + QStringLiteral("/applications/mimeinfo.cache"));
            for (const QString& id :
                 splitList(cache.value(QStringLiteral("MIME Cache")).value(candidateType))) {
                if (!removed.contains(id))
                    associated << id;
            }
        }
        for (const QString& id : associated) {
            const QString entry = installedEntry(id);
            if (!entry.isEmpty())
                return programOfEntry(entry);
        }
    }
    return QString();
}

// ---- Writing the association -------------------------------------------------------------

// "DreamKeywordsUpdate" gives "application/x-dream-keywords-update".
QString mimeTypeName(const QString& typeName) {
    QString subtype;
    for (qsizetype i = 0; i < typeName.size(); ++i) {
        const QChar c = typeName.at(i);
        if (c.isUpper() && i > 0 && typeName.at(i - 1).isLetterOrNumber() &&
            !typeName.at(i - 1).isUpper())
            subtype += QLatin1Char('-');
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            subtype += c.toLower();
        else if (!subtype.endsWith(QLatin1Char('-')))
            subtype += QLatin1Char('-');
    }
    return QStringLiteral("application/x-") + subtype;
}

Status writeFile(const QString& path, const QByteArray& content) {
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder))
        return Error(QStringLiteral("%1: the folder cannot be made").arg(folder));
    return SafeFile::write(path, content, SafeFile::Readers::Everyone);
}

// The first failure of several steps that all run.
void keepFirstFailure(Status& first, Status step) {
    if (first && !step)
        first = std::move(step);
}

Status writeMimePackage(const QString& mimeType, const QString& dottedExtension,
                        const QString& description) {
    const QString subtype = mimeType.section(QLatin1Char('/'), 1);
    const QString xml =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "  <mime-type type=\"%1\">\n"
            "    <comment>%2</comment>\n"
            // Update files are SQLite databases; saying so keeps a content sniffer from
            // overruling the extension.
            "    <sub-class-of type=\"application/vnd.sqlite3\"/>\n"
            "    <glob pattern=\"*%3\"/>\n"
            "  </mime-type>\n"
            "</mime-info>\n")
            .arg(mimeType.toHtmlEscaped(), description.toHtmlEscaped(),
                 dottedExtension.toHtmlEscaped());
    const QString path = dataHome() + QStringLiteral("/mime/packages/oneirion-") +
                         subtype.mid(subtype.startsWith(QLatin1String("x-")) ? 2 : 0) +
                         QStringLiteral(".xml");
    return writeFile(path, xml.toUtf8());
}

// The program's icon, and the same picture as the icon of its file type.
Status installIcons(const QString& mimeType) {
    QFile resource(kIconResource);
    if (!resource.open(QIODevice::ReadOnly))
        return Error(QStringLiteral("%1: %2").arg(kIconResource, resource.errorString()));
    const QByteArray svg = resource.readAll();
    const QString scalable = dataHome() + QStringLiteral("/icons/hicolor/scalable/");
    QString typeIcon = mimeType;
    typeIcon.replace(QLatin1Char('/'), QLatin1Char('-'));
    Status written = writeFile(
        scalable + QStringLiteral("apps/") + kApplicationId + QStringLiteral(".svg"), svg);
    keepFirstFailure(written, writeFile(scalable + QStringLiteral("mimetypes/") + typeIcon +
                                            QStringLiteral(".svg"),
                                        svg));
    return written;
}

Status writeDesktopEntry(const QString& exePath, const QString& mimeType) {
    const QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.4\n"
                       "Name=Oneirion\n"
                       "GenericName=Dream Journal\n"
                       "Comment=Keep a private dream journal and interpret it with a dream "
                       "dictionary\n"
                       "Icon=%1\n"
                       "Exec=%2 %f\n"
                       "Terminal=false\n"
                       "MimeType=%3;\n"
                       "Categories=Office;\n"
                       "Keywords=dream;journal;diary;dictionary;\n")
            .arg(kApplicationId, escapeValue(quoteExecArgument(exePath)), mimeType);
    return writeFile(dataHome() + QStringLiteral("/applications/") + kApplicationId +
                         QStringLiteral(".desktop"),
                     entry.toUtf8());
}

// Puts `id` first in the [Default Applications] line of `type`, keeping the rest of the file as
// it was. With `onlyIfListed`, a file that names no default for the type is left alone.
Status setDefaultApplication(const QString& path, const QString& type, const QString& id,
                             bool onlyIfListed) {
    const QString groupName = QStringLiteral("Default Applications");
    QFile existing(path);
    QStringList lines;
    if (existing.exists()) {
        // A list that cannot be read is not replaced by one that lacks its lines.
        if (!existing.open(QIODevice::ReadOnly))
            return Error(QStringLiteral("%1: %2").arg(path, existing.errorString()));
        lines = QString::fromUtf8(existing.readAll()).split(QLatin1Char('\n'));
        if (lines.constLast().isEmpty())
            lines.removeLast();
    } else if (onlyIfListed) {
        return Status();
    }

    qsizetype insertAt = -1;
    bool replaced = false;
    bool inGroup = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inGroup = line.mid(1, line.size() - 2) == groupName;
            if (inGroup && insertAt < 0)
                insertAt = i + 1;
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || line.left(equals).trimmed() != type) {
            if (!line.isEmpty() && insertAt >= 0 && !replaced)
                insertAt = i + 1;
            continue;
        }
        QStringList ids{id};
        for (const QString& other : splitList(line.mid(equals + 1).trimmed())) {
            if (!ids.contains(other))
                ids << other;
        }
        lines[i] = type + QLatin1Char('=') + ids.join(QLatin1Char(';')) + QLatin1Char(';');
        replaced = true;
    }
    if (!replaced) {
        if (onlyIfListed)
            return Status();
        const QString line = type + QLatin1Char('=') + id + QLatin1Char(';');
        if (insertAt >= 0) {
            lines.insert(insertAt, line);
        } else {
            if (!lines.isEmpty() && !lines.constLast().trimmed().isEmpty())
                lines << QString();
            lines << QLatin1Char('[') + groupName + QLatin1Char(']') << line;
        }
    }
    return writeFile(path, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

// Runs a database refresh tool when it is installed; what it says and how it ends are ignored.
void refresh(const QString& tool, const QString& folder) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, {folder});
    if (process.waitForStarted() && !process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
    }
}

} // namespace

Status associate(const QString& executable, const QString& extension, const QString& typeName,
                 const QString& description) {
    const QString dotted =
        extension.startsWith(QLatin1Char('.')) ? extension : QLatin1Char('.') + extension;
    const QString mimeType = mimeTypeName(typeName);
    const QString desktopId = kApplicationId + QStringLiteral(".desktop");

    // Each step runs whatever became of the one before.
    Status written = writeMimePackage(mimeType, dotted, description);
    keepFirstFailure(written, installIcons(mimeType));
    keepFirstFailure(written, writeDesktopEntry(executable, mimeType));
    keepFirstFailure(written, setDefaultApplication(configHome() + QStringLiteral("/mimeapps.list"),
                                                    mimeType, desktopId, false));
    // A desktop-specific list of the user's would outrank the general one.
    for (const QString& desktop : currentDesktops()) {
        keepFirstFailure(written, setDefaultApplication(configHome() + QLatin1Char('/') + desktop +
                                                            QStringLiteral("-mimeapps.list"),
                                                        mimeType, desktopId, true));
    }
    refresh(QStringLiteral("update-mime-database"), dataHome() + QStringLiteral("/mime"));
    refresh(QStringLiteral("update-desktop-database"),
            dataHome() + QStringLiteral("/applications"));
    return written;
}

bool isAssociated(const QString& executable) {
    return !executable.isEmpty() && associatedProgram(QStringLiteral("udj")) == executable;
}

QString associatedProgram(const QString& extension) {
    ProbeName name;
    QFile probe;
    // A file of the chosen name may appear before ours is made; it is never opened.
    for (int attempt = 0;; ++attempt) {
        name = probeFileName(extension);
        if (name.fileName.isEmpty())
            return QString();
        probe.setFileName(name.folder + name.fileName);
        if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        const QFileInfo taken(probe.fileName());
        if (attempt == 8 || !(taken.exists() || taken.isSymLink()))
            return QString();
    }
    probe.close();
    const QString type = mimeTypeForFileName(name.fileName);
    const QString program = type.isEmpty() ? QString() : programForMimeType(type);
    if (!probe.remove())
        return QString();
    return program;
}

ProbeName probeFileName(const QString& extension) {
    const QString dotted =
        extension.startsWith(QLatin1Char('.')) ? extension : QLatin1Char('.') + extension;
    ProbeName name;
    name.folder = qEnvironmentVariable("TEMP");
    if (name.folder.isEmpty())
        name.folder = QDir::tempPath();
    if (!name.folder.endsWith(QLatin1Char('/')))
        name.folder += QLatin1Char('/');
    for (int counter = 0; counter <= kLastProbeNumber; ++counter) {
        const QString candidate = QString::number(counter) + QStringLiteral("tmp") + dotted;
        // A dangling link counts as taken: creating the probe would write through it.
        const QFileInfo info(name.folder + candidate);
        if (!info.exists() && !info.isSymLink()) {
            name.fileName = candidate;
            break;
        }
    }
    return name;
}

} // namespace DesktopAssociation
