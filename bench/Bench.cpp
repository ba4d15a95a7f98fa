// The program and the data the benchmarks share.

#include "Bench.h"

#include "app/Application.h"
#include "app/PanelStack.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace bench {

const QString kMeaning =
    QStringLiteral("A meaning of some sixty characters, as most meanings are.");

QString ProgramFolder(const std::vector<modDataFiles::Entry>& dictionary,
                      const std::function<void(const QString& folder)>& fill) {
    const QString folder = TempFolder();
    modDataFiles::CreateDreams(folder + QStringLiteral("/Dreams.dll"));
    modDataFiles::CreateKeywords(folder + QStringLiteral("/Keywords.dll"), dictionary);
    if (fill)
        fill(folder);
    return folder;
}

Program::Program(const QString& folder)
    : folder_(folder) {
    // Each program is an executable of its own, so none sees another as running already.
    application_ = std::make_unique<Application>(Application::Environment{
        folder, file(QStringLiteral("oneirion")), {}, [] { return QDate::currentDate(); }});
    application_->start();
    for (QWidget* window : application_->windows()) {
        if (window->objectName() == QLatin1String("frmMain"))
            window_ = window;
    }
    if (window_ == nullptr) {
        for (const MessageBox::Message& message : TakeMessages())
            std::fprintf(stderr, "%s\n", qPrintable(message.text));
        missing("frmMain");
    }
    QApplication::processEvents();
    TakeMessages();
}

// The windows go before the program's stores, without the farewell a close would show.
Program::~Program() = default;

QString Program::file(const QString& name) const {
    return folder_ + QLatin1Char('/') + name;
}

void Program::click(const char* button) const {
    find<QAbstractButton>(button)->click();
}

void Program::bringToFront(const char* panel) const {
    find<PanelStack>("panelStack")->bringToFront(find(panel));
}

void Program::missing(const char* name) {
    std::fprintf(stderr, "the program has no %s\n", name);
    std::abort();
}

// Word-like keywords of two to four syllables, some capitalised, some with accents.
std::vector<modDataFiles::Entry> GeneratedDictionary(int keywords) {
    static const char16_t* syllables[] = {u"an",  u"bel", u"cor", u"da",  u"el",  u"fen", u"gar",
                                          u"hol", u"is",  u"jun", u"ka",  u"lum", u"mor", u"ne",
                                          u"ol",  u"pra", u"qui", u"ros", u"sel", u"tan", u"ur",
                                          u"ven", u"wol", u"xa",  u"yel", u"zor", u"är",  u"ée"};
    const int count = int(std::size(syllables));
    QRandomGenerator random(20240611);
    std::vector<modDataFiles::Entry> entries;
    for (int i = 0; i < keywords; ++i) {
        QString word;
        const int length = 2 + int(random.bounded(3));
        for (int s = 0; s < length; ++s)
            word += QString::fromUtf16(syllables[random.bounded(count)]);
        if (random.bounded(4) == 0)
            word[0] = word[0].toUpper();
        word += QString::number(i % 97);
        entries.push_back(
            {word,
             QStringLiteral("The meaning of %1, in a sentence or two of plain text.").arg(word)});
    }
    return entries;
}

QString DreamText(int number) {
    return QStringLiteral("Dream %1. I walked through a house I had never seen, and every door "
                          "opened onto water; a cat followed me from room to room, and the "
                          "stairs kept turning until I woke.")
        .arg(number);
}

std::vector<modDataFiles::Entry> ShippedDictionary() {
    QFile tsv(QFileInfo(QString::fromUtf8(__FILE__))
                  .dir()
                  .filePath(QStringLiteral("../data/keywords.tsv")));
    std::vector<modDataFiles::Entry> dictionary;
    if (!tsv.open(QIODevice::ReadOnly) ||
        !modDataFiles::ParseDictionary(tsv.readAll(), dictionary).ok || dictionary.empty()) {
        std::fprintf(stderr, "cannot read the shipped dictionary %s\n", qPrintable(tsv.fileName()));
        std::abort();
    }
    return dictionary;
}

void FillJournal(const QString& path, int entries, const std::function<QString(int)>& text) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblDreams (Year, Month, Day, JournalName, journaltext) "
                       "VALUES (?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    QRandomGenerator random(2008);
    for (int i = 0; i < entries; ++i) {
        const QByteArray name = QStringLiteral("Dream %1").arg(random.bounded(1000000)).toUtf8();
        const QByteArray bytes = (text ? text(i) : DreamText(i)).toUtf8();
        sqlite3_bind_int(insert, 1, 1990 + random.bounded(30));
        sqlite3_bind_int(insert, 2, 1 + random.bounded(12));
        sqlite3_bind_int(insert, 3, 1 + random.bounded(28));
        sqlite3_bind_text(insert, 4, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace bench
