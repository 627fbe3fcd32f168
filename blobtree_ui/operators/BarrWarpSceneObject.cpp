#include "blobtree_ui/operators/BarrWarpSceneObject.h"

#include <algorithm>

#include "blobtree/nodes/BarrWarpNode.h"

namespace vynui_bt {

namespace {

// 47 twist, 48 taper, 49 bend: the factory codes of the three kinds.
int CodeOfMode(const vynbt::BarrWarpNode* node)
{
    const int mode = node && node->GetBarrWarp() ? node->GetBarrWarp()->GetMode() : 0;
    return 47 + std::clamp(mode, 0, 2);
}

}  // namespace

BarrWarpSceneObject::BarrWarpSceneObject(vynbt::BarrWarpNode* node)
    : CompositionNodeSceneObject(node, CodeOfMode(node), "BarrWarp")
{
}

BarrWarpSceneObject::BarrWarpSceneObject(vynbt::BarrWarpNode* node, int typeCode, const char* nameBase)
    : CompositionNodeSceneObject(node, typeCode, nameBase)
{
}

const char* BarrWarpSceneObject::GetTypeName()
{
    return "BarrWarp";
}

Wml::Frame3<float> BarrWarpSceneObject::GetFrame()
{
    return Wml::Frame3<float>(Wml::Vector3<float>::ZERO);
}

vynbt::BarrWarpNode* BarrWarpSceneObject::GetBarrWarpNode() const
{
    return static_cast<vynbt::BarrWarpNode*>(GetNode());
}

}  // namespace vynui_bt
