#include "blobtree_ui/BlobTreeFactory.h"

#include <algorithm>

#include "blobtree/RootNode.h"
#include "blobtree/nodes/AllNodes.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/PartGroupSO.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "blobtree_ui/leaves/BezierCurveSceneObject.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/CurveSetSceneObject.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/PointSceneObject.h"
#include "blobtree_ui/leaves/PolyLineSceneObject.h"
#include "blobtree_ui/leaves/RevolutionSceneObject.h"
#include "blobtree_ui/operators/BarrWarpSceneObject_Bend.h"
#include "blobtree_ui/operators/BarrWarpSceneObject_Taper.h"
#include "blobtree_ui/operators/BarrWarpSceneObject_Twist.h"
#include "blobtree_ui/operators/BartheSharpDifferenceSceneObject.h"
#include "blobtree_ui/operators/BartheSharpIntersectionSceneObject.h"
#include "blobtree_ui/operators/BartheSharpUnionSceneObject.h"
#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObject.h"
#include "blobtree_ui/operators/HollowSceneObject.h"
#include "blobtree_ui/operators/LinearSweepWarpSceneObject.h"
#include "blobtree_ui/operators/MinMaxDifferenceSceneObject.h"
#include "blobtree_ui/operators/MinMaxIntersectionSceneObject.h"
#include "blobtree_ui/operators/MinMaxUnionSceneObject.h"
#include "blobtree_ui/operators/MirrorSceneObject.h"
#include "blobtree_ui/operators/QuillonUnionSceneObject.h"
#include "blobtree_ui/operators/RicciBlendSceneObject.h"
#include "blobtree_ui/operators/SumBlendSceneObject.h"
#include "blobtree_ui/operators/VariationalDisplacementMapSceneObject.h"
#include "blobtree_ui/operators/VariationalWarpSceneObject.h"
#include "implicit/operators/BartheSharpDifference.h"
#include "implicit/operators/BartheSharpIntersection.h"
#include "implicit/operators/BartheSharpUnion.h"
#include "implicit/operators/BartheSmoothDifference.h"
#include "implicit/operators/BezierCurve.h"
#include "implicit/operators/HollowOperator.h"
#include "implicit/operators/MinMaxDifference.h"
#include "implicit/operators/MinMaxIntersection.h"
#include "implicit/operators/MinMaxUnion.h"
#include "implicit/operators/MirrorOperator.h"
#include "implicit/operators/QuillonUnion.h"
#include "implicit/operators/RicciBlend.h"
#include "implicit/operators/SumBlend.h"
#include "implicit/primitives/CurveSet.h"
#include "implicit/primitives/Cylinder.h"
#include "implicit/primitives/Point.h"
#include "implicit/primitives/PolyLinePrimitive.h"
#include "implicit/sweeps/CubicBezierSweep.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"
#include "implicit/sweeps/DiscreteRevolution.h"
#include "implicit/sweeps/InterpolatingLinearSweep.h"
#include "implicit/sweeps/QuadraticBezierSweep.h"
#include "implicit/warps/BarrWarp.h"
#include "implicit/warps/LinearSweepWarp.h"
#include "implicit/warps/VariationalWarp.h"

namespace vynui_bt {

namespace {

// The outside object, its node and the scene object of one type code; null
// for a code without a type.
BlobTreeNodeSceneObject* Build(int code)
{
    using namespace vynbt;
    namespace vi = vynimplicit;
    switch (code) {
        case 1:
            return new PointSceneObject(new PointNode(new vi::Point(Wml::Vector3<float>::ZERO, 1.0f)));
        case 2:
            return new CappedLinearSweepSceneObject(new CappedLinearSweepNode(new vi::DiscreteLinearSweep()));
        case 3:
            return new RevolutionSceneObject(new RevolutionNode(new vi::DiscreteRevolution()));
        case 4:
            return new CylinderSceneObject(new CylinderNode(new vi::Cylinder()));
        case 6:
            return new BezierCurveSceneObject(new BezierCurveNode(new vi::BezierCurve()));
        case 7:
            return new InterpolatingLinearSweepSceneObject(
                new InterpolatingLinearSweepNode(new vi::InterpolatingLinearSweep()));
        case 8:
            return new PolyLineSceneObject(new PolyLineNode(new vi::PolyLinePrimitive(1)));
        case 9:
            return new SumBlendSceneObject(new SumBlendNode(new vi::SumBlend()));
        case 10:
            return new MinMaxUnionSceneObject(new MinMaxUnionNode(new vi::MinMaxUnion()));
        case 11:
            return new MinMaxDifferenceSceneObject(new MinMaxDifferenceNode(new vi::MinMaxDifference()));
        case 12:
            return new MinMaxIntersectionSceneObject(
                new MinMaxIntersectionNode(new vi::MinMaxIntersection()));
        case 13:
            return new RicciBlendSceneObject(new RicciBlendNode(new vi::RicciBlend()));
        case 14:
            return new QuillonUnionSceneObject(new QuillonUnionNode(new vi::QuillonUnion()));
        case 15:
            return new BartheSharpUnionSceneObject(new BartheSharpUnionNode(new vi::BartheSharpUnion()));
        case 16:
            return new BartheSharpIntersectionSceneObject(
                new BartheSharpIntersectionNode(new vi::BartheSharpIntersection()));
        case 17:
            return new VariationalWarpSceneObject(new VariationalWarpNode(new vi::VariationalWarp()));
        case 18:
            return new VariationalDisplacementMapSceneObject(
                new VariationalWarpNode(new vi::VariationalWarp()));
        case 41:
            return new CurveSweepSceneObject(new CurveSweepNode(new vi::CubicBezierSweep()), 41);
        case 42:
            return new CurveSweepSceneObject(new CurveSweepNode(new vi::QuadraticBezierSweep()), 42);
        case 43:
            return new LinearSweepWarpSceneObject(new LinearSweepWarpNode(new vi::LinearSweepWarp()));
        case 44:
            return new BartheSharpDifferenceSceneObject(
                new BartheSharpDifferenceNode(new vi::BartheSharpDifference()));
        case 45:
            return new BartheSmoothDifferenceSceneObject(
                new BartheSmoothDifferenceNode(new vi::BartheSmoothDifference()));
        case 46:
            return new CurveSetSceneObject(new CurveSetNode(new vi::CurveSet()));
        case 47:
            return new BarrWarpSceneObject_Twist(new BarrWarpNode(new vi::BarrWarp(vi::BarrWarp::TWIST)));
        case 48:
            return new BarrWarpSceneObject_Taper(new BarrWarpNode(new vi::BarrWarp(vi::BarrWarp::TAPER)));
        case 49:
            return new BarrWarpSceneObject_Bend(new BarrWarpNode(new vi::BarrWarp(vi::BarrWarp::BEND)));
        case 50:
            return new HollowSceneObject(new HollowNode(new vi::HollowOperator()));
        case 51:
            return new MirrorSceneObject(new MirrorNode(new vi::MirrorOperator()));
        case 52:
            return new PartGroupSO(new CacheNode(new vi::MinMaxUnion()));
        default:
            return nullptr;
    }
}

bool SubtreeContains(vynui::SceneObject* top, const vynui::SceneObject* object)
{
    if (top == object) return true;
    for (vynui::SceneObject* child : top->GetChildren())
        if (SubtreeContains(child, object)) return true;
    return false;
}

}  // namespace

BlobTreeFactory::BlobTreeFactory(BlobTreeSceneObject* owner) : m_owner(owner)
{
    m_root = new RootNodeSceneObject(new vynbt::RootNode(new vynimplicit::MinMaxUnion()));
    m_root->SetTree(owner);
    m_root->InitializeParameters();
}

BlobTreeFactory::~BlobTreeFactory() = default;

BlobTreeNodeSceneObject* BlobTreeFactory::CreateSceneObject(int code)
{
    BlobTreeNodeSceneObject* object = Build(code);
    if (!object) return nullptr;
    object->SetTree(m_owner);
    object->InitializeParameters();
    return object;
}

bool BlobTreeFactory::AttachSceneObject(BlobTreeNodeSceneObject* parent, BlobTreeNodeSceneObject* child,
                                        int index)
{
    if (!child || child == m_root) return false;
    ModelLock lock = child->LockModel();
    // Under itself or its own descendant the trees would become cycles: such
    // a request changes nothing.
    if (parent && SubtreeContains(child, parent)) return false;
    vynbt::BlobTreeNode* parentNode = parent ? parent->GetNode() : nullptr;
    const bool usable = parentNode && parentNode->IsCompositionNode() &&
                        static_cast<vynbt::CompositionNode*>(parentNode)->GetOperator();
    BlobTreeNodeSceneObject* target = usable ? parent : m_root;
    if (!target) return false;
    if (!usable) index = -1;

    // An object that still hangs elsewhere leaves that place first, so the
    // two trees never list it twice.
    vynbt::BlobTreeNode* node = child->GetNode();
    if (vynbt::BlobTreeNode* oldParentNode = node ? node->GetParent() : nullptr) {
        if (oldParentNode->IsCompositionNode())
            static_cast<vynbt::CompositionNode*>(oldParentNode)->RemoveChild(node);
    }
    if (vynui::SceneObject* oldParent = child->GetParent()) {
        const std::vector<vynui::SceneObject*>& siblings = oldParent->GetChildren();
        if (SubtreeContains(m_root, oldParent) &&
            std::find(siblings.begin(), siblings.end(), child) != siblings.end())
            oldParent->RemoveChild(child);
    }

    target->InsertChild(child, index);
    auto* targetNode = static_cast<vynbt::CompositionNode*>(target->GetNode());
    if (node) targetNode->AddChild(node, index);
    return usable;
}

BlobTreeNodeSceneObject* BlobTreeFactory::CreateAndAttach(BlobTreeNodeSceneObject* parent, int code,
                                                          int index)
{
    BlobTreeNodeSceneObject* object = CreateSceneObject(code);
    if (!object) return nullptr;
    AttachSceneObject(parent ? parent : m_root, object, index);
    return object;
}

}  // namespace vynui_bt
