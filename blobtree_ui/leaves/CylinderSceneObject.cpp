#include "blobtree_ui/leaves/CylinderSceneObject.h"

#include <GL/gl.h>

#include "blobtree/nodes/CylinderNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CylinderSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

void GetAxisSegment(const Wml::Frame3<float>& frame, Wml::Vector3<float>& from, Wml::Vector3<float>& to)
{
    from = frame.Origin();
    to = frame.Origin() + frame.Z();
}

void DrawAxisSegment(const Wml::Frame3<float>& frame)
{
    Wml::Vector3<float> from, to;
    GetAxisSegment(frame, from, to);
    glBegin(GL_LINES);
    glVertex3f(from.X(), from.Y(), from.Z());
    glVertex3f(to.X(), to.Y(), to.Z());
    glEnd();
}

CylinderSceneObject::CylinderSceneObject(vynbt::CylinderNode* node)
    : BlobTreeNodeSceneObject(node, ShapeCode::Cylinder, ShapeTypeTable::RecordName(ShapeCode::Cylinder))
{
}

vynbt::CylinderNode* CylinderSceneObject::GetCylinderNode() const
{
    return static_cast<vynbt::CylinderNode*>(GetNode());
}

const char* CylinderSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Cylinder);
}

void CylinderSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new CylinderParameter_Length(this));
    AddParameter(new CylinderParameter_Radius(this));
}

void CylinderSceneObject::Render(bool selected)
{
    if (selected)
        glColor3f(1.0f, 0.0f, 0.0f);
    else
        glColor3f(0.0f, 0.0f, 1.0f);
    DrawAxisSegment(GetFrame());
    BlobTreeNodeSceneObject::Render(selected);
}

}  // namespace vynui_bt
