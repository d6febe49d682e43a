// A report workbook of 10,000 rows: opening it, adding a run's three rows and saving it again,
// against xmllint merely parsing the same file, measured in the same run. The workbook is one the
// program wrote, so it is kept in place; the whole-document way is measured beside it.
//
// Also: saving a class's report (30 pupils, 10 runs each) under the file's lock, with the file
// unchanged since the last save and with another saver's row in it each time; and the peak
// resident memory of a process that opens the largest report it accepts.

#include "report/ReportText.h"
#include "report/SpreadsheetReport.h"
#include "report/WorkbookEngine.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 10000;

fs::path makeTemporaryFolder(const char* prefix) {
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

// A folder holding the 10,000-row workbook, made once per process.
class BigWorkbook {
public:
    static const BigWorkbook& instance() {
        static const BigWorkbook workbook;
        return workbook;
    }
    const fs::path& file() const { return file_; }
    const std::string& bytes() const { return bytes_; }

private:
    BigWorkbook() {
        dir_ = makeTemporaryFolder("report-bench");
        file_ = dir_ / "Отчёт.xls";
        report::SpreadsheetReport report(report::fromUtf8(file_.string()), u"Ученик");
        for (int i = 0; i < kRows; ++i) {
            const std::u16string number = report::fromUtf8(std::to_string(i));
            report.addRow(u"Время начала работы, попытка " + number, number, u"Number");
        }
        if (!report.save().ok)
            throw std::runtime_error("could not write the workbook");
        std::ifstream in(file_, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ~BigWorkbook() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
    fs::path file_;
    std::string bytes_;
};

void restore(const BigWorkbook& workbook) {
    std::ofstream out(workbook.file(), std::ios::binary | std::ios::trunc);
    out << workbook.bytes();
}

using report::ReportLoading;

// Opening checks that the workbook is what the program wrote and keeps it in place; the whole
// document is the way every other file goes, and the way this one went before.
bool takenAsAsked(const report::SpreadsheetReport& report, ReportLoading loading) {
    return report.appendsInPlace() == (loading == ReportLoading::InPlaceWhenPossible);
}

std::unique_ptr<report::SpreadsheetReport> openAsAsked(benchmark::State& state,
                                                       const BigWorkbook& workbook,
                                                       ReportLoading loading) {
    auto report = std::make_unique<report::SpreadsheetReport>(
        report::fromUtf8(workbook.file().string()), u"Ученик", loading);
    if (!takenAsAsked(*report, loading))
        state.SkipWithError("the report was not opened the way asked");
    return report;
}

void addThreeRows(report::SpreadsheetReport& report) {
    report.addRow(u"Время начала работы", u"10:15:00", u"String");
    report.addRow(u"Количество повторов инструкции", u"2", u"Number");
    report.addRow(u"Время работы", u"00:04:12", u"String");
}

void BM_OpenAddThreeRowsSave(benchmark::State& state, ReportLoading loading) {
    const BigWorkbook& workbook = BigWorkbook::instance();
    for (auto _ : state) {
        state.PauseTiming();
        restore(workbook);
        state.ResumeTiming();
        const auto report = openAsAsked(state, workbook, loading);
        addThreeRows(*report);
        if (!report->save().ok)
            state.SkipWithError("save failed");
    }
    state.counters["bytes"] = static_cast<double>(workbook.bytes().size());
}

// The two halves of the above on their own: reading the workbook (checking it, or building its
// DOM), and writing it out again (into memory, without the file and its flush to disk).
void BM_OpenOnly(benchmark::State& state, ReportLoading loading) {
    const BigWorkbook& workbook = BigWorkbook::instance();
    restore(workbook);
    for (auto _ : state) {
        const auto report = openAsAsked(state, workbook, loading);
        benchmark::DoNotOptimize(report->openOutcome());
    }
}

void BM_SerializeWithThreeRows(benchmark::State& state, ReportLoading loading) {
    const BigWorkbook& workbook = BigWorkbook::instance();
    restore(workbook);
    const auto report = openAsAsked(state, workbook, loading);
    addThreeRows(*report);
    for (auto _ : state) {
        const auto bytes = report->serialize();
        if (!bytes || bytes->size() <= workbook.bytes().size())
            state.SkipWithError("the workbook did not come out with its new rows");
    }
}

// Each of the above, in place and as a whole document, side by side.
const bool registeredBothWays = [] {
    using Measure = void (*)(benchmark::State&, ReportLoading);
    const std::pair<const char*, Measure> measures[] = {
        {"BM_OpenAddThreeRowsSave", BM_OpenAddThreeRowsSave},
        {"BM_OpenOnly", BM_OpenOnly},
        {"BM_SerializeWithThreeRows", BM_SerializeWithThreeRows},
    };
    const std::pair<const char*, ReportLoading> ways[] = {
        {"InPlace", ReportLoading::InPlaceWhenPossible},
        {"WholeDocument", ReportLoading::WholeDocument},
    };
    for (const auto& [name, measure] : measures)
        for (const auto& [way, loading] : ways)
            benchmark::RegisterBenchmark((std::string(name) + "/" + way).c_str(), measure, loading)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(7)
                ->ReportAggregatesOnly(true);
    return true;
}();

void BM_XmllintParse(benchmark::State& state) {
    const BigWorkbook& workbook = BigWorkbook::instance();
    const char* xmllint = "/usr/bin/xmllint";
    if (!fs::exists(xmllint)) {
        state.SkipWithError("xmllint is not installed (package libxml2-utils)");
        return;
    }
    restore(workbook);
    const std::string file = workbook.file().string();
    for (auto _ : state) {
        const char* argv[] = {xmllint, "--noout", file.c_str(), nullptr};
        pid_t pid = 0;
        if (::posix_spawn(&pid, xmllint, nullptr, nullptr, const_cast<char**>(argv), environ) !=
            0) {
            state.SkipWithError("xmllint did not start");
            return;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("xmllint failed");
    }
}
BENCHMARK(BM_XmllintParse)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// A class's report: 30 pupils, 10 runs each of three rows and an empty row.
class ClassWorkbook {
public:
    static constexpr int kPupils = 30;
    static constexpr int kRuns = 10;

    ClassWorkbook() {
        dir_ = makeTemporaryFolder("report-class");
        file_ = dir_ / "Класс.xls";
        for (int pupil = 0; pupil < kPupils; ++pupil) {
            report::SpreadsheetReport report(path(), pupilName(pupil));
            for (int run = 0; run < kRuns; ++run) {
                addThreeRows(report);
                report.addEmptyRow();
            }
            if (!report.save().ok)
                throw std::runtime_error("could not write the class report");
        }
    }
    ~ClassWorkbook() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::u16string path() const { return report::fromUtf8(file_.string()); }
    static std::u16string pupilName(int pupil) {
        return u"Ученик " + report::fromUtf8(std::to_string(pupil + 1));
    }
    std::uintmax_t size() const { return fs::file_size(file_); }

private:
    fs::path dir_;
    fs::path file_;
};

// One run's rows saved into the class report, as the program does when a pupil finishes. With
// `changedByAnother` another saver has put a row of its own into the file since, so the save
// reads the file again and splices into what it found.
void BM_SaveClassReportUnderLock(benchmark::State& state, bool changedByAnother) {
    const ClassWorkbook workbook;
    report::SpreadsheetReport report(workbook.path(), ClassWorkbook::pupilName(0));
    report::SpreadsheetReport other(workbook.path(), ClassWorkbook::pupilName(1));
    for (auto _ : state) {
        if (changedByAnother) {
            state.PauseTiming();
            other.addRow(u"Другая программа", u"1", u"Number");
            if (!other.save().ok)
                state.SkipWithError("the other save failed");
            state.ResumeTiming();
        }
        addThreeRows(report);
        report.addEmptyRow();
        if (!report.save().ok)
            state.SkipWithError("save failed");
    }
    state.counters["bytes"] = static_cast<double>(workbook.size());
}
BENCHMARK_CAPTURE(BM_SaveClassReportUnderLock, Unchanged, false)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SaveClassReportUnderLock, ChangedByAnother, true)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// What it costs that the XML module is loaded only while a report is read or written: loading it
// (with the XML library and everything that library brings) and unloading it again; and a
// pupil's report opened and its run saved into the class report, the module loaded for the open
// and again for the save as the program does, or kept loaded all the while as when the library
// was linked into the program.
void BM_LoadAndUnloadTheXmlModule(benchmark::State& state) {
    for (auto _ : state) {
        const std::shared_ptr<const report::WorkbookEngine> engine = report::useWorkbookEngine();
        if (!engine)
            state.SkipWithError("the module did not load");
    }
}
BENCHMARK(BM_LoadAndUnloadTheXmlModule)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_OpenAndSaveARun(benchmark::State& state, bool moduleKeptLoaded) {
    const ClassWorkbook workbook;
    const std::shared_ptr<const report::WorkbookEngine> kept =
        moduleKeptLoaded ? report::useWorkbookEngine() : nullptr;
    for (auto _ : state) {
        report::SpreadsheetReport report(workbook.path(), ClassWorkbook::pupilName(0));
        addThreeRows(report);
        report.addEmptyRow();
        if (!report.save().ok)
            state.SkipWithError("save failed");
    }
}
BENCHMARK_CAPTURE(BM_OpenAndSaveARun, ModuleLoadedEachTime, false)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_OpenAndSaveARun, ModuleKeptLoaded, true)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// A workbook in the program's own form of about `bytes` bytes: one saved row repeated.
fs::path writeWorkbookOfSize(const fs::path& dir, std::size_t bytes) {
    const fs::path file = dir / "large.xls";
    {
        report::SpreadsheetReport seed(report::fromUtf8(file.string()), u"Ученик");
        seed.addRow(u"Время начала работы", u"10:15:00", u"String");
        if (!seed.save().ok)
            throw std::runtime_error("could not write the seed");
    }
    std::string text;
    {
        std::ifstream in(file, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::size_t rowBegin = text.find("<Row>");
    const std::size_t rowEnd = text.find("</Row>") + 6;
    const std::string row = text.substr(rowBegin, rowEnd - rowBegin);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text.substr(0, rowEnd);
    for (std::size_t written = text.size(); written + row.size() < bytes; written += row.size())
        out << row;
    out << text.substr(rowEnd);
    return file;
}

// Peak resident memory of a fresh process (forked, so the benchmark's own allocations stay out)
// that opens the report.
void BM_PeakRssOpeningLargestReport(benchmark::State& state, ReportLoading loading,
                                    std::size_t bytes) {
    const fs::path dir = makeTemporaryFolder("report-large");
    const fs::path file = writeWorkbookOfSize(dir, bytes);
    long peakKb = 0;
    for (auto _ : state) {
        const pid_t child = ::fork();
        if (child == 0) {
            report::SpreadsheetReport report(report::fromUtf8(file.string()), u"Ученик", loading);
            ::_exit(report.openOutcome().kind == report::ReportOpenOutcome::Kind::ExistingFile ? 0
                                                                                             : 1);
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the report was not accepted");
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    state.counters["file_MiB"] = static_cast<double>(fs::file_size(file)) / (1 << 20);
    state.counters["peak_rss_MiB"] = static_cast<double>(peakKb) / 1024.0;
    std::error_code ec;
    fs::remove_all(dir, ec);
}
// The largest file read at all, kept in place; and, as a whole document, the largest that fits the
// parse budget with room to spare.
BENCHMARK_CAPTURE(BM_PeakRssOpeningLargestReport, InPlace64MiB, ReportLoading::InPlaceWhenPossible,
                  static_cast<std::size_t>(report::kMaximumReportFileSize) - 4096)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PeakRssOpeningLargestReport, WholeDocument16MiB, ReportLoading::WholeDocument,
                  std::size_t{16} << 20)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
