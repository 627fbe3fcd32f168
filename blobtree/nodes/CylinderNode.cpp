#include "blobtree/nodes/CylinderNode.h"

namespace vynbt {

void CylinderNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (vynimplicit::Cylinder* field = GetCylinder())
        frame = field->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void CylinderNode::SetFrame(const Wml::Frame3<float>& frame)
{
    vynimplicit::Cylinder* field = GetCylinder();
    if (!field) return;
    Wml::AxisAlignedBox3<float> before;
    field->FieldBounds(before);
    if (!field->SetFrame(frame)) return;
    ReportChange(before);
}

}  // namespace vynbt
