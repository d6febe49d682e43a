#include "exercise/TaskGenerator.h"

#include "platform/Clock.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace {

// Coordinates and radii are cut toward zero. Settings far outside the page's ranges can push a
// value past the int32 range (or, with nonsense input, to NaN); those are pinned instead of being
// converted with undefined behaviour.
std::int32_t truncateToInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// The angled pairs rely on single-precision rounding of the sum to land sums such as 274.99999 on
// 275 before truncation.
std::int32_t truncateSingle(double value) {
    return truncateToInt(static_cast<double>(static_cast<float>(value)));
}

// Screen-edge margins of the full-width stage; fixed, not taken from the play field.
constexpr double fullWidthLeft = 10.0;
constexpr double fullWidthRight = 790.0;

} // namespace

TaskGenerator::TaskGenerator(std::int32_t finalRadius, const RECT& field)
    : finalRadius_(finalRadius), fieldHeight_(static_cast<double>(field.bottom) - field.top),
      centreX_(field.left + (static_cast<double>(field.right) - field.left) * 0.5),
      centreY_(field.top + fieldHeight_ * 0.5) {}

void TaskGenerator::appendStage(int kind, const StageSettings& stage,
                                std::vector<MoveTaskSpec>& list) {
    // A 64-bit counter keeps a move count of INT32_MAX from overflowing the loop.
    for (std::int64_t i = 0; i <= stage.moves; ++i) {
        const StageStep step{static_cast<int>(i), stage.moves, stage};
        switch (kind) {
        case 1:
            list.push_back(horizontal(step));
            break;
        case 2:
            list.push_back(vertical(step));
            break;
        case 3:
            list.push_back(chained(step, list));
            break;
        case 4:
            random_.seed(platform::clock().milliseconds());
            list.push_back(angled(step));
            break;
        case 5:
            list.push_back(fullWidth(step));
            break;
        default:
            return;
        }
    }
}

double TaskGenerator::radiusAt(const StageStep& step) const {
    const double initial = step.stage.initialRadius;
    if (step.moves <= 0)
        return initial;
    return initial - step.index * (initial - finalRadius_) / step.moves;
}

float TaskGenerator::distanceAt(const StageStep& step) const {
    const double start = step.stage.startDistance;
    if (step.moves <= 0)
        return static_cast<float>(start);
    const double end = step.stage.endDistance;
    return static_cast<float>(start + step.index * (end - start) / step.moves);
}

MoveTaskSpec TaskGenerator::horizontal(const StageStep& step) const {
    const double half = distanceAt(step) * 0.5f;
    // Even tasks run left to right, odd ones back again.
    const double sign = step.index % 2 == 0 ? 1.0 : -1.0;
    const std::int32_t y = truncateToInt(centreY_);
    return MoveTaskSpec{1, truncateToInt(centreX_ - sign * half),
                        y, truncateToInt(centreX_ + sign * half),
                        y, truncateToInt(radiusAt(step))};
}

MoveTaskSpec TaskGenerator::vertical(const StageStep& step) const {
    const double half = distanceAt(step) * 0.5f;
    // Even tasks run top to bottom, odd ones back again.
    const double sign = step.index % 2 == 0 ? 1.0 : -1.0;
    const std::int32_t x = truncateToInt(centreX_);
    return MoveTaskSpec{2,
                        x,
                        truncateToInt(centreY_ - sign * half),
                        x,
                        truncateToInt(centreY_ + sign * half),
                        truncateToInt(radiusAt(step))};
}

MoveTaskSpec TaskGenerator::chained(const StageStep& step,
                                    const std::vector<MoveTaskSpec>& list) const {
    const double radius = radiusAt(step);
    const double stride = static_cast<float>((fieldHeight_ - radius) * 0.5);
    // The chain starts in the centre and then always leaves from where the previous pair ended,
    // turning a quarter turn each time: down, left, up, right.
    std::int32_t baseX = truncateToInt(centreX_);
    std::int32_t baseY = truncateToInt(centreY_);
    if (step.index > 0 && !list.empty()) {
        baseX = list.back().x2;
        baseY = list.back().y2;
    }
    double targetX = baseX;
    double targetY = baseY;
    switch (step.index % 4) {
    case 0:
        targetY += stride;
        break;
    case 1:
        targetX -= stride;
        break;
    case 2:
        targetY -= stride;
        break;
    default:
        targetX += stride;
        break;
    }
    return MoveTaskSpec{
        3, baseX, baseY, truncateToInt(targetX), truncateToInt(targetY), truncateToInt(radius)};
}

MoveTaskSpec TaskGenerator::angled(const StageStep& step) const {
    const double half = distanceAt(step) * 0.5f;
    // Twelve directions around the clock, skipping the four axis directions so that the pair is
    // never horizontal or vertical.
    int hour = step.index % 12;
    if (hour % 3 == 0)
        hour += 1;
    const float target = static_cast<float>(hour * std::numbers::pi / 6.0);
    const float start = static_cast<float>(target + std::numbers::pi);
    const auto singleCos = [](float angle) {
        return static_cast<float>(std::cos(static_cast<double>(angle)));
    };
    const auto singleSin = [](float angle) {
        return static_cast<float>(std::sin(static_cast<double>(angle)));
    };
    return MoveTaskSpec{4,
                        truncateSingle(centreX_ + half * singleCos(start)),
                        truncateSingle(centreY_ + half * singleSin(start)),
                        truncateSingle(centreX_ + half * singleCos(target)),
                        truncateSingle(centreY_ + half * singleSin(target)),
                        truncateToInt(radiusAt(step))};
}

MoveTaskSpec TaskGenerator::fullWidth(const StageStep& step) {
    const double radius = radiusAt(step);
    const std::int32_t y1 = randomHeight(radius);
    const std::int32_t y2 = randomHeight(radius);
    const std::int32_t left = truncateToInt(radius + fullWidthLeft);
    const std::int32_t right = truncateToInt(fullWidthRight - radius);
    const bool leftToRight = step.index % 2 == 0;
    return MoveTaskSpec{5,  leftToRight ? left : right, y1, leftToRight ? right : left,
                        y2, truncateToInt(radius)};
}

std::int32_t TaskGenerator::randomHeight(double radius) {
    const double margin = radius + fullWidthLeft;
    const std::uint32_t draw = random_();
    // A radius too large for the field leaves no room to move; the circle then sits at the top
    // margin instead of taking a remainder by zero or a negative span.
    const std::int32_t span = truncateToInt(fieldHeight_ - 2.0 * margin);
    const std::uint32_t offset = span > 0 ? draw % static_cast<std::uint32_t>(span) : 0;
    return truncateToInt(margin + offset);
}
