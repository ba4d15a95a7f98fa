#include "TestSupport.h"

#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "shell/modRegistry.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>

#include <linux/capability.h>
#include <sqlite3.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {
namespace {

void bindAll(sqlite3_stmt* stmt, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(stmt, i + 1);
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        } else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(stmt, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
}

QList<QVariantList> run(const QString& file, const QString& sql, const QVariantList& params) {
    sqlite3* db = nullptr;
    QList<QVariantList> rows;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << file.toStdString();
        sqlite3_close_v2(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(db);
        sqlite3_close_v2(db);
        return rows;
    }
    bindAll(stmt, params);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVariantList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                row << QVariant(qlonglong(sqlite3_column_int64(stmt, i)));
                break;
            case SQLITE_NULL:
                row << QVariant();
                break;
            default:
                row << QVariant(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
            }
        }
        rows << row;
    }
    if (rc != SQLITE_DONE)
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return rows;
}

} // namespace

Dictionary SampleDictionary() {
    return {
        {QStringLiteral("cat"), QStringLiteral("Independence and intuition.")},
        {QStringLiteral("Bat"), QStringLiteral("Something hidden in the dark.")},
        {QStringLiteral("water"), QStringLiteral("Emotions and the unconscious.")},
        {QStringLiteral("Ant"), QStringLiteral("Patient, shared work.")},
        {QStringLiteral("flying"), QStringLiteral("Freedom and a wider view.")},
    };
}

void CreateDataFiles(const QString& folder, const Dictionary& dictionary) {
    const auto dreams = modDataFiles::CreateDreams(folder + QStringLiteral("/Dreams.dll"));
    ASSERT_TRUE(dreams.ok) << dreams.message.toStdString();
    const auto keywords =
        modDataFiles::CreateKeywords(folder + QStringLiteral("/Keywords.dll"), dictionary);
    ASSERT_TRUE(keywords.ok) << keywords.message.toStdString();
}

void Exec(const QString& file, const QString& sql, const QVariantList& params) {
    run(file, sql, params);
}

QList<QVariantList> Query(const QString& file, const QString& sql, const QVariantList& params) {
    return run(file, sql, params);
}

qlonglong AddJournalRow(const QString& dreamsFile, int year, int month, int day,
                        const QString& name, const QString& text) {
    Exec(dreamsFile,
         QStringLiteral("INSERT INTO tblDreams (Year, Month, Day, JournalName, journaltext) "
                        "VALUES (?, ?, ?, ?, ?)"),
         {year, month, day, name, text});
    const auto rows = Query(dreamsFile, QStringLiteral("SELECT max(ID) FROM tblDreams"));
    return rows.isEmpty() ? -1 : rows.first().first().toLongLong();
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList TakeMessageTexts() {
    QStringList texts;
    for (const MsgBox::Shown& shown : MsgBox::TakeShown())
        texts << shown.text;
    return texts;
}

void ProcessEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString BuildDir() {
    return qEnvironmentVariable("ONEIRION_BUILD_DIR");
}

QString ProgramBinary() {
    return BuildDir() + QStringLiteral("/oneirion");
}

namespace {

// The capabilities that let a process pass over permission bits.
constexpr quint32 kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool setEffectiveOverrides(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    const quint32 before = data[0].effective;
    data[0].effective = on ? (before | (kOverrides & data[0].permitted)) : (before & ~kOverrides);
    if (data[0].effective == before)
        return false;
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

PermissionsApply::PermissionsApply()
    : lowered_(setEffectiveOverrides(false)) {}

PermissionsApply::~PermissionsApply() {
    if (lowered_)
        setEffectiveOverrides(true);
}

UrlRecorder::UrlRecorder() {
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
}

UrlRecorder::~UrlRecorder() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void UrlRecorder::open(const QUrl& url) {
    urls << url;
}

void ProgramFixture::SetUp() {
    ASSERT_TRUE(folder.isValid());
    CreateDataFiles(folder.path(), InitialDictionary());
    modMain::testing::SetAppPath(folder.path());
    modMain::testing::SetCommandLine(QString());
    MsgBox::Reset();
}

void ProgramFixture::TearDown() {
    modMain::UnloadAllForms();
    ProcessEvents();
    form = nullptr;
    modDB::rsDreams.reset();
    modDB::cnDreams.reset();
    modDB::rsKeywords.reset();
    modDB::cnKeywords.reset();
    modDB::SimulateFault(QString(), modDB::SimulatedFault::None);
    EXPECT_EQ(MsgBox::PendingAnswers(), 0) << "a queued answer was never asked for";
    MsgBox::Reset();
    modMain::testing::SetAppPath(std::nullopt);
    modMain::testing::SetCommandLine(std::nullopt);
    modRegistry::testing::SetToday(std::nullopt);
    EXPECT_EQ(StrayModalsClosed(), 0) << "a message box or dialog was left unanswered";
}

frmMain* ProgramFixture::StartMain() {
    modMain::Main();
    form = nullptr;
    for (QWidget* loaded : modMain::LoadedForms()) {
        if (auto* main = qobject_cast<frmMain*>(loaded))
            form = main;
    }
    return form;
}

QString ProgramFixture::DreamsFile() const {
    return folder.path() + QStringLiteral("/Dreams.dll");
}

QString ProgramFixture::KeywordsFile() const {
    return folder.path() + QStringLiteral("/Keywords.dll");
}

} // namespace testsupport
