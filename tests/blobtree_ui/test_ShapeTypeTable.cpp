// The table of shape types: lookups by code, record name, menu text and node
// type, what each row builds, and how older node records name their type.

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"
#include "implicit/sweeps/QuadraticBezierSweep.h"
#include "test_BaseFixtures.h"
#include "wml/DebugOutput.h"
#include "wml/DeprecatedSerializer.h"

using namespace kilnform_test;
using vynui_bt::BlobTreeNodeSceneObject;
using vynui_bt::ShapeCode;
using vynui_bt::ShapeType;
using vynui_bt::ShapeTypeTable;
using NodeType = vynbt::BlobTreeNode::NodeType;

namespace {

std::vector<int> Codes(const std::vector<const ShapeType*>& rows)
{
    std::vector<int> codes;
    for (const ShapeType* row : rows) codes.push_back(row->code);
    return codes;
}

}  // namespace

// ================================================================ the table

TEST(ShapeTypeTable, EveryRowRoundTripsAndBuildsItsOwnType)
{
    const std::vector<ShapeType>& rows = ShapeTypeTable::All();
    ASSERT_EQ(rows.size(), 29u);
    int previous = 0;
    for (const ShapeType& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_GT(row.code, previous) << "codes ascend, each once";
        previous = row.code;
        EXPECT_LE(row.code, 52);

        EXPECT_EQ(ShapeTypeTable::FindByCode(row.code), &row);
        ASSERT_NE(ShapeTypeTable::RecordName(row.code), nullptr);
        EXPECT_STREQ(ShapeTypeTable::RecordName(row.code), row.recordName);
        // code -> name -> code; a shared name comes back as its default row,
        // which builds the same kind of node.
        const ShapeType* back = ShapeTypeTable::FindByRecordName(row.recordName);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back == &row, row.nameDefault);
        EXPECT_STREQ(back->recordName, row.recordName);
        EXPECT_EQ(back->nodeType, row.nodeType);
        EXPECT_EQ(ShapeTypeTable::CodeOfRecordName(row.recordName), back->code);

        const std::vector<const ShapeType*> sameNode = ShapeTypeTable::FindByNodeType(row.nodeType);
        EXPECT_NE(std::find(sameNode.begin(), sameNode.end(), &row), sameNode.end());

        // The creator's object answers the row's code, name and node type, and
        // the factory builds the very same class for the code.
        std::unique_ptr<BlobTreeNodeSceneObject> made(row.create());
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetTypeCode(), row.code);
        EXPECT_STREQ(made->GetTypeName(), row.recordName);
        ASSERT_NE(made->GetNode(), nullptr);
        EXPECT_EQ(made->GetNode()->GetType(), row.nodeType);
        EXPECT_TRUE(made->FitsTypeCode(row.code));
        EXPECT_EQ(made->GetTree(), nullptr) << "the factory, not the table, puts it in a model";
        EXPECT_TRUE(made->GetParameterList()->GetParameters().empty());

        TestModel model;
        std::unique_ptr<BlobTreeNodeSceneObject> built(model.factory->CreateSceneObject(row.code));
        ASSERT_NE(built, nullptr);
        EXPECT_EQ(typeid(*built), typeid(*made));
        EXPECT_EQ(typeid(*built->GetNode()->GetScalarField()), typeid(*made->GetNode()->GetScalarField()));
    }
}

TEST(ShapeTypeTable, OnlyTheCurveSweepsShareARecordName)
{
    std::map<std::string, std::vector<const ShapeType*>> byName;
    for (const ShapeType& row : ShapeTypeTable::All()) byName[row.recordName].push_back(&row);
    for (const auto& entry : byName) {
        SCOPED_TRACE(entry.first);
        int defaults = 0;
        for (const ShapeType* row : entry.second) defaults += row->nameDefault ? 1 : 0;
        EXPECT_EQ(defaults, 1) << "every name maps back to exactly one code";
        if (entry.first == "CurveSweep") {
            EXPECT_EQ(Codes(entry.second), (std::vector<int>{41, 42}));
        } else {
            EXPECT_EQ(entry.second.size(), 1u);
        }
    }
    EXPECT_EQ(ShapeTypeTable::CodeOfRecordName("CurveSweep"), ShapeCode::CubicCurveSweep);
}

TEST(ShapeTypeTable, MenuTextsAndNodeTypes)
{
    // Menu texts name one type each.
    std::set<std::string> seen;
    for (const ShapeType& row : ShapeTypeTable::All()) {
        const std::string text = row.menuText;
        if (text.empty()) continue;
        EXPECT_TRUE(seen.insert(text).second) << text;
        EXPECT_EQ(ShapeTypeTable::FindByMenuText(text), &row) << text;
    }
    const std::vector<std::pair<std::string, int>> menus = {
        {"Point", 1},
        {"Capped Linear Sweep", 2},
        {"Bezier Curve", 6},
        {"Min Max CSG Difference", 11},
        {"Cubic Curve Sweep", 41},
        {"Quadratic Curve Sweep", 42},
        {"Barthe Smooth Difference", 45},
        {"Hollow Operator", 50},
        {"Mirror Operator", 51},
        {"Make Part", 52},
    };
    for (const auto& menu : menus) {
        const ShapeType* row = ShapeTypeTable::FindByMenuText(menu.first);
        ASSERT_NE(row, nullptr) << menu.first;
        EXPECT_EQ(row->code, menu.second) << menu.first;
    }
    for (int code : {4, 8, 14, 46}) EXPECT_STREQ(ShapeTypeTable::FindByCode(code)->menuText, "") << code;
    for (const char* text : {"", "Remove", "point", "Cylinder", "Hollow"})
        EXPECT_EQ(ShapeTypeTable::FindByMenuText(text), nullptr) << text;

    // Node types several codes build, and those no code builds.
    EXPECT_EQ(Codes(ShapeTypeTable::FindByNodeType(NodeType::VariationalWarp)), (std::vector<int>{17, 18}));
    EXPECT_EQ(Codes(ShapeTypeTable::FindByNodeType(NodeType::CurveSweep)), (std::vector<int>{41, 42}));
    EXPECT_EQ(Codes(ShapeTypeTable::FindByNodeType(NodeType::BarrWarp)), (std::vector<int>{47, 48, 49}));
    EXPECT_EQ(Codes(ShapeTypeTable::FindByNodeType(NodeType::Cache)), (std::vector<int>{52}));
    for (NodeType type : {NodeType::Root, NodeType::FastQuadricPointSet, NodeType::MultiSweep,
                          NodeType::BlackBoxCaching, static_cast<NodeType>(2), static_cast<NodeType>(-1)})
        EXPECT_TRUE(ShapeTypeTable::FindByNodeType(type).empty()) << static_cast<int>(type);
}

TEST(ShapeTypeTable, UnknownCodesAndNamesFindNothing)
{
    // Every code from far below to far above the table, and the extremes: the
    // table and the factory agree on which build something, and nothing that
    // fails is left in the model.
    TestModel model;
    std::vector<int> codes = {INT_MIN, INT_MIN + 1, -1000000, 1000000, INT_MAX - 1, INT_MAX};
    for (int code = -60; code <= 1060; ++code) codes.push_back(code);
    int built = 0;
    for (int code : codes) {
        const ShapeType* row = ShapeTypeTable::FindByCode(code);
        EXPECT_EQ(row != nullptr, ShapeTypeTable::RecordName(code) != nullptr) << code;
        std::unique_ptr<BlobTreeNodeSceneObject> object(model.factory->CreateSceneObject(code));
        EXPECT_EQ(object != nullptr, row != nullptr) << code;
        if (!row) {
            EXPECT_EQ(model.factory->CreateAndAttach(model.Root(), code, -1), nullptr) << code;
            EXPECT_EQ(model.factory->CreateAndAttach(nullptr, code, INT_MIN), nullptr) << code;
        }
        built += object ? 1 : 0;
    }
    EXPECT_EQ(built, 29);
    EXPECT_TRUE(model.Root()->GetChildren().empty());
    for (int code : {0, 5, 19, 30, 40, 53}) EXPECT_EQ(ShapeTypeTable::FindByCode(code), nullptr) << code;

    const std::vector<std::string> names = {
        "",      "RootNode", "BlobTreeNodeSO", "CompositionNodeSO",        "BlobTreeSO", "BarrWarp",
        "point", "Point ",   " Point",         std::string("Point\0x", 7), "CurveSweep2"};
    for (const std::string& name : names) {
        EXPECT_EQ(ShapeTypeTable::FindByRecordName(name), nullptr) << name;
        EXPECT_EQ(ShapeTypeTable::CodeOfRecordName(name), -1) << name;
    }
    EXPECT_EQ(ShapeTypeTable::FindByRecordName(static_cast<const char*>(nullptr)), nullptr);
}

TEST(ShapeTypeTable, CurveSweepToldAnotherTypesCodeKeepsACurveSweepCode)
{
    for (int told : std::vector<int>{ShapeCode::Point, ShapeCode::Root, -3, 5, 1042}) {
        vynui_bt::CurveSweepSceneObject sweep(
            new vynbt::CurveSweepNode(new vynimplicit::QuadraticBezierSweep()), told);
        EXPECT_EQ(sweep.GetTypeCode(), ShapeCode::CubicCurveSweep) << told;
    }
    vynui_bt::CurveSweepSceneObject quadratic(
        new vynbt::CurveSweepNode(new vynimplicit::QuadraticBezierSweep()), ShapeCode::QuadraticCurveSweep);
    EXPECT_EQ(quadratic.GetTypeCode(), ShapeCode::QuadraticCurveSweep);
}

// ======================================================= older node records

namespace {

/// An empty older-format record of the given record type (1000 + code for a node).
std::unique_ptr<WmlDeprecated::SerializerRecord> OldRecord(unsigned int recordType)
{
    return std::make_unique<WmlDeprecated::SerializerRecord>(7, recordType);
}

}  // namespace

TEST(OlderNodeRecords, AStoredTypeThatDoesNotDescribeTheObjectIsNotTakenOver)
{
    struct Case {
        const char* what;
        void (*fill)(WmlDeprecated::SerializerRecord&, int ownCode);
    };
    const std::vector<Case> cases = {
        {"missing", [](WmlDeprecated::SerializerRecord&, int) {}},
        {"a string", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", "10"); }},
        {"a float", [](WmlDeprecated::SerializerRecord& r, int own) { r.SetValue("NodeType", float(own)); }},
        {"an unsigned", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", 10u); }},
        {"a gap code 5", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", 5); }},
        {"a gap code 19", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", 19); }},
        {"a gap code 40", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", 40); }},
        {"the root's 0", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", 0); }},
        {"negative", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", -7); }},
        {"huge", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", INT_MAX); }},
        {"a leaf's code", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", 1); }},
        {"an operator's code", [](WmlDeprecated::SerializerRecord& r, int) { r.SetValue("NodeType", 10); }},
        {"the neighbour's code", [](WmlDeprecated::SerializerRecord& r,
                                    int own) { r.SetValue("NodeType", own == 52 ? 51 : own + 1); }},
        {"the previous code",
         [](WmlDeprecated::SerializerRecord& r, int own) { r.SetValue("NodeType", own == 1 ? 2 : own - 1); }},
    };
    // Plain types, and types whose node type other codes share (the node
    // alone cannot tell those apart).
    const std::vector<int> objects = {ShapeCode::Point,
                                      ShapeCode::MinMaxUnion,
                                      ShapeCode::VariationalWarp,
                                      ShapeCode::DisplacementMap,
                                      ShapeCode::CubicCurveSweep,
                                      ShapeCode::QuadraticCurveSweep,
                                      ShapeCode::Twist,
                                      ShapeCode::Taper,
                                      ShapeCode::Bend,
                                      ShapeCode::Group};
    TestModel model;
    for (int own : objects) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(own) + ", NodeType " + c.what);
            std::unique_ptr<BlobTreeNodeSceneObject> object(model.factory->CreateSceneObject(own));
            ASSERT_NE(object, nullptr);
            auto record = OldRecord(1000u + unsigned(own));
            c.fill(*record, own);
            int stored = own;
            const bool matches = record->GetValue("NodeType", stored, own) && stored == own;

            std::vector<std::string> trace;
            Wml::ScopedDebugOutputSink sink([&](const char* line) { trace.push_back(line); });
            EXPECT_TRUE(object->RestoreOld(record.get())) << "the node is kept, not refused";
            EXPECT_EQ(object->GetTypeCode(), own);
            EXPECT_EQ(trace.size(), matches ? 0u : 1u) << "a record naming another type is reported";

            // What a later save writes is still the object's own type.
            WmlDeprecated::Serializer serializer;
            WmlDeprecated::SerializerRecord* written = object->StoreOld(&serializer);
            ASSERT_NE(written, nullptr);
            EXPECT_EQ(written->GetType(), 1000u + unsigned(own));
            int nodeType = -1;
            EXPECT_TRUE(written->GetValue("NodeType", nodeType, -1));
            EXPECT_EQ(nodeType, own);
        }
    }
}

TEST(OlderNodeRecords, TheRootKeepsItsCode)
{
    TestModel model;
    for (int stored : {1, 9, 10, 52, -1}) {
        auto record = OldRecord(1000);
        record->SetValue("NodeType", stored);
        EXPECT_TRUE(model.Root()->RestoreOld(record.get()));
        EXPECT_EQ(model.Root()->GetTypeCode(), ShapeCode::Root) << stored;
    }
}

TEST(OlderNodeRecords, AnObjectWithADamagedCodeTakesTheTypeTheRecordGives)
{
    TestModel model;
    struct Case {
        unsigned int recordType;
        bool hasStored;
        int stored;
        int expected;
    };
    // The object is a point whose own code was lost (33 builds nothing).
    const std::vector<Case> cases = {
        {1001, true, 1, 1},    // both say point
        {1001, false, 0, 1},   // no NodeType: the record's type says point
        {1001, true, 10, 1},   // NodeType of another type: the record's type
        {1001, true, 5, 1},    // NodeType of no type: the record's type
        {1099, true, 1, 1},    // a record type of no type: NodeType
        {1010, true, 10, 33},  // nothing describes a point: left as it was
        {7, false, 0, 33},     // record type below the shift
        {UINT_MAX, false, 0, 33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.recordType) + " / " + std::to_string(c.stored));
        std::unique_ptr<BlobTreeNodeSceneObject> point(model.factory->CreateSceneObject(ShapeCode::Point));
        point->SetTypeCode(33);
        EXPECT_FALSE(point->FitsTypeCode(33));
        auto record = OldRecord(c.recordType);
        if (c.hasStored) record->SetValue("NodeType", c.stored);
        EXPECT_TRUE(point->RestoreOld(record.get()));
        EXPECT_EQ(point->GetTypeCode(), c.expected);
    }
}
