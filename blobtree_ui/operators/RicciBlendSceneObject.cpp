#include "blobtree_ui/operators/RicciBlendSceneObject.h"

#include "blobtree/nodes/RicciBlendNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/RicciBlendSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

RicciBlendSceneObject::RicciBlendSceneObject(vynbt::RicciBlendNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::RicciBlend,
                                 ShapeTypeTable::RecordName(ShapeCode::RicciBlend))
{
}

const char* RicciBlendSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::RicciBlend);
}

void RicciBlendSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
    AddParameter(new RicciBlendParameter_Power(this));
}

vynbt::RicciBlendNode* RicciBlendSceneObject::GetRicciBlendNode() const
{
    return static_cast<vynbt::RicciBlendNode*>(GetNode());
}

}  // namespace vynui_bt
