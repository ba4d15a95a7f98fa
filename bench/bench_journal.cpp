// The journal with ten thousand entries over thirty years: rebuilding the tree, showing an entry
// and saving a new one, each beside the straightforward way of doing the same.

#include "Bench.h"
#include "core/CaseFold.h"
#include "core/Database.h"
#include "journal/JournalEditor.h"
#include "journal/JournalTree.h"
#include "journal/TreeIcons.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QRandomGenerator>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {

const int kEntries = 10000;

// The program on a journal of ten thousand entries over thirty years, its main window shown.
// Started once for all journal benchmarks.
bench::Program& journalProgram() {
    return bench::SharedProgram(QStringLiteral("journal"), [] {
        return bench::ProgramFolder(
            {{QStringLiteral("cat"), QStringLiteral("Intuition.")}}, [](const QString& folder) {
                bench::FillJournal(folder + QStringLiteral("/Dreams.dll"), kEntries);
            });
    });
}

// The journal as the straightforward way works on it: a connection of its own, and every row
// read into memory at once.
struct NaiveJournal {
    explicit NaiveJournal(const bench::Program& program)
        : opened(Database::open(program.file(QStringLiteral("Dreams.dll")),
                                Database::Access::ReadWrite)) {
        requery();
    }
    Database& db() { return **opened; }

    void requery() {
        rows.clear();
        auto all = db().query("SELECT ID, Year, Month, Day, JournalName, journaltext FROM "
                              "tblDreams ORDER BY Year,Month,Day");
        while (all->next())
            rows.push_back({all->integer(0), all->text(4), all->text(5), all->value(1),
                            all->value(2), all->value(3)});
    }

    Result<std::unique_ptr<Database>> opened;
    std::vector<JournalEntry> rows;
};

// The straightforward tree: every node added to the shown tree as it is read, its parent found
// by walking the list of nodes added so far.
void naiveLoadDreamTree(const bench::Program& program, bool arrangeByDate) {
    static const QList<QIcon> icons = journalTreeIcons();
    auto* tree = program.find<QTreeWidget>("tvDreams");
    tree->clear();
    QList<QPair<QString, QTreeWidgetItem*>> nodes;
    auto find = [&](const QString& key) -> QTreeWidgetItem* {
        for (const auto& [nodeKey, item] : nodes)
            if (nodeKey == key)
                return item;
        return nullptr;
    };
    auto add = [&](QTreeWidgetItem* parent, const QString& key, const QString& text, int image) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, text);
        item->setIcon(0, icons.value(image - 1));
        item->setData(0, Qt::UserRole, key);
        nodes.append({key, item});
        return item;
    };
    QTreeWidgetItem* root =
        add(nullptr, QStringLiteral("MyDreams"), QStringLiteral("My Dreams"), 1);
    root->setExpanded(true);

    auto opened =
        Database::open(program.file(QStringLiteral("Dreams.dll")), Database::Access::ReadWrite);
    Database& db = **opened;
    for (auto rs = db.query("SELECT DISTINCT Year from tblDreams ORDER BY Year"); rs->next();) {
        const QString year = rs->value(0).toString();
        add(root, QLatin1Char('_') + year, year, 2);
    }
    const QLocale locale;
    for (auto rs = db.query("SELECT DISTINCT Year, Month from tblDreams ORDER BY Year, Month");
         rs->next();) {
        const QString year = rs->value(0).toString();
        const int month = rs->value(1).toInt();
        add(find(QLatin1Char('_') + year), QStringLiteral("_%1_%2").arg(year).arg(month),
            locale.standaloneMonthName(month, QLocale::LongFormat), 3);
    }
    for (auto rs = arrangeByDate ? db.query("SELECT ID,Year,Month,Day,JournalName from tblDreams "
                                            "ORDER BY Year, Month, Day")
                                 : db.query("SELECT ID,Year,Month,Day,JournalName  from tblDreams "
                                            "ORDER BY Year, Month, JournalName");
         rs->next();) {
        const QString year = rs->value(1).toString();
        const QString month = rs->value(2).toString();
        const QString day = rs->value(3).toString();
        add(find(QStringLiteral("_%1_%2").arg(year, month)),
            QLatin1Char('~') + rs->value(0).toString(),
            rs->value(4).toString() + QStringLiteral(" (%1-%2-%3)").arg(month, day, year), 4);
    }
}

// The straightforward editor fill: walk the journal until the row with the ID comes.
void naiveShowJournal(const bench::Program& program, const NaiveJournal& journal, qint64 id) {
    for (const JournalEntry& row : journal.rows) {
        if (row.id != id)
            continue;
        program.find<QLineEdit>("txtJournalName")->setText(row.name);
        program.find<QTextEdit>("rtbJournalText")->setPlainText(row.text);
        program.find<QTextEdit>("rtbJournalText1")->setPlainText(row.text);
        program.find<QComboBox>("cboMonth")->setCurrentIndex(row.month.toInt() - 1);
        program.find<QComboBox>("cboDate")->setCurrentIndex(row.day.toInt() - 1);
        program.find<QComboBox>("cboYear")->setCurrentIndex(row.year.toInt() - 1900);
        return;
    }
}

// The straightforward save: a walk over every row for the name, the insert, a fresh read of the
// journal, the straightforward tree and a search of it for the new node.
void naiveSave(const bench::Program& program, NaiveJournal& journal) {
    const QString typed = program.find<QLineEdit>("txtJournalName")->text();
    const QString name = typed.trimmed();
    for (const JournalEntry& row : journal.rows) {
        if (CaseFold::equal(row.name, name))
            return;
    }
    const Status inserted = journal.db().execute(
        "INSERT INTO tblDreams (JournalName, journaltext, Year, Month, Day) VALUES (?, ?, ?, ?, ?)",
        {typed, program.find<QTextEdit>("rtbJournalText")->toPlainText(),
         program.find<QComboBox>("cboYear")->currentText().toShort(),
         short(program.find<QComboBox>("cboMonth")->currentIndex() + 1),
         program.find<QComboBox>("cboDate")->currentText().toShort()});
    if (!inserted)
        std::fprintf(stderr, "journal.save.10k: %s\n", qPrintable(inserted.errorMessage()));
    const QString key = QStringLiteral("~%1").arg(journal.db().lastInsertRowId());
    journal.requery();
    naiveLoadDreamTree(program, true);
    auto* tree = program.find<QTreeWidget>("tvDreams");
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == key) {
            tree->setCurrentItem(*it);
            break;
        }
    }
}

std::vector<qint64> sampleIds(int count) {
    std::vector<qint64> ids;
    QRandomGenerator random(17);
    for (int i = 0; i < count; ++i)
        ids.push_back(1 + random.bounded(kEntries));
    return ids;
}

} // namespace

ONEIRION_BENCHMARK("journal.tree.10k") {
    const bench::Program& program = journalProgram();
    auto* tree = program.find<JournalTree>("journalTree");
    const double project = bench::BestOfMs(5, [tree] { tree->reload(); });
    const double reference = bench::BestOfMs(3, [&] { naiveLoadDreamTree(program, true); });
    // The real tree again, its nodes its own.
    tree->reload();
    return {project, reference};
}

// Milliseconds per entry shown, over a thousand entries.
ONEIRION_BENCHMARK("journal.show.10k") {
    const bench::Program& program = journalProgram();
    auto* editor = program.find<JournalEditor>("Frame2");
    const std::vector<qint64> ids = sampleIds(1000);
    editor->showEntry(ids.front());
    const double project = bench::BestOfMs(3, [&] {
        for (const qint64 id : ids)
            editor->showEntry(id);
    });
    const NaiveJournal journal(program);
    const double reference = bench::BestOfMs(3, [&] {
        for (const qint64 id : ids)
            naiveShowJournal(program, journal, id);
    });
    return {project / double(ids.size()), reference / double(ids.size())};
}

// One new entry saved, tree rebuild and re-selection included; the fastest of several saves.
ONEIRION_BENCHMARK("journal.save.10k") {
    const bench::Program& program = journalProgram();
    NaiveJournal journal(program);
    int serial = 0;
    auto typeNewEntry = [&] {
        // The reference's save leaves the editor with changes the window never stored: they go
        // without a word.
        program.click("cmdCancel");
        program.click("cmdNewJournal");
        program.find<QLineEdit>("txtJournalName")
            ->setText(QStringLiteral("Benchmark entry %1").arg(++serial));
        program.find<QTextEdit>("rtbJournalText")->setPlainText(bench::DreamText(serial));
        program.find<QComboBox>("cboYear")->setCurrentIndex(2005 - 1900);
    };
    double project = 1e300, reference = 1e300;
    for (int round = 0; round < 5; ++round) {
        typeNewEntry();
        project = std::min(project, bench::BestOfMs(1, [&] { program.click("cmdSave"); }));
        typeNewEntry();
        reference = std::min(reference, bench::BestOfMs(1, [&] { naiveSave(program, journal); }));
    }
    // The real tree again, its nodes its own.
    program.find<JournalTree>("journalTree")->reload();
    bench::TakeMessages();
    return {project, reference};
}

// The start-up check of a journal of ten thousand entries, beside the thorough way of telling a
// usable journal: a full integrity check and a read of every row.
ONEIRION_BENCHMARK("journal.check.10k") {
    const QString file = journalProgram().file(QStringLiteral("Dreams.dll"));
    const QStringList columns{QStringLiteral("ID"),          QStringLiteral("Year"),
                              QStringLiteral("Month"),       QStringLiteral("Day"),
                              QStringLiteral("JournalName"), QStringLiteral("journaltext")};
    bool usable = true;
    const double project = bench::BestOfMs(5, [&] {
        usable = Database::check(file, QStringLiteral("tblDreams"), columns).isOk() && usable;
    });
    int rows = 0;
    const double reference = bench::BestOfMs(3, [&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_exec(db, "PRAGMA integrity_check", nullptr, nullptr, nullptr);
        sqlite3_stmt* all = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM tblDreams", -1, &all, nullptr);
        while (sqlite3_step(all) == SQLITE_ROW)
            rows += sqlite3_column_bytes(all, 5) > 0;
        sqlite3_finalize(all);
        sqlite3_close(db);
    });
    if (!usable || rows < 3 * kEntries)
        std::fprintf(stderr, "journal.check.10k: the journal did not read as it should\n");
    return {project, reference};
}
