#include "blobtree_ui/PartGroupSO.h"

#include "blobtree/nodes/CacheNode.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

PartGroupSO::PartGroupSO(vynbt::CacheNode* node) : CompositionNodeSceneObject(node, 52, "Group") {}

const char* PartGroupSO::GetTypeName()
{
    return "Group";
}

void PartGroupSO::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt
