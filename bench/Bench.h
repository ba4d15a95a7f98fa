#pragma once

// A tiny benchmark harness. Each benchmark measures the project's code and a naive reference on
// the same generated data, in the same run, and prints one line:
//   NAME: project X ms, reference Y ms, ratio R
// where R is reference / project (larger is better).

#include "DataFiles.h"

#include <QString>

#include <functional>
#include <vector>

namespace bench {

struct Figure {
    double projectMs = 0;
    double referenceMs = 0;
};

using Benchmark = std::function<Figure()>;

// Registers a benchmark under a short dotted name such as "analysis.20k".
struct Register {
    Register(const char* name, Benchmark benchmark);
};

// Runs `work` `repeats` times and gives the fastest run in milliseconds.
double BestOfMs(int repeats, const std::function<void()>& work);

// A fresh temporary folder for the benchmark's files, removed at exit.
QString TempFolder();

// A temporary program folder with both data files (`fill` may add to them before they are
// opened), made the program folder, with the shared data opened as start-up opens it.
QString ProgramFolder(const std::vector<modDataFiles::Entry>& dictionary,
                      const std::function<void(const QString& folder)>& fill = {});

} // namespace bench

#define ONEIRION_BENCH_CAT2(a, b) a##b
#define ONEIRION_BENCH_CAT(a, b) ONEIRION_BENCH_CAT2(a, b)
// ONEIRION_BENCHMARK("name") { ...; return bench::Figure{project, reference}; }
#define ONEIRION_BENCHMARK(name)                                                                   \
    static bench::Figure ONEIRION_BENCH_CAT(benchBody, __LINE__)();                                \
    static const bench::Register ONEIRION_BENCH_CAT(benchRegister, __LINE__)(                      \
        name, &ONEIRION_BENCH_CAT(benchBody, __LINE__));                                           \
    static bench::Figure ONEIRION_BENCH_CAT(benchBody, __LINE__)()
