#include "blobtree_ui/operators/BarrWarpSceneObject_Twist.h"

#include "blobtree_ui/ShapeTypeTable.h"

namespace vynui_bt {

BarrWarpSceneObject_Twist::BarrWarpSceneObject_Twist(vynbt::BarrWarpNode* node)
    : BarrWarpSceneObject(node, ShapeCode::Twist, ShapeTypeTable::RecordName(ShapeCode::Twist))
{
}

const char* BarrWarpSceneObject_Twist::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Twist);
}

}  // namespace vynui_bt
