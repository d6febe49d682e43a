#pragma once
// Computes the circle pairs of one exercise run from the stage settings. Within a stage the
// distance between the circles grows linearly from the start to the end distance while the target
// shrinks linearly from the stage's initial radius to the final radius.

#include "exercise/MoveTaskSpec.h"
#include "exercise/Options.h"
#include "events/WinTypes.h"

#include <cstdint>
#include <random>
#include <vector>

class TaskGenerator {
public:
    TaskGenerator(std::int32_t finalRadius, const RECT& field);

    // Appends the tasks with indices 0..moves (moves + 1 of them) of the given kind (1-5), read
    // from that stage's settings. Kind 3 chains on the last task of `list`, so stage 3 must be
    // appended right after the list was last touched by it. Kind 4 reseeds the random source from
    // the clock before each task; kind 5 draws its heights from it.
    void appendStage(int kind, const StageSettings& stage, std::vector<MoveTaskSpec>& list);

private:
    struct StageStep {
        int index;
        int moves;
        const StageSettings& stage;
    };

    double radiusAt(const StageStep& step) const;
    float distanceAt(const StageStep& step) const;

    MoveTaskSpec horizontal(const StageStep& step) const;
    MoveTaskSpec vertical(const StageStep& step) const;
    MoveTaskSpec chained(const StageStep& step, const std::vector<MoveTaskSpec>& list) const;
    MoveTaskSpec angled(const StageStep& step) const;
    MoveTaskSpec fullWidth(const StageStep& step);

    std::int32_t randomHeight(double radius);

    std::int32_t finalRadius_;
    double fieldHeight_;
    double centreX_;
    double centreY_;
    std::mt19937 random_;
};
