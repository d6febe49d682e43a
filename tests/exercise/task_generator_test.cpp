#include "exercise/Options.h"
#include "exercise/TaskGenerator.h"
#include "support/ManualClock.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <set>
#include <vector>

namespace {

// The twenty tasks generated with the platform clock reading `millis`.
std::vector<MoveTaskSpec> generateAt(Options& options, std::uint32_t millis) {
    platform::ManualClock clock(millis);
    platform::ScopedClock scope(clock);
    return options.generateTasks();
}

// Counts its readings and moves on by a millisecond with each.
class TickingClock final : public platform::Clock {
public:
    std::uint64_t performanceCounter() const override { return 0; }
    std::uint64_t performanceFrequency() const override { return 1000; }
    std::uint32_t milliseconds() const override {
        ++readings;
        return ticks++;
    }
    mutable int readings = 0;
    mutable std::uint32_t ticks = 1000;
};

std::vector<MoveTaskSpec> tasksOfKind(const std::vector<MoveTaskSpec>& list, int kind) {
    std::vector<MoveTaskSpec> found;
    std::copy_if(list.begin(), list.end(), std::back_inserter(found),
                 [kind](const MoveTaskSpec& t) { return t.kind == kind; });
    return found;
}

double length(const MoveTaskSpec& t) {
    return std::hypot(t.x2 - t.x1, t.y2 - t.y1);
}

std::string describe(const MoveTaskSpec& t) {
    return "kind " + std::to_string(t.kind) + " (" + std::to_string(t.x1) + ", " +
           std::to_string(t.y1) + ") -> (" + std::to_string(t.x2) + ", " + std::to_string(t.y2) +
           ") r " + std::to_string(t.radius);
}

} // namespace

// The first sixteen tasks of the factory settings, exactly; the last four are random.
TEST(TaskGenerator, FactorySettingsGiveTheKnownDeterministicTasks) {
    const std::vector<MoveTaskSpec> expected = {
        {1, 350, 300, 450, 300, 100}, {1, 500, 300, 300, 300, 73},  {1, 250, 300, 550, 300, 46},
        {1, 600, 300, 200, 300, 20},  {2, 400, 250, 400, 350, 100}, {2, 400, 366, 400, 233, 73},
        {2, 400, 216, 400, 383, 46},  {2, 400, 400, 400, 200, 20},  {3, 400, 300, 400, 540, 100},
        {3, 400, 540, 146, 540, 73},  {3, 146, 540, 146, 273, 46},  {3, 146, 273, 426, 273, 20},
        {4, 356, 275, 443, 325, 100}, {4, 335, 262, 464, 337, 73},  {4, 350, 213, 450, 386, 46},
        {4, 462, 191, 337, 408, 20},
    };
    Options options;
    const std::vector<MoveTaskSpec> tasks = generateAt(options, 12345);
    ASSERT_EQ(tasks.size(), 20u);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(tasks[i], expected[i])
            << "task " << i << ": got " << describe(tasks[i]) << ", want " << describe(expected[i]);

    // The random stage: fixed columns and shrinking radius, heights inside the margins.
    const int lefts[] = {110, 716, 56, 770};
    const int rights[] = {690, 83, 743, 30};
    const int radii[] = {100, 73, 46, 20};
    for (int i = 0; i < 4; ++i) {
        const MoveTaskSpec& t = tasks[16 + static_cast<std::size_t>(i)];
        EXPECT_EQ(t.kind, 5);
        EXPECT_EQ(t.x1, lefts[i]) << "task " << 16 + i;
        EXPECT_EQ(t.x2, rights[i]) << "task " << 16 + i;
        EXPECT_EQ(t.radius, radii[i]) << "task " << 16 + i;
    }
}

TEST(TaskGenerator, ReturnedListIsTheStoredListAndReplacesThePreviousOne) {
    Options options;
    generateAt(options, 1);
    const std::vector<MoveTaskSpec> second = generateAt(options, 2);
    EXPECT_EQ(second.size(), 20u);
    EXPECT_EQ(second, options.tasks);
}

// The count the settings page stored has no effect: every stage still yields four tasks.
TEST(TaskGenerator, MoveCountsAreIgnored) {
    Options reference;
    const std::vector<MoveTaskSpec> expected = generateAt(reference, 777);
    for (std::int32_t moves : {0, 1, -1, 20, INT_MIN, INT_MAX}) {
        Options options;
        for (StageSettings& stage : options.currentSettings.stages)
            stage.moves = moves;
        EXPECT_EQ(generateAt(options, 777), expected) << "moves " << moves;
        for (const StageSettings& stage : options.currentSettings.stages)
            EXPECT_EQ(stage.moves, 3);
    }
}

// Kind n must read the block of stage n: give each stage its own numbers and look for them.
TEST(TaskGenerator, EachKindReadsItsOwnStage) {
    Options options;
    options.currentSettings.stage(1) = {4, 90, 150, 600};
    options.currentSettings.stage(2) = {4, 80, 120, 380};
    options.currentSettings.stage(3) = {4, 70, 999, 999};
    options.currentSettings.stage(4) = {4, 60, 110, 390};
    options.currentSettings.stage(5) = {4, 50, 300, 300};
    const std::vector<MoveTaskSpec> tasks = generateAt(options, 5);
    ASSERT_EQ(tasks.size(), 20u);

    const int initialRadius[] = {90, 80, 70, 60, 50};
    for (int kind = 1; kind <= 5; ++kind) {
        const std::vector<MoveTaskSpec> stage = tasksOfKind(tasks, kind);
        ASSERT_EQ(stage.size(), 4u) << "kind " << kind;
        EXPECT_EQ(stage.front().radius, initialRadius[kind - 1]) << "kind " << kind;
        EXPECT_EQ(stage.back().radius, 20) << "kind " << kind;
    }
    const auto k1 = tasksOfKind(tasks, 1);
    EXPECT_EQ(std::abs(k1.front().x2 - k1.front().x1), 150);
    EXPECT_EQ(std::abs(k1.back().x2 - k1.back().x1), 600);
    const auto k2 = tasksOfKind(tasks, 2);
    EXPECT_EQ(std::abs(k2.front().y2 - k2.front().y1), 120);
    EXPECT_EQ(std::abs(k2.back().y2 - k2.back().y1), 380);
    const auto k4 = tasksOfKind(tasks, 4);
    EXPECT_NEAR(length(k4.front()), 110, 2.0);
    EXPECT_NEAR(length(k4.back()), 390, 2.0);
    // Stage 3 ignores its distance slots: the first step is (580 - 70) / 2 = 255 downwards.
    EXPECT_EQ(tasksOfKind(tasks, 3).front(), (MoveTaskSpec{3, 400, 300, 400, 555, 70}));
}

TEST(TaskGenerator, RadiusShrinksByTruncationNotRounding) {
    Options options;
    options.currentSettings.stage(1).initialRadius = 100;
    options.currentSettings.stage(2).initialRadius = 21; // 21, 20.67, 20.33, 20
    options.currentSettings.stage(3).initialRadius = 59; // 59, 46, 33, 20
    const auto tasks = generateAt(options, 3);
    const auto radii = [&](int kind) {
        std::vector<int> found;
        for (const auto& t : tasksOfKind(tasks, kind))
            found.push_back(t.radius);
        return found;
    };
    EXPECT_EQ(radii(1), (std::vector<int>{100, 73, 46, 20}));
    EXPECT_EQ(radii(2), (std::vector<int>{21, 20, 20, 20}));
    EXPECT_EQ(radii(3), (std::vector<int>{59, 46, 33, 20}));
}

TEST(TaskGenerator, EqualStartAndEndDistanceKeepsTheDistance) {
    Options options;
    options.currentSettings.stage(1) = {4, 100, 250, 250};
    options.currentSettings.stage(2) = {4, 100, 333, 333};
    options.currentSettings.stage(4) = {4, 100, 400, 400};
    const auto tasks = generateAt(options, 3);
    for (const auto& t : tasksOfKind(tasks, 1)) {
        EXPECT_EQ(t.x2 - t.x1, t.x1 < t.x2 ? 250 : -250) << describe(t);
        EXPECT_EQ(std::min(t.x1, t.x2), 275) << describe(t);
    }
    // 333 / 2 = 166.5: both ends truncate, so the drawn distance is 333 or 332 but the same each
    // time.
    for (const auto& t : tasksOfKind(tasks, 2)) {
        EXPECT_EQ(std::min(t.y1, t.y2), 133) << describe(t);
        EXPECT_EQ(std::max(t.y1, t.y2), 466) << describe(t);
    }
    for (const auto& t : tasksOfKind(tasks, 4))
        EXPECT_NEAR(length(t), 400, 2.0) << describe(t);
}

// Alternating direction within a stage: even tasks left-to-right / top-to-bottom.
TEST(TaskGenerator, StraightStagesAlternateDirection) {
    Options options;
    const auto tasks = generateAt(options, 3);
    const auto k1 = tasksOfKind(tasks, 1);
    const auto k2 = tasksOfKind(tasks, 2);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(k1[i].x1 < k1[i].x2, i % 2 == 0) << describe(k1[i]);
        EXPECT_EQ(k2[i].y1 < k2[i].y2, i % 2 == 0) << describe(k2[i]);
    }
}

TEST(TaskGenerator, AngledPairsAvoidTheAxesAndPassThroughTheCentre) {
    Options options;
    options.currentSettings.stage(4) = {4, 100, 400, 400};
    const auto tasks = tasksOfKind(generateAt(options, 3), 4);
    ASSERT_EQ(tasks.size(), 4u);
    const double degrees[] = {30, 30, 60, 120};
    for (std::size_t i = 0; i < 4; ++i) {
        const MoveTaskSpec& t = tasks[i];
        const double angle = std::atan2(t.y2 - t.y1, t.x2 - t.x1) * 180.0 / std::numbers::pi;
        EXPECT_NEAR(angle, degrees[i], 0.5) << describe(t);
        EXPECT_NEAR((t.x1 + t.x2) / 2.0, 400, 1.0) << describe(t);
        EXPECT_NEAR((t.y1 + t.y2) / 2.0, 300, 1.0) << describe(t);
    }
}

// Whatever the radius, the chain leaves from the screen centre and then from the previous target.
TEST(TaskGenerator, ChainedStageStartsInTheCentreAndFollowsItsOwnTargets) {
    for (std::int32_t radius : {20, 57, 100}) {
        Options options;
        options.currentSettings.stage(3).initialRadius = radius;
        const auto tasks = generateAt(options, 3);
        const auto chain = tasksOfKind(tasks, 3);
        ASSERT_EQ(chain.size(), 4u);
        EXPECT_EQ(chain[0].x1, 400);
        EXPECT_EQ(chain[0].y1, 300);
        for (std::size_t i = 1; i < 4; ++i) {
            EXPECT_EQ(chain[i].x1, chain[i - 1].x2) << "radius " << radius << " task " << i;
            EXPECT_EQ(chain[i].y1, chain[i - 1].y2) << "radius " << radius << " task " << i;
        }
        // Down, left, up, right.
        EXPECT_GT(chain[0].y2, chain[0].y1);
        EXPECT_LT(chain[1].x2, chain[1].x1);
        EXPECT_LT(chain[2].y2, chain[2].y1);
        EXPECT_GT(chain[3].x2, chain[3].x1);
    }
}

// Heights are r + 10 + (q mod (580 - 2 (r + 10))): 110..469 for r = 100, 30..549 for r = 20.
// Over many seeds every height must stay inside and both ends must be reached.
TEST(TaskGenerator, FullWidthHeightsCoverExactlyTheAllowedRange) {
    struct Case {
        std::int32_t initialRadius;
        std::size_t taskIndex;
        int low;
        int high;
    };
    const Case cases[] = {{100, 0, 110, 469},
                          {100, 3, 30, 549},
                          {20, 0, 30, 549},
                          {20, 1, 30, 549},
                          {20, 2, 30, 549}};
    for (const Case& c : cases) {
        std::set<int> seen;
        for (std::uint32_t seed = 0; seed < 3000; ++seed) {
            Options options;
            options.currentSettings.stage(5).initialRadius = c.initialRadius;
            const auto stage = tasksOfKind(generateAt(options, seed * 7919u), 5);
            ASSERT_EQ(stage.size(), 4u);
            const MoveTaskSpec& t = stage[c.taskIndex];
            for (int y : {t.y1, t.y2}) {
                ASSERT_GE(y, c.low) << "R " << c.initialRadius << " seed " << seed;
                ASSERT_LE(y, c.high) << "R " << c.initialRadius << " seed " << seed;
                seen.insert(y);
            }
        }
        EXPECT_EQ(*seen.begin(), c.low) << "R " << c.initialRadius << " task " << c.taskIndex;
        EXPECT_EQ(*seen.rbegin(), c.high) << "R " << c.initialRadius << " task " << c.taskIndex;
        // Uniform over the span: nearly every height turns up in 6000 draws.
        EXPECT_GT(seen.size(), static_cast<std::size_t>(c.high - c.low) * 9 / 10);
    }
}

// The random source is reseeded from the clock before every angled task; the full-width heights
// therefore depend only on the clock value read last.
TEST(TaskGenerator, FullWidthHeightsFollowTheLastClockReading) {
    TickingClock clock;
    Options counting;
    std::vector<MoveTaskSpec> ticking;
    {
        platform::ScopedClock scope(clock);
        ticking = counting.generateTasks();
    }
    EXPECT_EQ(clock.readings, 4);

    Options fixed;
    EXPECT_EQ(generateAt(fixed, 1003), ticking);

    // Different clock values give different heights in general.
    Options other;
    const auto differentSeed = generateAt(other, 1004);
    EXPECT_TRUE(std::equal(ticking.begin(), ticking.begin() + 16, differentSeed.begin()));
    EXPECT_NE(ticking, differentSeed);
}

TEST(TaskGenerator, SystemClockGivesTwentyValidTasks) {
    Options options;
    const auto tasks = options.generateTasks();
    ASSERT_EQ(tasks.size(), 20u);
    for (const auto& t : tasksOfKind(tasks, 5)) {
        EXPECT_GE(std::min(t.y1, t.y2), 30);
        EXPECT_LE(std::max(t.y1, t.y2), 549);
    }
}

// Values the settings page would never accept must still give a list, without a remainder by zero
// or an out-of-range conversion.
TEST(TaskGenerator, ExtremeSettingsStaySafe) {
    struct Case {
        std::int32_t radius;
        std::int32_t start;
        std::int32_t end;
    };
    const Case cases[] = {{0, 0, 0},
                          {-50, 100, 400},
                          {280, 100, 400},
                          {290, 100, 400},
                          {300, 100, 400},
                          {1000, 5000, 100},
                          {INT_MAX, INT_MAX, INT_MIN},
                          {INT_MIN, INT_MIN, INT_MAX}};
    for (const Case& c : cases) {
        Options options;
        for (int kind = 1; kind <= 5; ++kind)
            options.currentSettings.stage(kind) = {4, c.radius, c.start, c.end};
        const auto tasks = generateAt(options, 42);
        ASSERT_EQ(tasks.size(), 20u) << "radius " << c.radius;
        for (int kind = 1; kind <= 5; ++kind) {
            EXPECT_EQ(tasksOfKind(tasks, kind).size(), 4u);
            EXPECT_EQ(tasksOfKind(tasks, kind).back().radius, 20);
        }
    }
}

// With no room between the margins, the full-width circle sits on the top margin.
TEST(TaskGenerator, FullWidthWithoutRoomUsesTheTopMargin) {
    Options options;
    options.currentSettings.stage(5).initialRadius = 300; // 580 - 2 * 310 < 0
    const auto first = tasksOfKind(generateAt(options, 9), 5).front();
    EXPECT_EQ(first, (MoveTaskSpec{5, 310, 310, 490, 310, 300}));

    options.currentSettings.stage(5).initialRadius = 280; // 580 - 2 * 290 = 0
    const auto none = tasksOfKind(generateAt(options, 9), 5).front();
    EXPECT_EQ(none.y1, 290);
    EXPECT_EQ(none.y2, 290);
}

// The generator on its own: a stage of n moves gives n + 1 tasks, and nothing for an unknown kind.
TEST(TaskGenerator, StageLengthFollowsTheMoveCount) {
    TaskGenerator generator(20, RECT{10, 10, 790, 590});
    for (std::int32_t moves : {0, 1, 5}) {
        std::vector<MoveTaskSpec> list;
        generator.appendStage(1, StageSettings{moves, 100, 100, 400}, list);
        EXPECT_EQ(list.size(), static_cast<std::size_t>(moves + 1));
        EXPECT_EQ(list.front(), (MoveTaskSpec{1, 350, 300, 450, 300, 100}));
    }
    std::vector<MoveTaskSpec> list;
    generator.appendStage(1, StageSettings{-1, 100, 100, 400}, list);
    generator.appendStage(0, StageSettings{3, 100, 100, 400}, list);
    generator.appendStage(6, StageSettings{3, 100, 100, 400}, list);
    EXPECT_TRUE(list.empty());
}
