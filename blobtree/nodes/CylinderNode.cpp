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
    ChangeReported([&] { return GetCylinder()->SetFrame(frame); });
}

}  // namespace vynbt
