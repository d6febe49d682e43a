// The fuzz target's seed corpus and every input it ever crashed on, run through the same checks:
// the round trip (open as an existing report, add a row, save, open again), two savers of one
// file, and in-place saving against the whole document.

#include "report_differential.h"
#include "report_round_trip.h"
#include "report_test_support.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ReportFuzzRegressionTest, SeedCorpusAndFindingsRoundTripSafely) {
    const fs::path source = TAVRELO_SOURCE_DIR;
    std::vector<fs::path> inputs = inputsIn(source / "fuzz/corpus/report");
    const auto findings = inputsIn(source / "tests/report/fuzz_findings");
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    ASSERT_GE(inputs.size(), 5u) << "the seed corpus is missing";
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.string());
        const std::string bytes = report_test::readFile(input);
        EXPECT_EQ(report_test::openAddRowAndSave(bytes), "");
        EXPECT_EQ(report_test::openTwiceAndSaveBoth(bytes), "");
        EXPECT_EQ(report_test::compareInPlaceWithWholeDocument(bytes, u"Ученик").problem, "");
    }
}

} // namespace
