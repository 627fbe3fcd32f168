#pragma once
// "SurfacePatchTransformTool": the tool that moves a surface patch of the surface detail. Scene
// objects are never its targets (it supports none), so tool cycling passes
// it by; with nothing to act on it draws and picks nothing.

#include "interact/ITool3D.h"

namespace vynui {

class SurfacePatchTransformTool : public ITool3D {
public:
    static constexpr const char* NAME = "SurfacePatchTransformTool";
    SurfacePatchTransformTool() : ITool3D(NAME) {}

    void Draw(const ToolViewData& view) override { SetViewData(view); }
    bool Pick(const Wml::Ray3<float>&, float&) override { return false; }
    void Drag(const Wml::Ray3<float>&, int) override {}
    bool SupportsTargets(const std::vector<SceneObject*>&) override { return false; }
};

}  // namespace vynui
