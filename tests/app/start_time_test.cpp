// The start-time row's value: day-month name-year hours:minutes in local time, always with the
// "C" locale's English month names, whatever locale the process runs in.

#include <gtest/gtest.h>

#include "TimeAndLocaleScopes.h"
#include "app/LocalTime.h"

namespace {

struct StartTimeCase {
    std::time_t when;
    const char* zone;
    const wchar_t* expected;
};

const StartTimeCase kStartTimes[] = {
    {1'796'738'700, "UTC0", L"08-December-2026 14:05"},
    // Local time decides the day, month and year: 21:00:59 UTC on 31 December is New Year in Moscow.
    {1'798'750'859, "MSK-3", L"01-January-2027 00:00"},
    {1'798'750'859, "UTC0", L"31-December-2026 21:00"},
    {1'809'335'220, "UTC0", L"03-May-2027 09:07"},
};

class StartTimeInLocale : public ::testing::TestWithParam<const char*> {};

TEST_P(StartTimeInLocale, UsesTheCLocaleForm) {
    ScopedGlobalLocale locale(GetParam());
    ASSERT_TRUE(locale.active()) << GetParam() << " cannot be set on this machine";
    for (const StartTimeCase& c : kStartTimes) {
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(formatStartTime(c.when), c.expected) << c.when << " in " << c.zone;
    }
}

INSTANTIATE_TEST_SUITE_P(ProcessLocales, StartTimeInLocale,
                         ::testing::Values("C", "C.UTF-8", "ru_RU.UTF-8"),
                         [](const auto& tested) {
                             std::string name = tested.param;
                             for (char& ch : name)
                                 if (ch == '.' || ch == '-') ch = '_';
                             return name;
                         });

} // namespace
