#pragma once

// A tiny benchmark harness. Each benchmark measures the project's code and a naive reference on
// the same generated data, in the same run, and prints one line:
//   NAME: project X ms, reference Y ms, ratio R
// where R is reference / project (larger is better).

#include "DataFiles.h"
#include "gui/MessageBox.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class Application;

namespace bench {

struct Figure {
    double projectMs = 0;
    double referenceMs = 0;
    // What the two figures count, when it is not time.
    const char* unit = "ms";
};

using Benchmark = std::function<Figure()>;

// Registers a benchmark under a short dotted name such as "analysis.20k".
struct Register {
    Register(const char* name, Benchmark benchmark);
};

// Runs `work` `repeats` times and gives the fastest run in milliseconds.
double BestOfMs(int repeats, const std::function<void()>& work);
// The same, each run timed until the window has handled what `work` left it (repaints, queued
// calls): what the user waits for.
double BestOfMsWithEvents(int repeats, const std::function<void()>& work);

// A fresh temporary folder for the benchmark's files, removed at exit.
QString TempFolder();

// A temporary program folder with both data files: an empty journal and `dictionary`. `fill`
// may add to them before the program opens them.
QString ProgramFolder(const std::vector<modDataFiles::Entry>& dictionary,
                      const std::function<void(const QString& folder)>& fill = {});

// The real program, started in-process on a program folder as a user starts it, with its main
// window shown. Its controls are found by objectName, as a user finds them by sight.
class Program {
public:
    explicit Program(const QString& folder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    const QString& folder() const { return folder_; }
    // A file of the program folder.
    QString file(const QString& name) const;
    QWidget* window() const { return window_; }

    // The control of the main window named `name`; the run stops when it has none.
    template <typename T = QWidget>
    T* find(const char* name) const {
        T* found = window_->findChild<T*>(QLatin1String(name));
        if (found == nullptr)
            missing(name);
        return found;
    }
    void click(const char* button) const;
    // Brings the panel named `panel` to the front, as navigating to it does.
    void bringToFront(const char* panel) const;

private:
    [[noreturn]] static void missing(const char* name);

    QString folder_;
    std::unique_ptr<Application> application_;
    QWidget* window_ = nullptr;
};

// A program that lasts until every benchmark has run, shared by the benchmarks named `key`;
// `makeFolder` gives its program folder the first time it is asked for.
Program& SharedProgram(const QString& key, const std::function<QString()>& makeFolder);

// Every message the program shows is answered in the user's place: No where it is offered, so
// that no web page opens and nothing is deleted, otherwise OK. Gives the messages shown since
// the last call.
QList<MessageBox::Message> TakeMessages();

// The text of journal entry `number`: a paragraph of some two hundred characters.
QString DreamText(int number);
// Adds `entries` entries over thirty years, from 1990, to the journal at `path`, in one
// transaction; entry `number` gets `text(number)`, DreamText by default.
void FillJournal(const QString& path, int entries,
                 const std::function<QString(int number)>& text = {});
// `keywords` word-like keywords of two to four syllables, some capitalised, some with accents,
// each with a sentence of meaning.
std::vector<modDataFiles::Entry> GeneratedDictionary(int keywords);
// The dictionary the program ships with.
std::vector<modDataFiles::Entry> ShippedDictionary();
// Every meaning of a generated dictionary.
extern const QString kMeaning;

} // namespace bench

#define ONEIRION_BENCH_CAT2(a, b) a##b
#define ONEIRION_BENCH_CAT(a, b) ONEIRION_BENCH_CAT2(a, b)
// ONEIRION_BENCHMARK("name") { ...; return bench::Figure{project, reference}; }
#define ONEIRION_BENCHMARK(name)                                                                   \
    static bench::Figure ONEIRION_BENCH_CAT(benchBody, __LINE__)();                                \
    static const bench::Register ONEIRION_BENCH_CAT(benchRegister, __LINE__)(                      \
        name, &ONEIRION_BENCH_CAT(benchBody, __LINE__));                                           \
    static bench::Figure ONEIRION_BENCH_CAT(benchBody, __LINE__)()
