#include "blobtree_ui/operators/BarrWarpSceneObject_Bend.h"

namespace vynui_bt {

BarrWarpSceneObject_Bend::BarrWarpSceneObject_Bend(vynbt::BarrWarpNode* node)
    : BarrWarpSceneObject(node, TYPE_CODE, "Bend")
{
}

const char* BarrWarpSceneObject_Bend::GetTypeName()
{
    return "Bend";
}

}  // namespace vynui_bt
