#include "blobtree_ui/operators/BarrWarpSceneObject_Taper.h"

#include "blobtree_ui/ShapeTypeTable.h"

namespace vynui_bt {

BarrWarpSceneObject_Taper::BarrWarpSceneObject_Taper(vynbt::BarrWarpNode* node)
    : BarrWarpSceneObject(node, ShapeCode::Taper, ShapeTypeTable::RecordName(ShapeCode::Taper))
{
}

const char* BarrWarpSceneObject_Taper::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Taper);
}

}  // namespace vynui_bt
