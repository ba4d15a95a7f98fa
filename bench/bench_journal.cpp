// The journal with ten thousand entries over thirty years: rebuilding the tree, showing an entry
// and saving a new one, each beside the straightforward way of doing the same.

#include "Bench.h"
#include "DataFiles.h"
#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/CaseFold.h"
#include "data/modDB.h"

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
const int kFirstYear = 1990;
const int kYears = 30;

QString dreamText(int i) {
    return QStringLiteral("Dream %1. I walked through a house I had never seen, and every door "
                          "opened onto water; a cat followed me from room to room, and the "
                          "stairs kept turning until I woke.")
        .arg(i);
}

void fillJournal(const QString& file) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblDreams (Year, Month, Day, JournalName, journaltext) "
                       "VALUES (?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    QRandomGenerator random(2008);
    for (int i = 0; i < kEntries; ++i) {
        const QByteArray name = QStringLiteral("Dream %1").arg(random.bounded(1000000)).toUtf8();
        const QByteArray text = dreamText(i).toUtf8();
        sqlite3_bind_int(insert, 1, kFirstYear + random.bounded(kYears));
        sqlite3_bind_int(insert, 2, 1 + random.bounded(12));
        sqlite3_bind_int(insert, 3, 1 + random.bounded(28));
        sqlite3_bind_text(insert, 4, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// A program folder with a full journal, the shared data open as start-up opens it, and the main
// window loaded and shown. Built once for all journal benchmarks.
frmMain* mainWindow() {
    static frmMain* window = [] {
        bench::ProgramFolder(
            {{QStringLiteral("cat"), QStringLiteral("Intuition.")}},
            [](const QString& folder) { fillJournal(folder + QStringLiteral("/Dreams.dll")); });
        // Never closed: closing would open the farewell web page.
        auto* w = new frmMain;
        w->Show();
        return w;
    }();
    return window;
}

// The straightforward tree: every node added to the shown tree as it is read, its parent found
// by walking the list of nodes added so far.
void naiveLoadDreamTree(frmMain* w, bool arrangeByDate) {
    QTreeWidget* tree = w->tvDreams;
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
        item->setIcon(0, w->ImageList1.value(image - 1));
        item->setData(0, Qt::UserRole, key);
        nodes.append({key, item});
        return item;
    };
    QTreeWidgetItem* root =
        add(nullptr, QStringLiteral("MyDreams"), QStringLiteral("My Dreams"), 1);
    root->setExpanded(true);

    QString path = modMain::AppPath() + QStringLiteral("/Dreams.dll");
    modDB::ConnectionPtr cn;
    modDB::OpenConnection(cn, path);
    modDB::RecordsetPtr rs;
    modDB::OpenRecordset(rs, cn,
                         QStringLiteral("SELECT DISTINCT Year from tblDreams ORDER BY Year"));
    for (; !rs->EOF_(); rs->MoveNext()) {
        const QString year = rs->Field(QStringLiteral("Year")).toString();
        add(root, QLatin1Char('_') + year, year, 2);
    }
    modDB::OpenRecordset(
        rs, cn, QStringLiteral("SELECT DISTINCT Year, Month from tblDreams ORDER BY Year, Month"));
    const QLocale locale;
    for (; !rs->EOF_(); rs->MoveNext()) {
        const QString year = rs->Field(QStringLiteral("Year")).toString();
        const int month = rs->Field(QStringLiteral("Month")).toInt();
        add(find(QLatin1Char('_') + year), QStringLiteral("_%1_%2").arg(year).arg(month),
            locale.standaloneMonthName(month, QLocale::LongFormat), 3);
    }
    modDB::OpenRecordset(
        rs, cn,
        arrangeByDate ? QStringLiteral("SELECT ID,Year,Month,Day,JournalName from tblDreams "
                                       "ORDER BY Year, Month, Day")
                      : QStringLiteral("SELECT ID,Year,Month,Day,JournalName  from tblDreams "
                                       "ORDER BY Year, Month, JournalName"));
    for (; !rs->EOF_(); rs->MoveNext()) {
        const QString year = rs->Field(QStringLiteral("Year")).toString();
        const QString month = rs->Field(QStringLiteral("Month")).toString();
        const QString day = rs->Field(QStringLiteral("Day")).toString();
        add(find(QStringLiteral("_%1_%2").arg(year, month)),
            QLatin1Char('~') + rs->Field(QStringLiteral("ID")).toString(),
            rs->Field(QStringLiteral("JournalName")).toString() +
                QStringLiteral(" (%1-%2-%3)").arg(month, day, year),
            4);
    }
    rs->Close();
    cn->Close();
}

// The straightforward editor fill: walk the journal until the row with the ID comes.
void naiveShowJournal(frmMain* w, const QString& key) {
    modDB::Recordset& rs = *modDB::rsDreams;
    const qlonglong id = key.mid(1).toLongLong();
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) {
        if (rs.Field(QStringLiteral("ID")).toLongLong() != id)
            continue;
        w->txtJournalName->setText(rs.Field(QStringLiteral("JournalName")).toString());
        const QString text = rs.Field(QStringLiteral("journaltext")).toString();
        w->rtbJournalText->setPlainText(text);
        w->rtbJournalText1->setPlainText(text);
        w->cboMonth->setCurrentIndex(rs.Field(QStringLiteral("Month")).toInt() - 1);
        w->cboDate->setCurrentIndex(rs.Field(QStringLiteral("Day")).toInt() - 1);
        w->cboYear->setCurrentIndex(rs.Field(QStringLiteral("Year")).toInt() - 1900);
        return;
    }
}

// The straightforward save: a walk over every row for the name, the insert, a fresh read of the
// journal, the straightforward tree and a search of it for the new node.
void naiveSave(frmMain* w) {
    modDB::Recordset& rs = *modDB::rsDreams;
    const QString name = w->txtJournalName->text().trimmed();
    const long count = rs.RecordCount();
    rs.MoveFirst();
    for (long i = 0; i < count; ++i) {
        if (modDB::EqualNoCase(rs.Field(QStringLiteral("JournalName")).toString(), name))
            return;
        rs.MoveNext();
    }
    rs.AddNew();
    rs.SetField(QStringLiteral("JournalName"), w->txtJournalName->text());
    rs.SetField(QStringLiteral("journaltext"), w->rtbJournalText->toPlainText());
    rs.SetField(QStringLiteral("Year"), w->cboYear->currentText().toShort());
    rs.SetField(QStringLiteral("Month"), short(w->cboMonth->currentIndex() + 1));
    rs.SetField(QStringLiteral("Day"), w->cboDate->currentText().toShort());
    rs.Update();
    const QString key = QLatin1Char('~') + rs.Field(QStringLiteral("ID")).toString();
    rs.Requery();
    naiveLoadDreamTree(w, w->ArrangeByDate);
    for (QTreeWidgetItemIterator it(w->tvDreams); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == key) {
            w->tvDreams->setCurrentItem(*it);
            break;
        }
    }
}

QStringList sampleKeys(int count) {
    QStringList keys;
    QRandomGenerator random(17);
    for (int i = 0; i < count; ++i)
        keys << QStringLiteral("~%1").arg(1 + random.bounded(kEntries));
    return keys;
}

} // namespace

ONEIRION_BENCHMARK("journal.tree.10k") {
    frmMain* w = mainWindow();
    const double project = bench::BestOfMs(5, [w] { w->LoadDreamTree(true); });
    const double reference = bench::BestOfMs(3, [w] { naiveLoadDreamTree(w, true); });
    w->LoadDreamTree(w->ArrangeByDate);
    return {project, reference};
}

// Milliseconds per entry shown, over a thousand entries.
ONEIRION_BENCHMARK("journal.show.10k") {
    frmMain* w = mainWindow();
    const QStringList keys = sampleKeys(1000);
    w->ShowJournal(keys.first());
    const double project = bench::BestOfMs(3, [&] {
        for (const QString& key : keys)
            w->ShowJournal(key);
    });
    const double reference = bench::BestOfMs(3, [&] {
        for (const QString& key : keys)
            naiveShowJournal(w, key);
    });
    return {project / keys.size(), reference / keys.size()};
}

// One new entry saved, tree rebuild and re-selection included; the fastest of several saves.
ONEIRION_BENCHMARK("journal.save.10k") {
    frmMain* w = mainWindow();
    int serial = 0;
    auto typeNewEntry = [&] {
        // The reference's save leaves the editor with changes the window never stored: drop them
        // without the question that would otherwise wait for an answer.
        w->cmdCancel_Click();
        w->cmdStartNewJournal_Click();
        w->txtJournalName->setText(QStringLiteral("Benchmark entry %1").arg(++serial));
        w->rtbJournalText->setPlainText(dreamText(serial));
        w->cboYear->setCurrentIndex(2005 - 1900);
    };
    double project = 1e300, reference = 1e300;
    for (int round = 0; round < 5; ++round) {
        typeNewEntry();
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        project = std::min(project, bench::BestOfMs(1, [w] { w->cmdSave_Click(); }));
        typeNewEntry();
        reference = std::min(reference, bench::BestOfMs(1, [w] { naiveSave(w); }));
    }
    MsgBox::Reset();
    return {project, reference};
}

// The start-up check of a journal of ten thousand entries, beside the thorough way of telling a
// usable journal: a full integrity check and a read of every row.
ONEIRION_BENCHMARK("journal.check.10k") {
    mainWindow();
    const QString file = modMain::AppPath() + QStringLiteral("/Dreams.dll");
    const QStringList columns{QStringLiteral("ID"),          QStringLiteral("Year"),
                              QStringLiteral("Month"),       QStringLiteral("Day"),
                              QStringLiteral("JournalName"), QStringLiteral("journaltext")};
    bool usable = true;
    const double project = bench::BestOfMs(5, [&] {
        usable = modDB::CheckDataFile(file, QStringLiteral("tblDreams"), columns).ok() && usable;
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
