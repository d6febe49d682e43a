#include "exercise/Options.h"

#include <gtest/gtest.h>

TEST(Options, StartsWithTheFactoryDefaults) {
    const Options options;
    const StageSettings expected[] = {{4, 100, 100, 400},
                                      {4, 100, 100, 200},
                                      {4, 100, 0, 0},
                                      {4, 100, 100, 250},
                                      {4, 100, 100, 250}};
    for (int stage = 1; stage <= 5; ++stage) {
        const StageSettings& got = options.defaultSettings.stage(stage);
        EXPECT_EQ(got.moves, expected[stage - 1].moves) << "stage " << stage;
        EXPECT_EQ(got.initialRadius, expected[stage - 1].initialRadius) << "stage " << stage;
        if (stage != 3) { // stage 3 has no distances
            EXPECT_EQ(got.startDistance, expected[stage - 1].startDistance) << "stage " << stage;
            EXPECT_EQ(got.endDistance, expected[stage - 1].endDistance) << "stage " << stage;
        }
    }
    EXPECT_EQ(options.defaultSettings.slowdownFactor, 5);
    EXPECT_EQ(options.currentSettings, options.defaultSettings);
    EXPECT_EQ(options.finalRadius, 20);
    EXPECT_EQ(options.fieldRect, (RECT{10, 10, 790, 590}));
    EXPECT_TRUE(options.tasks.empty());
}

TEST(Options, ApplyDefaultsRestoresEveryValue) {
    Options options;
    for (StageSettings& stage : options.currentSettings.stages)
        stage = {17, 33, 222, 333};
    options.currentSettings.slowdownFactor = 2;
    options.applyDefaults();
    EXPECT_EQ(options.currentSettings, Options::factorySettings());
}

// Generation rewrites the move counts in force, never the factory defaults the page shows.
TEST(Options, GenerationTouchesOnlyTheMoveCountsInForce) {
    Options options;
    options.currentSettings.stage(2).moves = 12;
    options.currentSettings.stage(4).initialRadius = 55;
    options.currentSettings.slowdownFactor = 3;
    options.generateTasks();
    for (int stage = 1; stage <= 5; ++stage)
        EXPECT_EQ(options.currentSettings.stage(stage).moves, 3) << "stage " << stage;
    EXPECT_EQ(options.currentSettings.stage(4).initialRadius, 55);
    EXPECT_EQ(options.currentSettings.slowdownFactor, 3);
    EXPECT_EQ(options.defaultSettings, Options::factorySettings());
}

TEST(Options, StagesAreNumberedFromOne) {
    SettingsBlock block;
    block.stage(1).moves = 11;
    block.stage(5).moves = 55;
    EXPECT_EQ(block.stages.front().moves, 11);
    EXPECT_EQ(block.stages.back().moves, 55);
    EXPECT_THROW(block.stage(0), std::out_of_range);
    EXPECT_THROW(block.stage(6), std::out_of_range);
}
