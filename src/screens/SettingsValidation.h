#pragma once
// What the settings page accepts: the nineteen texts of its fields checked against the ranges of
// each stage, one field after another, with a start distance never above its end distance. Kept
// apart from the page so that the rules can be run without a window.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace screens {

constexpr int settingsFieldCount = 19;

// The settings as the page lays them out, row by row, left field first: stage 1 moves, radius,
// start and end distance; stage 2 the same; stage 3 moves and radius; stages 4 and 5 like stage 1;
// the slow-down factor last.
using SettingsValues = std::array<std::int32_t, settingsFieldCount>;
using SettingsTexts = std::array<std::wstring, settingsFieldCount>;

// Where each value sits in SettingsValues.
namespace field {
constexpr int moves[] = {0, 4, 8, 10, 14};
constexpr int radius[] = {1, 5, 9, 11, 15};
// Stage 3 has no distances: its slots hold -1.
constexpr int startDistance[] = {2, 6, -1, 12, 16};
constexpr int endDistance[] = {3, 7, -1, 13, 17};
constexpr int slowdownFactor = 18;
} // namespace field

// The whole text as a decimal integer with an optional sign, or nothing (blanks, letters, an
// empty text, a number out of the 32-bit range).
std::optional<std::int32_t> parseSettingsNumber(const std::wstring& text);

struct SettingsSubmit {
    bool allValid = true;
    // Fields whose text goes back to its default.
    std::array<bool, settingsFieldCount> reset{};
};

// Checks the texts in the page's order (moves, radii, then each stage's distances, the factor)
// and stores every value that converts into `current`; a value out of its range goes back to its
// default there. After each end distance the stage's pair is compared as it now stands in
// `current`; a start above the end resets both texts but leaves both values.
SettingsSubmit validateSettings(const SettingsTexts& texts, const SettingsValues& defaults,
                                SettingsValues& current);

// Where the settings page reads the factory defaults and puts what passed.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual SettingsValues defaultValues() const = 0;
    virtual SettingsValues valuesInForce() const = 0;
    virtual void putInForce(const SettingsValues& values) = 0;
};

} // namespace screens
