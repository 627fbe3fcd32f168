#pragma once
// A left-button drag as the gesture engine collects it.

#include <cstdint>
#include <vector>

#include "wml/Vector2.h"

namespace vynui {

struct GestureStroke {
    /// Window pixels, y from the bottom.
    std::vector<Wml::Vector2<float>> points;
    /// Seconds since the first point, one per point.
    std::vector<float> times;
    /// Counter value of the first point.
    std::int64_t startCounter = 0;
    /// The corner or crossing point found by classification.
    Wml::Vector2<float> featurePoint = Wml::Vector2<float>(0.0f, 0.0f);

    int PointCount() const { return int(points.size()); }
    /// Last time minus first time (0 without points).
    float Duration() const { return times.empty() ? 0.0f : times.back() - times.front(); }
};

}  // namespace vynui
