#include "exercise/Options.h"

#include "exercise/TaskGenerator.h"

namespace {

// Every stage runs its tasks for indices 0..3, whatever move count the settings page accepted.
constexpr std::int32_t generatedMoves = 3;

} // namespace

SettingsBlock Options::factorySettings() {
    SettingsBlock block;
    block.stage(1) = {4, 100, 100, 400}; // horizontal
    block.stage(2) = {4, 100, 100, 200}; // vertical
    block.stage(3) = {4, 100, 0, 0};     // chained: the step follows from the field height
    block.stage(4) = {4, 100, 100, 250}; // angled through the centre
    block.stage(5) = {4, 100, 100, 250}; // full width; its distances are not used
    block.slowdownFactor = 5;
    return block;
}

Options::Options() : defaultSettings(factorySettings()) {
    applyDefaults();
}

void Options::applyDefaults() {
    currentSettings = defaultSettings;
}

screens::SettingsValues Options::pageValues(const SettingsBlock& block) {
    namespace field = screens::field;
    screens::SettingsValues values{};
    for (int stage = 1; stage <= SettingsBlock::stageCount; ++stage) {
        const auto k = static_cast<std::size_t>(stage - 1);
        const StageSettings& settings = block.stage(stage);
        values[static_cast<std::size_t>(field::moves[k])] = settings.moves;
        values[static_cast<std::size_t>(field::radius[k])] = settings.initialRadius;
        if (field::startDistance[k] < 0) continue; // stage 3 shows no distances
        values[static_cast<std::size_t>(field::startDistance[k])] = settings.startDistance;
        values[static_cast<std::size_t>(field::endDistance[k])] = settings.endDistance;
    }
    values[field::slowdownFactor] = block.slowdownFactor;
    return values;
}

void Options::putInForce(const screens::SettingsValues& values) {
    namespace field = screens::field;
    for (int stage = 1; stage <= SettingsBlock::stageCount; ++stage) {
        const auto k = static_cast<std::size_t>(stage - 1);
        StageSettings& settings = currentSettings.stage(stage);
        settings.moves = values[static_cast<std::size_t>(field::moves[k])];
        settings.initialRadius = values[static_cast<std::size_t>(field::radius[k])];
        if (field::startDistance[k] < 0) continue;
        settings.startDistance = values[static_cast<std::size_t>(field::startDistance[k])];
        settings.endDistance = values[static_cast<std::size_t>(field::endDistance[k])];
    }
    currentSettings.slowdownFactor = values[field::slowdownFactor];
}

std::vector<MoveTaskSpec> Options::generateTasks() {
    for (StageSettings& stage : currentSettings.stages)
        stage.moves = generatedMoves;
    tasks.clear();
    TaskGenerator generator(finalRadius, fieldRect);
    for (int kind = 1; kind <= SettingsBlock::stageCount; ++kind)
        generator.appendStage(kind, currentSettings.stage(kind), tasks);
    return tasks;
}
