#pragma once
// Receivers of classified gestures. Each answers true when it consumed the
// gesture; the engine then stops offering it.

#include "interact/GestureStroke.h"
#include "wml/Box2.h"
#include "wml/Vector2.h"

namespace vynui {

struct GestureSegment {
    Wml::Vector2<float> start = Wml::Vector2<float>(0.0f, 0.0f);
    Wml::Vector2<float> end = Wml::Vector2<float>(0.0f, 0.0f);
    /// Seconds the stroke took.
    float duration = 0.0f;
};

struct GestureTriple {
    Wml::Vector2<float> points[3] = {Wml::Vector2<float>(0.0f, 0.0f), Wml::Vector2<float>(0.0f, 0.0f),
                                     Wml::Vector2<float>(0.0f, 0.0f)};
};

class IGestureEventListener {
public:
    virtual ~IGestureEventListener() = default;
    virtual bool OnTap(const Wml::Vector2<float>& /*point*/) { return false; }
    virtual bool OnLine(const GestureSegment& /*segment*/) { return false; }
    /// start = midpoint of the two ends, end = the tip.
    virtual bool OnHairpin(const GestureSegment& /*segment*/) { return false; }
    /// first point, corner, last point.
    virtual bool OnCorner(const GestureTriple& /*triple*/) { return false; }
    virtual bool OnScribble(const Wml::Box2<float>& /*box*/) { return false; }
    virtual bool OnCircle(const Wml::Box2<float>& /*box*/) { return false; }
    /// first point, last point, crossing point.
    virtual bool OnCrossing(const GestureTriple& /*triple*/) { return false; }
    /// A stroke that is none of the gestures (or that no listener took as one).
    virtual bool OnStroke(const GestureStroke& /*stroke*/) { return false; }
};

}  // namespace vynui
