#pragma once
// Tells what a finished left-button drag was meant as: one of the seven
// gestures, or a plain stroke. Pure geometry on window pixels; the gesture
// engine offers the result to its listeners.

#include <vector>

#include "interact/GestureStroke.h"
#include "interact/IGestureEventListener.h"
#include "wml/Box2.h"
#include "wml/Vector2.h"

namespace vynui {

enum class GestureKind { Tap, Hairpin, Line, Corner, Scribble, Circle, Crossing, Stroke };

/// Display name of a kind ("tap", "line", ...), for traces and test output.
const char* GestureKindName(GestureKind kind);

struct GestureClassification {
    GestureKind kind = GestureKind::Stroke;
    /// Tap: the press position.
    Wml::Vector2<float> point = Wml::Vector2<float>(0.0f, 0.0f);
    /// Line (first, last point) and hairpin (middle of the ends, tip).
    GestureSegment segment;
    /// Corner (first, corner, last) and crossing (first, last, crossing).
    GestureTriple triple;
    /// Scribble and circle: the oriented box of all points.
    Wml::Box2<float> box;
    /// Corner or crossing point; set only for those two kinds.
    bool hasFeaturePoint = false;
    Wml::Vector2<float> featurePoint = Wml::Vector2<float>(0.0f, 0.0f);
};

class GestureClassifier {
public:
    using Points = std::vector<Wml::Vector2<float>>;

    /// Tries the gestures in their fixed order (tap, hairpin, line, corner,
    /// scribble, circle, crossing); the first that holds decides. A stroke
    /// of more than MAX_GESTURE_POINTS points is a tap or a plain stroke.
    static GestureClassification Classify(const GestureStroke& stroke);

    static constexpr int MAX_GESTURE_POINTS = 16384;

    // The single tests, in that order. Each answers false for strokes too
    // short for it and fills `result` only when it holds.
    static bool IsTap(const Points& p, GestureClassification& result);
    static bool IsHairpin(const Points& p, float duration, GestureClassification& result);
    static bool IsLine(const Points& p, float duration, GestureClassification& result);
    static bool IsCorner(const Points& p, GestureClassification& result);
    static bool IsScribble(const Points& p, GestureClassification& result);
    static bool IsCircle(const Points& p, GestureClassification& result);
    static bool IsCrossing(const Points& p, GestureClassification& result);

    /// Whether the points [s, e) lie along one straight line.
    static bool IsLineRange(const Points& p, int s, int e);

    /// The interior point where the stroke turns most sharply, -1 when every
    /// interior point has a neighbour closer than 0.01.
    static int SharpestTurn(const Points& p);
};

}  // namespace vynui
