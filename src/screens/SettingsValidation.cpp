#include "screens/SettingsValidation.h"

#include <boost/lexical_cast.hpp>

namespace screens {

namespace {

constexpr std::int32_t noLimit = -1;

struct FieldCheck {
    int slot;
    std::int32_t low;  // noLimit: not checked from below
    std::int32_t high; // noLimit: not checked from above
    int pairedStart;   // for an end distance, the slot of its start; otherwise noLimit
};

// In the order the fields are checked. A start distance is only checked from below and an end
// distance only from above: the pair check is what catches the other side.
constexpr FieldCheck checks[] = {
    {field::moves[0], 1, 20, noLimit},
    {field::moves[1], 1, 20, noLimit},
    {field::moves[2], 1, 20, noLimit},
    {field::moves[3], 1, 20, noLimit},
    {field::moves[4], 1, 20, noLimit},
    {field::radius[0], 20, 100, noLimit},
    {field::radius[1], 20, 100, noLimit},
    {field::radius[2], 20, 100, noLimit},
    {field::radius[3], 20, 100, noLimit},
    {field::radius[4], 20, 100, noLimit},
    {field::startDistance[0], 100, noLimit, noLimit},
    {field::endDistance[0], noLimit, 650, field::startDistance[0]},
    {field::startDistance[1], 100, noLimit, noLimit},
    {field::endDistance[1], noLimit, 400, field::startDistance[1]},
    {field::startDistance[3], 100, noLimit, noLimit},
    {field::endDistance[3], noLimit, 400, field::startDistance[3]},
    {field::startDistance[4], 100, noLimit, noLimit},
    {field::endDistance[4], noLimit, 400, field::startDistance[4]},
    {field::slowdownFactor, 2, 5, noLimit},
};
static_assert(std::size(checks) == settingsFieldCount);

bool inRange(std::int32_t value, const FieldCheck& check) {
    return (check.low == noLimit || value >= check.low) && (check.high == noLimit || value <= check.high);
}

} // namespace

std::optional<std::int32_t> parseSettingsNumber(const std::wstring& text) {
    std::int32_t value = 0;
    if (!boost::conversion::try_lexical_convert(text, value)) return std::nullopt;
    return value;
}

SettingsSubmit validateSettings(const SettingsTexts& texts, const SettingsValues& defaults,
                                SettingsValues& current) {
    SettingsSubmit result;
    const auto fail = [&](int slot) {
        result.reset[static_cast<std::size_t>(slot)] = true;
        result.allValid = false;
    };
    for (const FieldCheck& check : checks) {
        const auto slot = static_cast<std::size_t>(check.slot);
        if (const auto value = parseSettingsNumber(texts[slot])) {
            current[slot] = *value;
            if (!inRange(*value, check)) {
                current[slot] = defaults[slot];
                fail(check.slot);
            }
        } else {
            fail(check.slot);
        }
        if (check.pairedStart != noLimit &&
            current[static_cast<std::size_t>(check.pairedStart)] > current[slot]) {
            fail(check.pairedStart);
            fail(check.slot);
        }
    }
    return result;
}

} // namespace screens
