#include "blobtree_ui/operators/BarrWarpSceneObject.h"

#include <algorithm>

#include "blobtree/nodes/BarrWarpNode.h"
#include "blobtree_ui/ShapeTypeTable.h"

namespace vynui_bt {

namespace {

// Modes 0, 1, 2 are the twist, taper and bend codes, which follow each other.
int CodeOfMode(const vynbt::BarrWarpNode* node)
{
    const int mode = node && node->GetBarrWarp() ? node->GetBarrWarp()->GetMode() : 0;
    return ShapeCode::Twist + std::clamp(mode, 0, 2);
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
