// Arbitrary bytes as an existing report file: opening, adding a row and saving must neither
// crash nor leak, and the original bytes must never be lost.

#include "../tests/report/report_round_trip.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem =
        report_test::openAddRowAndSave(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!problem.empty()) {
        std::fprintf(stderr, "report round trip: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
