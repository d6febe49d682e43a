#include "app/LocalTime.h"

#include <iomanip>
#include <locale>
#include <sstream>

namespace {
std::function<std::time_t()>& timeSource() {
    static std::function<std::time_t()> source;
    return source;
}
} // namespace

std::time_t currentTime() {
    auto& source = timeSource();
    return source ? source() : std::time(nullptr);
}

void setTimeSource(std::function<std::time_t()> source) { timeSource() = std::move(source); }

std::wstring formatStartTime(std::time_t when) {
    // Teachers' spreadsheets read this row in the form the runtime's default "C" locale gives
    // (English month names), so the process locale must not change it.
    std::tm local{};
    localtime_r(&when, &local);
    std::wostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&local, L"%d-%B-%Y %H:%M");
    return out.str();
}
