#include "blobtree_ui/leaves/RevolutionSceneObject.h"

#include <GL/gl.h>

#include "blobtree/nodes/RevolutionNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "blobtree_ui/leaves/RevolutionSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

RevolutionSceneObject::RevolutionSceneObject(vynbt::RevolutionNode* node)
    : ProfiledLeafSceneObject(node, ShapeCode::Revolution, ShapeTypeTable::RecordName(ShapeCode::Revolution))
{
}

RevolutionSceneObject::~RevolutionSceneObject()
{
    ReleaseProfile();
}

vynbt::RevolutionNode* RevolutionSceneObject::GetRevolutionNode() const
{
    return static_cast<vynbt::RevolutionNode*>(GetNode());
}

const char* RevolutionSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Revolution);
}

void RevolutionSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new RevolutionParameter_EvalMode(this));
    AddParameter(new RevolutionParameter_Radius(this));
}

void RevolutionSceneObject::Render(bool selected)
{
    if (selected) {
        glColor3f(1.0f, 0.0f, 0.0f);
        DrawAxisSegment(GetFrame());
    }
    BlobTreeNodeSceneObject::Render(selected);
}

vynimplicit::ScalarField2D* RevolutionSceneObject::CurrentTemplate() const
{
    return GetRevolutionNode()->GetRevolution()->GetSweepTemplate();
}

void RevolutionSceneObject::InstallTemplate(vynimplicit::ScalarField2D* profile)
{
    // The node has no setter of its own for the template.
    vynbt::RevolutionNode* node = GetRevolutionNode();
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    node->GetRevolution()->SetSweepTemplate(profile);
    node->ChildModifiedHack_AfterChange(before);
}

}  // namespace vynui_bt
