#pragma once

// What the export and backup tests share: a journal of four entries, the Journal menu driven as
// a user drives it, and the files it writes read back.

#include "TestSupport.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QTreeWidgetItemIterator>

#include <sys/stat.h>

namespace exporttest {

using namespace testsupport;

class JournalFixture : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "I was flying over water with a cat.");
        AddJournalRow(DreamsFile(), 2008, 2, 31, "Thirty-first", "A day February lacks.");
        AddJournalRow(DreamsFile(), 2009, 7, 1, "Ärger <b>", "Line one\nLine two & more");
        AddJournalRow(DreamsFile(), 2010, 1, 5, "Later", "A bat cave.");
        SetToday(QDate(2026, 12, 6));
        window = StartProgram();
        ASSERT_NE(window, nullptr);
    }
    QString File(const QString& name) const { return folder.filePath(name); }

    QWidget* window = nullptr;
};

// Chooses an item of the Journal menu, as a click on it does.
inline void Choose(const QWidget* window, const char* action) {
    QAction* item = Find<QAction>(window, QLatin1String(action));
    ASSERT_NE(item, nullptr);
    item->trigger();
    ProcessEvents();
}

// The mode bits of a file, as ls shows them in octal.
inline int Mode(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

inline QString Text(const QString& path) {
    return QString::fromUtf8(FileBytes(path));
}

// The entries the tree shows, in its order.
inline QStringList TreeEntries(const QWidget* window) {
    QStringList entries;
    for (QTreeWidgetItemIterator it(Find<QTreeWidget>(window, "tvDreams")); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString().startsWith('~'))
            entries << (*it)->text(0);
    }
    return entries;
}

} // namespace exporttest
