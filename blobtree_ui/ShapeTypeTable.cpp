#include "blobtree_ui/ShapeTypeTable.h"

#include <algorithm>
#include <cstring>

#include "blobtree/nodes/AllNodes.h"
#include "blobtree_ui/PartGroupSO.h"
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
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

using NodeType = vynbt::BlobTreeNode::NodeType;
namespace vi = vynimplicit;
using C = ShapeCode;

std::vector<ShapeType> BuildRows()
{
    using namespace vynbt;
    return {
        {C::Point, NodeType::Point, "Point", "Point", true,
         []() -> BlobTreeNodeSceneObject* {
             return new PointSceneObject(new PointNode(new vi::Point(Wml::Vector3<float>::ZERO, 1.0f)));
         }},
        {C::CappedLinearSweep, NodeType::CappedLinearSweep, "CappedLinearSweep", "Capped Linear Sweep", true,
         []() -> BlobTreeNodeSceneObject* {
             return new CappedLinearSweepSceneObject(
                 new CappedLinearSweepNode(new vi::DiscreteLinearSweep()));
         }},
        {C::Revolution, NodeType::Revolution, "Revolution", "Revolution", true,
         []() -> BlobTreeNodeSceneObject* {
             return new RevolutionSceneObject(new RevolutionNode(new vi::DiscreteRevolution()));
         }},
        {C::Cylinder, NodeType::Cylinder, "Cylinder", "", true,
         []() -> BlobTreeNodeSceneObject* {
             return new CylinderSceneObject(new CylinderNode(new vi::Cylinder()));
         }},
        {C::BezierCurve, NodeType::BezierCurve, "BezierCurve", "Bezier Curve", true,
         []() -> BlobTreeNodeSceneObject* {
             return new BezierCurveSceneObject(new BezierCurveNode(new vi::BezierCurve()));
         }},
        {C::InterpolatingLinearSweep, NodeType::InterpolatingLinearSweep, "InterpolatingLinearSweep",
         "Interpolating Linear Sweep", true,
         []() -> BlobTreeNodeSceneObject* {
             return new InterpolatingLinearSweepSceneObject(
                 new InterpolatingLinearSweepNode(new vi::InterpolatingLinearSweep()));
         }},
        {C::PolyLine, NodeType::PolyLine, "PolyLine", "", true,
         []() -> BlobTreeNodeSceneObject* {
             return new PolyLineSceneObject(new PolyLineNode(new vi::PolyLinePrimitive(1)));
         }},
        {C::SumBlend, NodeType::SumBlend, "SumBlend", "Sum Blend", true,
         []() -> BlobTreeNodeSceneObject* {
             return new SumBlendSceneObject(new SumBlendNode(new vi::SumBlend()));
         }},
        {C::MinMaxUnion, NodeType::MinMaxUnion, "MinMaxUnion", "Min Max CSG Union", true,
         []() -> BlobTreeNodeSceneObject* {
             return new MinMaxUnionSceneObject(new MinMaxUnionNode(new vi::MinMaxUnion()));
         }},
        {C::MinMaxDifference, NodeType::MinMaxDifference, "MinMaxDifference", "Min Max CSG Difference", true,
         []() -> BlobTreeNodeSceneObject* {
             return new MinMaxDifferenceSceneObject(new MinMaxDifferenceNode(new vi::MinMaxDifference()));
         }},
        {C::MinMaxIntersection, NodeType::MinMaxIntersection, "MinMaxIntersection",
         "Min Max CSG Intersection", true,
         []() -> BlobTreeNodeSceneObject* {
             return new MinMaxIntersectionSceneObject(
                 new MinMaxIntersectionNode(new vi::MinMaxIntersection()));
         }},
        {C::RicciBlend, NodeType::RicciBlend, "RicciBlend", "Ricci Blend", true,
         []() -> BlobTreeNodeSceneObject* {
             return new RicciBlendSceneObject(new RicciBlendNode(new vi::RicciBlend()));
         }},
        {C::QuillonUnion, NodeType::QuillonUnion, "QuillonUnion", "", true,
         []() -> BlobTreeNodeSceneObject* {
             return new QuillonUnionSceneObject(new QuillonUnionNode(new vi::QuillonUnion()));
         }},
        {C::BartheSharpUnion, NodeType::BartheSharpUnion, "BartheSharpUnion", "Barthe Sharp Union", true,
         []() -> BlobTreeNodeSceneObject* {
             return new BartheSharpUnionSceneObject(new BartheSharpUnionNode(new vi::BartheSharpUnion()));
         }},
        {C::BartheSharpIntersection, NodeType::BartheSharpIntersection, "BartheSharpIntersection",
         "Barthe Sharp Intersection", true,
         []() -> BlobTreeNodeSceneObject* {
             return new BartheSharpIntersectionSceneObject(
                 new BartheSharpIntersectionNode(new vi::BartheSharpIntersection()));
         }},
        {C::VariationalWarp, NodeType::VariationalWarp, "VariationalWarp", "Variational Warp", true,
         []() -> BlobTreeNodeSceneObject* {
             return new VariationalWarpSceneObject(new VariationalWarpNode(new vi::VariationalWarp()));
         }},
        {C::DisplacementMap, NodeType::VariationalWarp, "DisplacementMap", "Variational Displacement Map",
         true,
         []() -> BlobTreeNodeSceneObject* {
             return new VariationalDisplacementMapSceneObject(
                 new VariationalWarpNode(new vi::VariationalWarp()));
         }},
        // The two curve sweeps differ only in the curve's degree: they share
        // the node type and the record name, which reads back as cubic.
        {C::CubicCurveSweep, NodeType::CurveSweep, "CurveSweep", "Cubic Curve Sweep", true,
         []() -> BlobTreeNodeSceneObject* {
             return new CurveSweepSceneObject(new CurveSweepNode(new vi::CubicBezierSweep()),
                                              C::CubicCurveSweep);
         }},
        {C::QuadraticCurveSweep, NodeType::CurveSweep, "CurveSweep", "Quadratic Curve Sweep", false,
         []() -> BlobTreeNodeSceneObject* {
             return new CurveSweepSceneObject(new CurveSweepNode(new vi::QuadraticBezierSweep()),
                                              C::QuadraticCurveSweep);
         }},
        {C::LinearSweepWarp, NodeType::LinearSweepWarp, "LinearSweepWarp", "Test Linear Sweep Warp", true,
         []() -> BlobTreeNodeSceneObject* {
             return new LinearSweepWarpSceneObject(new LinearSweepWarpNode(new vi::LinearSweepWarp()));
         }},
        {C::BartheSharpDifference, NodeType::BartheSharpDifference, "BartheSharpDifference",
         "Barthe Sharp Difference", true,
         []() -> BlobTreeNodeSceneObject* {
             return new BartheSharpDifferenceSceneObject(
                 new BartheSharpDifferenceNode(new vi::BartheSharpDifference()));
         }},
        {C::BartheSmoothDifference, NodeType::BartheSmoothDifference, "BartheSmoothDifference",
         "Barthe Smooth Difference", true,
         []() -> BlobTreeNodeSceneObject* {
             return new BartheSmoothDifferenceSceneObject(
                 new BartheSmoothDifferenceNode(new vi::BartheSmoothDifference()));
         }},
        {C::CurveSet, NodeType::CurveSet, "CurveSet", "", true,
         []() -> BlobTreeNodeSceneObject* {
             return new CurveSetSceneObject(new CurveSetNode(new vi::CurveSet()));
         }},
        {C::Twist, NodeType::BarrWarp, "Twist", "Twist", true,
         []() -> BlobTreeNodeSceneObject* {
             return new BarrWarpSceneObject_Twist(new BarrWarpNode(new vi::BarrWarp(vi::BarrWarp::TWIST)));
         }},
        {C::Taper, NodeType::BarrWarp, "Taper", "Taper", true,
         []() -> BlobTreeNodeSceneObject* {
             return new BarrWarpSceneObject_Taper(new BarrWarpNode(new vi::BarrWarp(vi::BarrWarp::TAPER)));
         }},
        {C::Bend, NodeType::BarrWarp, "Bend", "Bend", true,
         []() -> BlobTreeNodeSceneObject* {
             return new BarrWarpSceneObject_Bend(new BarrWarpNode(new vi::BarrWarp(vi::BarrWarp::BEND)));
         }},
        {C::Hollow, NodeType::Hollow, "Hollow", "Hollow Operator", true,
         []() -> BlobTreeNodeSceneObject* {
             return new HollowSceneObject(new HollowNode(new vi::HollowOperator()));
         }},
        {C::Mirror, NodeType::Mirror, "Mirror", "Mirror Operator", true,
         []() -> BlobTreeNodeSceneObject* {
             return new MirrorSceneObject(new MirrorNode(new vi::MirrorOperator()));
         }},
        {C::Group, NodeType::Cache, "Group", "Make Part", true,
         []() -> BlobTreeNodeSceneObject* { return new PartGroupSO(new CacheNode(new vi::MinMaxUnion())); }},
    };
}

}  // namespace

const std::vector<ShapeType>& ShapeTypeTable::All()
{
    static const std::vector<ShapeType> rows = BuildRows();
    return rows;
}

const ShapeType* ShapeTypeTable::FindByCode(int code)
{
    for (const ShapeType& row : All())
        if (row.code == code) return &row;
    return nullptr;
}

const ShapeType* ShapeTypeTable::FindByRecordName(const char* name)
{
    if (!name) return nullptr;
    for (const ShapeType& row : All())
        if (row.nameDefault && std::strcmp(row.recordName, name) == 0) return &row;
    return nullptr;
}

const ShapeType* ShapeTypeTable::FindByRecordName(const std::string& name)
{
    // Compared as a whole: a name with a stray NUL inside is no type's name.
    for (const ShapeType& row : All())
        if (row.nameDefault && name == row.recordName) return &row;
    return nullptr;
}

const ShapeType* ShapeTypeTable::FindByMenuText(const std::string& text)
{
    if (text.empty()) return nullptr;
    for (const ShapeType& row : All())
        if (text == row.menuText) return &row;
    return nullptr;
}

std::vector<const ShapeType*> ShapeTypeTable::FindByNodeType(NodeType type)
{
    std::vector<const ShapeType*> rows;
    for (const ShapeType& row : All())
        if (row.nodeType == type) rows.push_back(&row);
    return rows;
}

const char* ShapeTypeTable::RecordName(int code)
{
    const ShapeType* row = FindByCode(code);
    return row ? row->recordName : nullptr;
}

int ShapeTypeTable::CodeOfRecordName(const std::string& name)
{
    const ShapeType* row = FindByRecordName(name);
    return row ? row->code : -1;
}

int ShapeTypeTable::TypeCodeForRecord(const Wml::SerializerRecord& record)
{
    const int code = CodeOfRecordName(record.GetTypeName());
    if (code != ShapeCode::CubicCurveSweep) return code;
    int degree = 0;
    if (record.GetValue("CurveDegree", degree, 0)) return degree == 2 ? ShapeCode::QuadraticCurveSweep : code;
    // Older records name no degree: the number of control points tells.
    std::vector<Wml::Vector3<float>> points;
    unsigned int count = 0;
    if (record.GetValue("ControlPoints", points, count) && count == 3) return ShapeCode::QuadraticCurveSweep;
    return code;
}

}  // namespace vynui_bt
