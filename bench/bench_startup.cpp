// The real program started as a user starts it, as a process of its own, until its main window
// has painted for the first time; and what it then holds in memory. Each beside the same start
// on an empty journal.

#include "Bench.h"
#include "core/Settings.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>

namespace {

struct Start {
    double paintMs = 0;
    double residentMb = 0;
};

// A program folder holding its own copy of the executable, so the program finds these data
// files beside it; the update reminder has just been answered, so no question waits.
QString programCopy(const std::vector<modDataFiles::Entry>& dictionary, int entries) {
    const QString folder = bench::ProgramFolder(dictionary, [entries](const QString& at) {
        if (entries > 0)
            bench::FillJournal(at + QStringLiteral("/Dreams.dll"), entries);
    });
    const QString executable = folder + QStringLiteral("/oneirion");
    if (!QFile::copy(QStringLiteral(ONEIRION_EXECUTABLE), executable)) {
        std::fprintf(stderr, "startup: cannot copy %s\n", ONEIRION_EXECUTABLE);
        std::abort();
    }
    static_cast<void>(
        Settings(executable)
            .setText(QStringLiteral("LastUpdate"), QDate::currentDate().toString(Qt::ISODate)));
    return executable;
}

Start startOnce(const QString& executable) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ONEIRION_FIRST_PAINT"), QStringLiteral("1"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    program.start(executable, {});
    Start start;
    while (program.waitForReadyRead(10000) || program.canReadLine()) {
        while (program.canReadLine()) {
            const QByteArray line = program.readLine().trimmed();
            if (line == "painted")
                start.paintMs = double(clock.nsecsElapsed()) / 1e6;
            else if (line.startsWith("rss "))
                start.residentMb = line.mid(4).toDouble() / 1024.0;
        }
        if (start.residentMb > 0)
            break;
    }
    program.waitForFinished(10000);
    if (start.paintMs == 0 || start.residentMb == 0) {
        std::fprintf(stderr, "startup: %s never reported its first paint\n",
                     qPrintable(executable));
        std::abort();
    }
    return start;
}

// The median of several starts, after one that sets up the desktop association.
Start medianStart(const QString& executable) {
    startOnce(executable);
    std::vector<double> paint, resident;
    for (int i = 0; i < 7; ++i) {
        const Start start = startOnce(executable);
        paint.push_back(start.paintMs);
        resident.push_back(start.residentMb);
    }
    std::sort(paint.begin(), paint.end());
    std::sort(resident.begin(), resident.end());
    return {paint[paint.size() / 2], resident[resident.size() / 2]};
}

} // namespace

// Ten thousand entries and the shipped dictionary.
ONEIRION_BENCHMARK("startup.10k") {
    const std::vector<modDataFiles::Entry> shipped = bench::ShippedDictionary();
    const Start full = medianStart(programCopy(shipped, 10000));
    const Start empty = medianStart(programCopy(shipped, 0));
    return {full.paintMs, empty.paintMs};
}

// Resident memory with ten thousand entries and fifty thousand keywords, beside the program
// with an empty journal and an empty dictionary. The ratio is empty over full: above 0.67 keeps
// the full program under one and a half times the empty one.
ONEIRION_BENCHMARK("memory.10k") {
    const Start full = medianStart(programCopy(bench::GeneratedDictionary(50000), 10000));
    const Start empty = medianStart(programCopy({}, 0));
    return {full.residentMb, empty.residentMb, "MB"};
}
