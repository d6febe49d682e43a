#pragma once
// The same report file opened both ways, kept as its bytes with rows spliced in and parsed into a
// whole DOM, given the same rows: everything the two report must agree, down to the byte.
// Shared by the fuzz target and the tests of the in-place form.

#include "report/AtomicFile.h"
#include "report/ReportText.h"
#include "report/SpreadsheetReport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace report_test {

struct Differential {
    bool inPlace = false; // the in-place form was taken on opening
    std::string problem;  // empty when both agree
};

// Rows that exercise the text rule: Cyrillic, a double quote, characters outside Windows-1251,
// markup characters, an empty row.
inline void addTestRows(report::SpreadsheetReport& report) {
    report.addRow(u"Время начала работы", u"10:15:00", u"String");
    report.addEmptyRow();
    report.addRow(u"Say \"hi\" — Ščerba <&> 日本", u"2", u"Number");
}

// `saveFiles` writes both files through save() (the atomic write); without it the serialized
// bytes are compared, which is all save() writes and spares a fuzzer the disk.
inline Differential compareInPlaceWithWholeDocument(std::string_view bytes,
                                                    const std::u16string& sheetName,
                                                    bool saveFiles = true) {
    namespace fs = std::filesystem;
    using report::ReportLoading;
    using report::SpreadsheetReport;
    Differential result;
    std::string pattern = (fs::temp_directory_path() / "report-diff-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        result.problem = "mkdtemp failed";
        return result;
    }
    const fs::path dir = pattern;
    const fs::path inPlaceFile = dir / "in-place.xls";
    const fs::path wholeFile = dir / "whole.xls";
    for (const fs::path& file : {inPlaceFile, wholeFile}) {
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    auto read = [](const fs::path& p) { return report::readWholeFile(p, nullptr).value_or(""); };
    auto fail = [&](std::string what) {
        if (result.problem.empty())
            result.problem = std::move(what);
    };
    // One round of adding and saving on both; `when` names the round in a problem.
    auto compareSaved = [&](SpreadsheetReport& inPlace, SpreadsheetReport& whole,
                            const std::string& when) {
        const auto a = inPlace.serialize();
        const auto b = whole.serialize();
        if (a.has_value() != b.has_value())
            return fail(when + ": only one of them serializes");
        if (a && *a != *b)
            return fail(when + ": the serialized bytes differ");
        if (!saveFiles)
            return;
        const auto savedA = inPlace.save();
        const auto savedB = whole.save();
        if (savedA.ok != savedB.ok)
            return fail(when + ": only one of them saves");
        if (read(inPlaceFile) != read(wholeFile))
            return fail(when + ": the saved files differ");
    };
    {
        SpreadsheetReport inPlace(report::fromUtf8(inPlaceFile.string()), sheetName,
                                  ReportLoading::InPlaceWhenPossible);
        SpreadsheetReport whole(report::fromUtf8(wholeFile.string()), sheetName,
                                ReportLoading::WholeDocument);
        result.inPlace = inPlace.appendsInPlace();
        if (whole.appendsInPlace())
            fail("the whole-document report is in place");
        if (inPlace.openOutcome().kind != whole.openOutcome().kind)
            fail("the open outcomes differ");

        compareSaved(inPlace, whole, "before adding rows");
        addTestRows(inPlace);
        addTestRows(whole);
        compareSaved(inPlace, whole, "after adding rows");
        // Reading the rows parses the in-place report's bytes with its rows added, and keeps it
        // in place: what it saves after stays what the whole document saves.
        const bool wasInPlace = inPlace.appendsInPlace();
        if (inPlace.tableRows() != whole.tableRows())
            fail("the table rows differ");
        if (inPlace.appendsInPlace() != wasInPlace)
            fail("reading the rows changed how the report is kept");
        inPlace.addRow(u"после чтения", u"3", u"Number");
        whole.addRow(u"после чтения", u"3", u"Number");
        compareSaved(inPlace, whole, "after reading the rows");
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return result;
}

} // namespace report_test
