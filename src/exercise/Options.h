#pragma once
// The exercise settings: the numbers of each stage in two copies (factory defaults and the values
// in force), the play-field geometry and the task list generated from them.

#include "exercise/MoveTaskSpec.h"
#include "events/WinTypes.h"
#include "screens/SettingsValidation.h"

#include <array>
#include <cstdint>
#include <vector>

// The numbers of one stage. Stage 3 has no distances of its own; its two distance slots are kept
// only so that every stage has the same shape.
struct StageSettings {
    std::int32_t moves = 0;
    std::int32_t initialRadius = 0;
    std::int32_t startDistance = 0;
    std::int32_t endDistance = 0;

    friend bool operator==(const StageSettings&, const StageSettings&) = default;
};

struct SettingsBlock {
    static constexpr int stageCount = 5;

    // stages[k - 1] holds stage k; stage k feeds the tasks of kind k.
    std::array<StageSettings, stageCount> stages{};
    // How many pixels of hand movement make one pixel of drawn-cursor movement in the last stage.
    std::int32_t slowdownFactor = 0;

    StageSettings& stage(int number) { return stages.at(static_cast<std::size_t>(number - 1)); }
    const StageSettings& stage(int number) const {
        return stages.at(static_cast<std::size_t>(number - 1));
    }

    friend bool operator==(const SettingsBlock&, const SettingsBlock&) = default;
};

class Options : public screens::SettingsStore {
public:
    // The target circle of every stage shrinks to this size by the stage's last task.
    static constexpr std::int32_t factoryFinalRadius = 20;
    static constexpr RECT factoryFieldRect{10, 10, 790, 590};

    static SettingsBlock factorySettings();

    Options();

    // Puts every factory default back in force.
    void applyDefaults();

    // The settings page's view of the two copies: the nineteen numbers it shows, in its order.
    screens::SettingsValues defaultValues() const override { return pageValues(defaultSettings); }
    screens::SettingsValues valuesInForce() const override { return pageValues(currentSettings); }
    void putInForce(const screens::SettingsValues& values) override;
    static screens::SettingsValues pageValues(const SettingsBlock& block);

    // Rebuilds `tasks` from `currentSettings` (twenty tasks, four per stage) and returns a copy.
    // The move counts of stages 1-5 in `currentSettings` are set to 3 first: every stage runs four
    // tasks whatever the settings page stored. The random heights of the last stage come from a
    // generator seeded from the platform clock's millisecond count.
    std::vector<MoveTaskSpec> generateTasks();

    std::int32_t finalRadius = factoryFinalRadius;
    RECT fieldRect = factoryFieldRect;
    std::vector<MoveTaskSpec> tasks;
    SettingsBlock currentSettings;
    const SettingsBlock defaultSettings;
};
