// The settings page's checks as one table: what the teacher types, which fields go back to their
// defaults, what ends up in force, and whether the page may close.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "exercise/Options.h"
#include "screens/SettingsValidation.h"

namespace {

using screens::SettingsValues;

// Row by row as the page shows them: stage 1 moves, radius, start, end; stage 2; stage 3 moves,
// radius; stages 4 and 5; the factor.
const SettingsValues defaults{4, 100, 100, 400, 4, 100, 100, 200, 4, 100,
                              4, 100, 100, 250, 4, 100, 100, 250, 5};
// What was in force before the submit: every value differs from its default, so that a value
// "left as it was" and a value "set back to the default" can be told apart.
const SettingsValues before{7, 50, 120, 300, 7, 50, 120, 300, 7, 50,
                            7, 50, 120, 300, 7, 50, 120, 300, 3};

struct Case {
    const char* name;
    std::map<int, std::wstring> typed; // field -> text; the others show their defaults
    bool allValid;
    std::map<int, std::int32_t> inForce; // field -> value in force afterwards
    std::vector<int> reset;              // fields whose text goes back to the default
};

const Case cases[] = {
    {"untouched", {}, true, {{0, 4}, {1, 100}, {3, 400}, {9, 100}, {18, 5}}, {}},
    {"trailing blank", {{0, L"4 "}}, false, {{0, 7}, {1, 100}}, {0}},
    {"leading blank", {{4, L" 6"}}, false, {{4, 7}}, {4}},
    {"empty", {{8, L""}}, false, {{8, 7}}, {8}},
    {"letters in stage 2 radius", {{5, L"abc"}, {0, L"9"}}, false, {{5, 50}, {0, 9}, {1, 100}}, {5}},
    {"digits then letters", {{1, L"50px"}}, false, {{1, 50}}, {1}},
    {"moves 0", {{10, L"0"}}, false, {{10, 4}}, {10}},
    {"moves 21", {{14, L"21"}}, false, {{14, 4}}, {14}},
    {"moves 1 and 20 with a sign", {{0, L"1"}, {4, L"+20"}}, true, {{0, 1}, {4, 20}}, {}},
    {"negative moves", {{0, L"-3"}}, false, {{0, 4}}, {0}},
    {"beyond 32 bits", {{0, L"4294967297"}}, false, {{0, 7}}, {0}},
    {"radius 19 and 101", {{1, L"19"}, {5, L"101"}}, false, {{1, 100}, {5, 100}}, {1, 5}},
    {"radius 20 and 100", {{1, L"20"}, {5, L"100"}}, true, {{1, 20}, {5, 100}}, {}},
    // Each passes its own one-sided check; the pair check resets both texts and changes no value.
    {"stage 1 700 / 650", {{2, L"700"}, {3, L"650"}}, false, {{2, 700}, {3, 650}}, {2, 3}},
    {"stage 1 650 / 650", {{2, L"650"}, {3, L"650"}}, true, {{2, 650}, {3, 650}}, {}},
    {"stage 1 end 651", {{3, L"651"}}, false, {{3, 400}}, {3}},
    {"start below 100", {{2, L"99"}}, false, {{2, 100}}, {2}},
    // The end goes back to 200 in force; the pair check then meets the start typed beside it.
    {"stage 2 end 450", {{7, L"450"}}, false, {{7, 200}, {6, 100}}, {7}},
    {"stage 2 end 450, start 300", {{6, L"300"}, {7, L"450"}}, false, {{6, 300}, {7, 200}}, {6, 7}},
    {"end below 100 caught by the pair", {{13, L"50"}}, false, {{13, 50}, {12, 100}}, {12, 13}},
    {"stage 5 400 / 400", {{16, L"400"}, {17, L"400"}}, true, {{16, 400}, {17, 400}}, {}},
    // A start that failed to convert keeps its old value, which the pair check then compares.
    {"unreadable start, end below old start", {{12, L"x"}, {13, L"110"}}, false, {{12, 120}, {13, 110}}, {12, 13}},
    {"factor 1", {{18, L"1"}}, false, {{18, 5}}, {18}},
    {"factor 6", {{18, L"6"}}, false, {{18, 5}}, {18}},
    {"factor 2", {{18, L"2"}}, true, {{18, 2}}, {}},
    {"factor 5", {{18, L"5"}}, true, {{18, 5}}, {}},
};

TEST(SettingsValidation, Table) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screens::SettingsTexts texts;
        for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = std::to_wstring(defaults[i]);
        for (const auto& [field, text] : c.typed) texts.at(static_cast<std::size_t>(field)) = text;
        SettingsValues current = before;
        const screens::SettingsSubmit outcome = screens::validateSettings(texts, defaults, current);
        EXPECT_EQ(outcome.allValid, c.allValid);
        for (const auto& [field, value] : c.inForce)
            EXPECT_EQ(current.at(static_cast<std::size_t>(field)), value) << "field " << field;
        for (int field = 0; field < screens::settingsFieldCount; ++field) {
            const bool expectReset = std::find(c.reset.begin(), c.reset.end(), field) != c.reset.end();
            EXPECT_EQ(outcome.reset.at(static_cast<std::size_t>(field)), expectReset) << "field " << field;
        }
    }
}

TEST(SettingsValidation, UntouchedSubmitPutsEveryDefaultBackInForce) {
    screens::SettingsTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = std::to_wstring(defaults[i]);
    SettingsValues current = before;
    EXPECT_TRUE(screens::validateSettings(texts, defaults, current).allValid);
    EXPECT_EQ(current, defaults);
}

TEST(SettingsValidation, TheOptionsShowTheirStagesInThePagesOrder) {
    Options options;
    EXPECT_EQ(options.defaultValues(), defaults);
    SettingsValues typed = before;
    options.putInForce(typed);
    EXPECT_EQ(options.valuesInForce(), typed);
    EXPECT_EQ(options.currentSettings.stage(2).endDistance, 300);
    EXPECT_EQ(options.currentSettings.stage(4).moves, 7);
    EXPECT_EQ(options.currentSettings.slowdownFactor, 3);
    EXPECT_EQ(options.currentSettings.stage(3).startDistance, 0) << "stage 3 has no distances on the page";
    EXPECT_EQ(options.defaultSettings, Options::factorySettings());
}

} // namespace
