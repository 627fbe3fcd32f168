#include "blobtree_ui/operators/BarrWarpSceneObject_Taper.h"

namespace vynui_bt {

BarrWarpSceneObject_Taper::BarrWarpSceneObject_Taper(vynbt::BarrWarpNode* node)
    : BarrWarpSceneObject(node, TYPE_CODE, "Taper")
{
}

const char* BarrWarpSceneObject_Taper::GetTypeName()
{
    return "Taper";
}

}  // namespace vynui_bt
