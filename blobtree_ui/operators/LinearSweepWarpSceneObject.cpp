#include "blobtree_ui/operators/LinearSweepWarpSceneObject.h"

#include "blobtree/nodes/LinearSweepWarpNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/LinearSweepWarpSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

LinearSweepWarpSceneObject::LinearSweepWarpSceneObject(vynbt::LinearSweepWarpNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::LinearSweepWarp,
                                 ShapeTypeTable::RecordName(ShapeCode::LinearSweepWarp))
{
}

const char* LinearSweepWarpSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::LinearSweepWarp);
}

void LinearSweepWarpSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new LinearSweepWarpParameter_Radius(this));
    AddParameter(new LinearSweepWarpParameter_Smoothing(this));
}

void LinearSweepWarpSceneObject::Render(bool selected)
{
    // The warped child sits where the sweep path puts it, not along a line
    // from the group's origin, so no segments are drawn.
    BlobTreeNodeSceneObject::Render(selected);
}

vynbt::LinearSweepWarpNode* LinearSweepWarpSceneObject::GetLinearSweepWarpNode() const
{
    return static_cast<vynbt::LinearSweepWarpNode*>(GetNode());
}

// ---- parameters

LinearSweepWarpParameter_Radius::LinearSweepWarpParameter_Radius(LinearSweepWarpSceneObject* object)
    : OperatorFloatParameter("Warp Radius", object, 0.0001f, 10000.0f), m_owner(object)
{
}

float LinearSweepWarpParameter_Radius::ReadNode()
{
    return m_owner->GetLinearSweepWarpNode()->GetWarpRadius();
}

bool LinearSweepWarpParameter_Radius::WriteNode(float value)
{
    vynbt::LinearSweepWarpNode* node = m_owner->GetLinearSweepWarpNode();
    return node->SetWarpBounds(node->GetWarpCenter(), value);
}

LinearSweepWarpParameter_Smoothing::LinearSweepWarpParameter_Smoothing(LinearSweepWarpSceneObject* object)
    : OperatorFloatParameter("Warp Smoothing", object, 0.0001f, 5.0f), m_owner(object)
{
}

float LinearSweepWarpParameter_Smoothing::ReadNode()
{
    return m_owner->GetLinearSweepWarpNode()->GetSmoothing();
}

bool LinearSweepWarpParameter_Smoothing::WriteNode(float value)
{
    m_owner->GetLinearSweepWarpNode()->SetSmoothing(value);
    return true;
}

}  // namespace vynui_bt
