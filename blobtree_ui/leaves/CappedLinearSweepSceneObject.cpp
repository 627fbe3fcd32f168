#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"

#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

CappedLinearSweepSceneObject::CappedLinearSweepSceneObject(vynbt::CappedLinearSweepNode* node)
    : ProfiledLeafSceneObject(node, ShapeCode::CappedLinearSweep,
                              ShapeTypeTable::RecordName(ShapeCode::CappedLinearSweep))
{
}

CappedLinearSweepSceneObject::~CappedLinearSweepSceneObject()
{
    ReleaseProfile();
}

vynbt::CappedLinearSweepNode* CappedLinearSweepSceneObject::GetSweepNode() const
{
    return static_cast<vynbt::CappedLinearSweepNode*>(GetNode());
}

const char* CappedLinearSweepSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::CappedLinearSweep);
}

void CappedLinearSweepSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new LinearSweepParameter_FalloffLength(this));
    AddParameter(new LinearSweepParameter_Length(this));
    AddParameter(new LinearSweepParameter_Radius(this));
    AddParameter(new LinearSweepParameter_CapStyle(this));
    AddParameter(new LinearSweepParameter_EndcapBlendAngle(this));
}

void CappedLinearSweepSceneObject::Render(bool selected)
{
    if (selected) BlobTreeNodeSceneObject::Render(selected);
}

vynimplicit::ScalarField2D* CappedLinearSweepSceneObject::CurrentTemplate() const
{
    return GetSweepNode()->GetSweepTemplate();
}

void CappedLinearSweepSceneObject::InstallTemplate(vynimplicit::ScalarField2D* profile)
{
    // The node's own setter reports the change.
    GetSweepNode()->SetSweepTemplate(profile);
}

}  // namespace vynui_bt
