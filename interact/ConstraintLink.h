#pragma once
// One link: an object that follows the moves of a frame. The frame belongs
// either to another scene object (a pivot or any other tool target), read
// live from it, or is a fixed frame on a surface that nothing moves.

#include "scene/SceneObject.h"
#include "wml/Frame3.h"

namespace vynui {

struct ConstraintLink {
    /// The object that follows.
    SceneObject* linked = nullptr;
    /// The object whose frame the link leads to; null for a fixed frame.
    SceneObject* target = nullptr;
    /// The fixed frame (used when target is null).
    Wml::Frame3<float> fixedFrame;

    /// The frame the link leads to: the target's current frame, or the fixed one.
    Wml::Frame3<float> GetFrame() const { return target ? target->GetFrame() : fixedFrame; }
    /// Whether the link leads to a pivot (its arrow stops short of the marker).
    bool LeadsToPivot() const { return target && target->IsPivot(); }
};

}  // namespace vynui
