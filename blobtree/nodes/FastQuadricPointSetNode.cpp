#include "blobtree/nodes/FastQuadricPointSetNode.h"

namespace vynbt {

FastQuadricPointSetNode::FastQuadricPointSetNode(vynimplicit::FastQuadricPointSet* pointSet)
    : BlobTreeNode(NodeType::FastQuadricPointSet, pointSet)
{
    if (!pointSet) return;
    Wml::AxisAlignedBox3<float> bounds;
    pointSet->FieldBounds(bounds);
    if (!bounds.IsEmpty()) m_frame.SetOrigin(bounds.Center());
}

void FastQuadricPointSetNode::SetFrame(const Wml::Frame3<float>& frame)
{
    vynimplicit::FastQuadricPointSet* pointSet = GetPointSet();
    if (!pointSet || !frame.IsValid()) return;
    Wml::AxisAlignedBox3<float> before;
    pointSet->FieldBounds(before);
    if (!pointSet->ApplyFrameInverse(m_frame)) return;
    if (!pointSet->ApplyFrame(frame)) {
        // Put the points back where they were rather than leave them unplaced.
        pointSet->ApplyFrame(m_frame);
        return;
    }
    m_frame = frame;
    ReportChange(before);
}

}  // namespace vynbt
