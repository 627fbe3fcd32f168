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

}  // namespace vynui_bt
