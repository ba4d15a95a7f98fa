#pragma once

// What the export and backup tests share: a journal of four entries, and the Journal menu driven
// as a user drives it.

#include "TestSupport.h"

#include <QCheckBox>
#include <QDateEdit>

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

} // namespace exporttest
