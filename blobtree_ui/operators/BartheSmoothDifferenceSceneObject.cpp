#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObject.h"

#include "blobtree/nodes/BartheSmoothDifferenceNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

BartheSmoothDifferenceSceneObject::BartheSmoothDifferenceSceneObject(vynbt::BartheSmoothDifferenceNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::BartheSmoothDifference,
                                 ShapeTypeTable::RecordName(ShapeCode::BartheSmoothDifference))
{
}

const char* BartheSmoothDifferenceSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::BartheSmoothDifference);
}

void BartheSmoothDifferenceSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters(true);
    AddParameter(new BartheSmoothDiffParameter_Sharpness(this));
}

vynbt::BartheSmoothDifferenceNode* BartheSmoothDifferenceSceneObject::GetBartheSmoothDifferenceNode() const
{
    return static_cast<vynbt::BartheSmoothDifferenceNode*>(GetNode());
}

// ---- parameters

BartheSmoothDiffParameter_Sharpness::BartheSmoothDiffParameter_Sharpness(
    BartheSmoothDifferenceSceneObject* object)
    : OperatorFloatParameter("Sharpness", object, 0.2f, 1.0f), m_owner(object)
{
}

float BartheSmoothDiffParameter_Sharpness::ReadNode()
{
    return m_owner->GetBartheSmoothDifferenceNode()->GetSharpness();
}

bool BartheSmoothDiffParameter_Sharpness::WriteNode(float value)
{
    return m_owner->GetBartheSmoothDifferenceNode()->SetSharpness(value);
}

}  // namespace vynui_bt
