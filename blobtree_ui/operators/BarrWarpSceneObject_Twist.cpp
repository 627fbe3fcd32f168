#include "blobtree_ui/operators/BarrWarpSceneObject_Twist.h"

namespace vynui_bt {

BarrWarpSceneObject_Twist::BarrWarpSceneObject_Twist(vynbt::BarrWarpNode* node)
    : BarrWarpSceneObject(node, TYPE_CODE, "Twist")
{
}

const char* BarrWarpSceneObject_Twist::GetTypeName()
{
    return "Twist";
}

}  // namespace vynui_bt
