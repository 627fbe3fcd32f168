#pragma once
// What a handle is, without the handle: its kind, where it stands and how it
// follows its target. Saved handle sets (the handle history) and candidate
// axes are lists of these.

#include "wml/ColorRGBA.h"
#include "wml/Frame3.h"
#include "wml/Vector3.h"

namespace vynui {

/// Handle kind codes.
enum ConstraintKind {
    VECTOR_CONSTRAINT = 1,
    AXIS_ROTATION_CONSTRAINT = 2,
    AXIS_SCALE_CONSTRAINT = 3,
    PLANE_TRANSLATE_CONSTRAINT = 4,
    UNIFORM_SCALE_CONSTRAINT = 5,
};

/// Frame modes: 1 and 3 follow the target's rotation as well as its
/// position, the others its position only. The mode also picks the colour.
enum ConstraintFrameMode {
    FRAME_MODE_WORLD = 0,   // world axes
    FRAME_MODE_OBJECT = 1,  // the object's own axes
    FRAME_MODE_ANCHOR = 2,  // a surface anchor's axes
    FRAME_MODE_FOLLOW = 3,
    FRAME_MODE_MANIPULATION = 4,  // the manipulation frame (default handles)
};

/// Ring radius of rotation handles: 0.35 for modes 1 and 3, else 0.4.
float RotationRadiusForMode(int frameMode);

/// 1 (0.7, 1, 0.7), 2 (1, 0.7, 0.7), 3 (0.1, 0.7, 1), 4 (0.7, 0.7, 1),
/// 0 white, anything else red; alpha 1.
Wml::ColorRGBA FrameModeColor(int frameMode);

struct ConstraintDescription {
    int frameMode = FRAME_MODE_WORLD;
    int kind = VECTOR_CONSTRAINT;
    Wml::Vector3<float> origin = Wml::Vector3<float>::ZERO;
    Wml::Vector3<float> axis = Wml::Vector3<float>::UNIT_Z;
    /// Plane handles keep their whole frame.
    bool hasFrame = false;
    Wml::Frame3<float> frame;
    float radius = 0.4f;
    Wml::ColorRGBA color = Wml::ColorRGBA(0.0f, 0.0f, 0.0f, 1.0f);
};

}  // namespace vynui
