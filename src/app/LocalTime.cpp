#include "app/LocalTime.h"

#include <array>
#include <cstdio>

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
    // The month name is Russian whatever the process locale is, as the teacher reads it.
    static const std::array<const wchar_t*, 12> months = {
        L"Январь", L"Февраль", L"Март",     L"Апрель",  L"Май",    L"Июнь",
        L"Июль",   L"Август",  L"Сентябрь", L"Октябрь", L"Ноябрь", L"Декабрь"};
    std::tm local{};
    localtime_r(&when, &local);
    wchar_t buffer[128];
    std::swprintf(buffer, 128, L"%02d-%ls-%04d %02d:%02d", local.tm_mday, months[local.tm_mon],
                  local.tm_year + 1900, local.tm_hour, local.tm_min);
    return buffer;
}
