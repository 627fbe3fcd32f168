#include "blobtree_ui/PartGroupSO.h"

#include "blobtree/nodes/CacheNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

PartGroupSO::PartGroupSO(vynbt::CacheNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::Group, ShapeTypeTable::RecordName(ShapeCode::Group))
{
}

const char* PartGroupSO::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Group);
}

void PartGroupSO::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt
