// Arbitrary bytes as an existing report file: opening, adding a row and saving must neither
// crash nor leak, and the original bytes must never be lost. Where the file is kept in place,
// every byte it would save must be what the whole document saves.

#include "../tests/report/report_differential.h"
#include "../tests/report/report_round_trip.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string problem = report_test::openAddRowAndSave(bytes);
    if (problem.empty())
        problem = report_test::compareInPlaceWithWholeDocument(bytes, u"Ученик", false).problem;
    if (!problem.empty()) {
        std::fprintf(stderr, "report round trip: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
