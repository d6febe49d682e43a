// Arbitrary bytes as an existing report file: opening, adding a row and saving must neither
// crash nor leak, and the original bytes must never be lost. Where the file is kept in place,
// every byte it would save must be what the whole document saves.

#include "../tests/report/report_differential.h"
#include "../tests/report/report_round_trip.h"
#include "report/xml/WorkbookParser.h"
#include "report/xml/WorkbookSerializer.h"
#include "report/xml/XercesSession.h"

#include <cstdint>
#include <cstdio>
#include <xercesc/dom/DOMDocument.hpp>

namespace {

// Only a file that begins with the serializer's declaration can be kept in place; with it put in
// front, most inputs reach the check of everything after it.
constexpr std::string_view kSerializerDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string problem = report_test::openAddRowAndSave(bytes);
    if (problem.empty())
        problem = report_test::openTwiceAndSaveBoth(bytes);
    if (problem.empty())
        problem = report_test::compareInPlaceWithWholeDocument(bytes, u"Ученик", false).problem;
    if (problem.empty() && !bytes.starts_with("<?xml")) {
        const std::string declared = std::string(kSerializerDeclaration) + std::string(bytes);
        problem = report_test::compareInPlaceWithWholeDocument(declared, u"Ученик", false).problem;
        if (!problem.empty())
            problem = "with the declaration put in front: " + problem;
    }
    if (problem.empty()) {
        // What the whole document writes is in the serializer's form by construction, so every
        // input the parser takes becomes a file that is kept in place unless it holds something
        // the in-place check leaves to the whole way.
        const report::XercesSession xml;
        const report::ParsedWorkbook parsed = report::parseWorkbook(bytes, u"fuzz");
        const auto written = parsed.document ? report::serializeNode(*parsed.document)
                                             : std::optional<std::string>();
        if (written) {
            problem =
                report_test::compareInPlaceWithWholeDocument(*written, u"Ученик", false).problem;
            if (!problem.empty())
                problem = "as the whole document writes it: " + problem;
        }
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "report round trip: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
