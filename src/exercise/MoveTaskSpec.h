#pragma once
// One circle pair of the exercise: where the start and target circles stand and how large the
// target is.

#include <cstdint>

struct MoveTaskSpec {
    // Which placement rule made the pair; it is also the number of the settings stage it read:
    // 1 horizontal, 2 vertical, 3 chained quarter turns, 4 angled through the centre,
    // 5 full width at random heights.
    std::int32_t kind = 0;
    std::int32_t x1 = 0; // start circle centre, where the cursor is put
    std::int32_t y1 = 0;
    std::int32_t x2 = 0; // target circle centre
    std::int32_t y2 = 0;
    // Full width and height of the target picture in pixels.
    std::int32_t radius = 0;

    friend bool operator==(const MoveTaskSpec&, const MoveTaskSpec&) = default;
};
