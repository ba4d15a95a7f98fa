// Every test executable starts here: a private set of XDG and TEMP folders, so no test touches
// the real home, then a QApplication on the offscreen platform, then the tests.

#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <gtest/gtest.h>

namespace testsupport {
namespace {

int g_strayModals = 0;

} // namespace

int StrayModalsClosed() {
    const int closed = g_strayModals;
    g_strayModals = 0;
    return closed;
}

} // namespace testsupport

int main(int argc, char* argv[]) {
    char root[] = "/tmp/oneirion-test-XXXXXX";
    if (::mkdtemp(root) == nullptr)
        return 2;
    const QString base = QString::fromLocal8Bit(root);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TEMP"}) {
        const QString path = base + QLatin1Char('/') + QString::fromLatin1(name).toLower();
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(path));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // A box nobody answered would hang the run: close it, and let the fixture report it.
    QTimer backstop;
    QObject::connect(&backstop, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++testsupport::g_strayModals;
            modal->close();
        }
    });
    backstop.start(300);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir(base).removeRecursively();
    return result;
}
