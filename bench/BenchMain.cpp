// oneirion-bench [NAME]: runs every benchmark, or those whose names start with NAME.

#include "Bench.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace bench {
namespace {

std::map<QString, Benchmark>& registry() {
    static std::map<QString, Benchmark> benchmarks;
    return benchmarks;
}

std::vector<std::unique_ptr<QTemporaryDir>>& folders() {
    static std::vector<std::unique_ptr<QTemporaryDir>> all;
    return all;
}

// Cleared before the application object goes, which their windows need.
std::map<QString, std::unique_ptr<Program>>& sharedPrograms() {
    static std::map<QString, std::unique_ptr<Program>> all;
    return all;
}

QList<MessageBox::Message>& shownMessages() {
    static QList<MessageBox::Message> shown;
    return shown;
}

MessageBox::Button answer(const MessageBox::Message& message) {
    shownMessages().append(message);
    return message.buttons.testFlag(MessageBox::No) ? MessageBox::No : MessageBox::Ok;
}

} // namespace

Register::Register(const char* name, Benchmark benchmark) {
    registry()[QString::fromLatin1(name)] = std::move(benchmark);
}

double BestOfMs(int repeats, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

double BestOfMsWithEvents(int repeats, const std::function<void()>& work) {
    return BestOfMs(repeats, [&work] {
        work();
        QApplication::processEvents();
    });
}

Program& SharedProgram(const QString& key, const std::function<QString()>& makeFolder) {
    std::unique_ptr<Program>& program = sharedPrograms()[key];
    if (!program)
        program = std::make_unique<Program>(makeFolder());
    return *program;
}

QList<MessageBox::Message> TakeMessages() {
    return std::exchange(shownMessages(), {});
}

QString TempFolder() {
    folders().push_back(std::make_unique<QTemporaryDir>());
    return folders().back()->path();
}

} // namespace bench

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Benchmarks never touch the user's own settings or desktop files.
    QTemporaryDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TEMP"}) {
        const QString path = home.path() + QLatin1Char('/') + QString::fromLatin1(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(path));
    }
    QApplication app(argc, argv);
    MessageBox::setAnswerer(bench::answer);
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    int ran = 0;
    for (const auto& [name, benchmark] : bench::registry()) {
        if (!name.startsWith(prefix))
            continue;
        const bench::Figure figure = benchmark();
        std::printf("%s: project %.2f %s, reference %.2f %s, ratio %.1f\n", qPrintable(name),
                    figure.projectMs, figure.unit, figure.referenceMs, figure.unit,
                    figure.projectMs > 0 ? figure.referenceMs / figure.projectMs : 0.0);
        std::fflush(stdout);
        ++ran;
    }
    if (ran == 0) {
        std::fprintf(stderr, "no benchmark starts with \"%s\"\n", qPrintable(prefix));
        return 1;
    }
    bench::sharedPrograms().clear();
    bench::folders().clear();
    return 0;
}
