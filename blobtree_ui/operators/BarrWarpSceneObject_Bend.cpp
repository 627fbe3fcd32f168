#include "blobtree_ui/operators/BarrWarpSceneObject_Bend.h"

#include "blobtree_ui/ShapeTypeTable.h"

namespace vynui_bt {

BarrWarpSceneObject_Bend::BarrWarpSceneObject_Bend(vynbt::BarrWarpNode* node)
    : BarrWarpSceneObject(node, ShapeCode::Bend, ShapeTypeTable::RecordName(ShapeCode::Bend))
{
}

const char* BarrWarpSceneObject_Bend::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Bend);
}

}  // namespace vynui_bt
