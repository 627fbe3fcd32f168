#include "blobtree/nodes/MirrorNode.h"

#include "blobtree/cache/FieldCache.h"

namespace vynbt {

MirrorNode::MirrorNode(vynimplicit::MirrorOperator* op) : CompositionNode(NodeType::Mirror, op)
{
    // The base constructor ran its own version.
    CalculateChildData();
}

void MirrorNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (const vynimplicit::MirrorOperator* op = GetMirrorOperator())
        frame = op->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void MirrorNode::SetFrame(const Wml::Frame3<float>& frame)
{
    vynimplicit::MirrorOperator* op = GetMirrorOperator();
    if (!op) return;
    const Wml::AxisAlignedBox3<float> before = Bounds();
    if (!op->SetFrame(frame)) return;
    ReportOperatorChange(before);
}

void MirrorNode::Rotate(const Wml::Matrix3<float>& m, bool relative)
{
    // Without this the children would turn through a plane that stays put and
    // the shape would change instead of turning; the cache is dropped by SetFrame.
    Wml::Frame3<float> plane;
    GetFrame(plane);
    if (relative)
        plane.Rotate(m, true);
    else
        plane.SetRotation(m, true);
    SetFrame(plane);
    CompositionNode::Rotate(m, relative);
}

Wml::AxisAlignedBox3<float> MirrorNode::MirrorRegion(const Wml::AxisAlignedBox3<float>& region) const
{
    Wml::AxisAlignedBox3<float> mirrored;
    const vynimplicit::MirrorOperator* op = GetMirrorOperator();
    if (!op || region.IsEmpty()) return mirrored;
    for (int corner = 0; corner < 8; ++corner) {
        const Wml::Vector3<float> p((corner & 1) ? region.Max(0) : region.Min(0),
                                    (corner & 2) ? region.Max(1) : region.Min(1),
                                    (corner & 4) ? region.Max(2) : region.Min(2));
        mirrored.Merge(op->MirrorPoint(p, true));
    }
    return mirrored;
}

void MirrorNode::OnChildModified(BlobTreeNode* child, const Wml::AxisAlignedBox3<float>& region)
{
    const Wml::AxisAlignedBox3<float> mirrored = MirrorRegion(region);
    CompositionNode::OnChildModified(child, region);
    CompositionNode::OnChildModified(child, mirrored);
}

void MirrorNode::CalculateChildData()
{
    CompositionNode::CalculateChildData();
    const vynimplicit::MirrorOperator* op = GetMirrorOperator();
    if (!op || GetNumChildren() == 0) return;
    Wml::Vector3<float> sum = Wml::Vector3<float>::ZERO;
    for (unsigned int i = 0; i < GetNumChildren(); ++i) {
        Wml::Frame3<float> frame;
        GetChild(i)->GetFrame(frame);
        sum += frame.Origin() + op->MirrorPoint(frame.Origin(), true);
    }
    ChildCenter() = sum / float(2 * GetNumChildren());
}

bool MirrorNode::GetSide() const
{
    return GetMirrorOperator() ? GetMirrorOperator()->GetSide() : true;
}

void MirrorNode::SetSide(bool side)
{
    if (!GetMirrorOperator()) return;
    GetMirrorOperator()->SetSide(side);
    OnNodeModified();
}

float MirrorNode::GetSmoothWidth() const
{
    return GetMirrorOperator() ? GetMirrorOperator()->GetSmoothWidth() : 0.0f;
}

bool MirrorNode::SetSmoothWidth(float width)
{
    if (!GetMirrorOperator() || !GetMirrorOperator()->SetSmoothWidth(width)) return false;
    OnNodeModified();
    return true;
}

float MirrorNode::GetBlendPower() const
{
    return GetMirrorOperator() ? GetMirrorOperator()->GetBlendPower() : 0.0f;
}

bool MirrorNode::SetBlendPower(float power)
{
    if (!GetMirrorOperator() || !GetMirrorOperator()->SetBlendPower(power)) return false;
    OnNodeModified();
    return true;
}

}  // namespace vynbt
