#pragma once
// The one list of shape types a model can hold: for every factory type code,
// the tree node type it builds, the record type name the scene file uses, the
// scene-object class (through a creator) and the menu text that adds it.
// The factory builds from it, the scene objects answer their codes and names
// from it, and files, menus and undo look types up in it.
//
// Two numberings meet here and must not be mixed: factory codes (1 to 52,
// with gaps) and the tree library's node types (0 to 30). Several codes may
// share a node type (the warps, the curve sweeps); two codes share a record
// name ("CurveSweep", cubic 41 and quadratic 42), and the row marked as the
// name's default (41) is the one the name maps back to.

#include <string>
#include <vector>

#include "blobtree/BlobTreeNode.h"

namespace Wml {
class SerializerRecord;
}

namespace vynui_bt {

class BlobTreeNodeSceneObject;

/// The factory type codes by name. The root's code 0 has no row: only the
/// factory's constructor makes a root.
struct ShapeCode {
    enum : int {
        Root = 0,
        Point = 1,
        CappedLinearSweep = 2,
        Revolution = 3,
        Cylinder = 4,
        BezierCurve = 6,
        InterpolatingLinearSweep = 7,
        PolyLine = 8,
        SumBlend = 9,
        MinMaxUnion = 10,
        MinMaxDifference = 11,
        MinMaxIntersection = 12,
        RicciBlend = 13,
        QuillonUnion = 14,
        BartheSharpUnion = 15,
        BartheSharpIntersection = 16,
        VariationalWarp = 17,
        DisplacementMap = 18,
        CubicCurveSweep = 41,
        QuadraticCurveSweep = 42,
        LinearSweepWarp = 43,
        BartheSharpDifference = 44,
        BartheSmoothDifference = 45,
        CurveSet = 46,
        Twist = 47,
        Taper = 48,
        Bend = 49,
        Hollow = 50,
        Mirror = 51,
        Group = 52,
    };
};

/// One row of the table.
struct ShapeType {
    /// Builds the outside object, its node and the scene object around it.
    /// The object is detached, belongs to no model yet and has no parameters.
    using Creator = BlobTreeNodeSceneObject* (*)();

    int code;
    vynbt::BlobTreeNode::NodeType nodeType;
    /// The record type written to and read from the scene file; also the
    /// object's GetTypeName and the base of its unique name.
    const char* recordName;
    /// The "Shapes" menu command that adds the type; "" when none does.
    const char* menuText;
    /// True on the row a shared record name maps back to.
    bool nameDefault;
    Creator create;
};

class ShapeTypeTable {
public:
    /// Every row, in ascending code order.
    static const std::vector<ShapeType>& All();

    /// The row of a code; null for a code without a type (the root's 0,
    /// negative, gaps, beyond 52).
    static const ShapeType* FindByCode(int code);
    /// The row a record name maps to (the default row when codes share the
    /// name); null for an unknown or null name.
    static const ShapeType* FindByRecordName(const char* name);
    static const ShapeType* FindByRecordName(const std::string& name);
    /// The row a menu command adds; null for other texts (and for "").
    static const ShapeType* FindByMenuText(const std::string& text);
    /// Every row whose code builds a node of that type, in code order; empty
    /// for node types no code builds.
    static std::vector<const ShapeType*> FindByNodeType(vynbt::BlobTreeNode::NodeType type);

    /// The record name of a code, or null for a code without a type.
    static const char* RecordName(int code);
    /// The code a record name maps to, or -1 when no type has the name.
    static int CodeOfRecordName(const std::string& name);
    /// The code to create for a stored object's record: the code of its
    /// record type, except that a "CurveSweep" record of degree 2 (its
    /// "CurveDegree", or, in records written before that key, three
    /// "ControlPoints") answers the quadratic code 42. -1 when no type has
    /// the record's name.
    static int TypeCodeForRecord(const Wml::SerializerRecord& record);
};

}  // namespace vynui_bt
