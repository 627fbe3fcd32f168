#include "interact/ConstraintDescription.h"

namespace vynui {

float RotationRadiusForMode(int frameMode)
{
    return frameMode == FRAME_MODE_OBJECT || frameMode == FRAME_MODE_FOLLOW ? 0.35f : 0.4f;
}

Wml::ColorRGBA FrameModeColor(int frameMode)
{
    switch (frameMode) {
        case 0:
            return Wml::ColorRGBA(1.0f, 1.0f, 1.0f, 1.0f);
        case 1:
            return Wml::ColorRGBA(0.7f, 1.0f, 0.7f, 1.0f);
        case 2:
            return Wml::ColorRGBA(1.0f, 0.7f, 0.7f, 1.0f);
        case 3:
            return Wml::ColorRGBA(0.1f, 0.7f, 1.0f, 1.0f);
        case 4:
            return Wml::ColorRGBA(0.7f, 0.7f, 1.0f, 1.0f);
        default:
            return Wml::ColorRGBA(1.0f, 0.0f, 0.0f, 1.0f);
    }
}

}  // namespace vynui
