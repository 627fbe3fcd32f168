#include "blobtree_ui/operators/SumBlendSceneObject.h"

#include "blobtree/nodes/SumBlendNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

SumBlendSceneObject::SumBlendSceneObject(vynbt::SumBlendNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::SumBlend, ShapeTypeTable::RecordName(ShapeCode::SumBlend))
{
}

const char* SumBlendSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::SumBlend);
}

void SumBlendSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
}

}  // namespace vynui_bt
