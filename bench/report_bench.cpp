// A report workbook of 10,000 rows: opening it, adding a run's three rows and saving it again,
// against xmllint merely parsing the same file, measured in the same run. The workbook is one the
// program wrote, so it is kept in place; the whole-document way is measured beside it.

#include "report/ReportText.h"
#include "report/SpreadsheetReport.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 10000;

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
        std::string pattern = (fs::temp_directory_path() / "report-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
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

} // namespace
