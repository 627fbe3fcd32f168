#pragma once
// Keeps the decals laid on the displayed surface in step with it. No decal
// kinds exist yet, so surface and scene notices change nothing here; the
// view registers it so that decals have one place to be told.

#include "scene/IChangeListener.h"
#include "surface/ISurfaceManagerListener.h"

namespace vynui_tex {

class CDecalManager : public vynui::ISurfaceManagerListener, public vynui::IChangeListener {
public:
    CDecalManager() = default;
};

}  // namespace vynui_tex
