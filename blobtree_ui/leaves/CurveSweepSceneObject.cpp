#include "blobtree_ui/leaves/CurveSweepSceneObject.h"

#include <GL/gl.h>

#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CurveDrawing.h"
#include "blobtree_ui/leaves/CurveSweepSceneObjectParameters.h"
#include "blobtree_ui/leaves/CurveSweep_ControlPointTarget.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "blobtree_ui/leaves/LeafParameter.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

// Only the two curve-sweep codes describe this object; any other would be
// written to files as a different type, so the name's own code stands in.
int CurveSweepCode(int typeCode)
{
    const ShapeType* type = ShapeTypeTable::FindByCode(typeCode);
    if (type && type->nodeType == vynbt::BlobTreeNode::NodeType::CurveSweep) return typeCode;
    return ShapeCode::CubicCurveSweep;
}

}  // namespace

CurveSweepSceneObject::CurveSweepSceneObject(vynbt::CurveSweepNode* node, int typeCode)
    : ProfiledLeafSceneObject(node, CurveSweepCode(typeCode),
                              ShapeTypeTable::RecordName(ShapeCode::CubicCurveSweep))
{
}

CurveSweepSceneObject::~CurveSweepSceneObject()
{
    const std::vector<vynui::SceneObject*> handles = GetHandles();
    ClearHandles();
    for (vynui::SceneObject* handle : handles) delete handle;
    ReleaseProfile();
}

vynimplicit::ScalarField2D* CurveSweepSceneObject::CurrentTemplate() const
{
    return GetSweepNode()->GetSweep()->GetSweepTemplate();
}

void CurveSweepSceneObject::InstallTemplate(vynimplicit::ScalarField2D* profile)
{
    vynbt::CurveSweepNode* node = GetSweepNode();
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    node->GetSweep()->SetSweepTemplate(profile);
    node->ChildModifiedHack_AfterChange(before);
}

bool CurveSweepSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!BlobTreeNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    const vynimplicit::CurveSweep* sweep = GetSweepNode()->GetSweep();
    std::vector<Wml::Vector3<float>> points;
    for (unsigned int i = 0; i < sweep->GetNumControlPoints(); ++i)
        points.push_back(sweep->GetControlPoint(i));
    record->SetValue("ControlPoints", points);
    // Both kinds share the record type; the degree says which to make on load.
    record->SetValue("CurveDegree", static_cast<int>(sweep->GetNumControlPoints()) - 1);
    return StoreProfile(serializer, record);
}

bool CurveSweepSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    bool ok = RestoreProfile(serializer, record);
    std::vector<Wml::Vector3<float>> points;
    unsigned int count = 0;
    if (record->GetValue("ControlPoints", points, count)) {
        ModelLock lock = LockModel();
        vynbt::CurveSweepNode* node = GetSweepNode();
        vynimplicit::CurveSweep* sweep = node->GetSweep();
        // Only a list that fits this curve's degree is taken.
        if (count == sweep->GetNumControlPoints()) {
            points.resize(count);
            record->GetValue("ControlPoints", points, count);
            Wml::AxisAlignedBox3<float> before;
            node->ChildModifiedHack_BeforeChange(before);
            for (unsigned int i = 0; i < count; ++i) ok = sweep->SetControlPoint(i, points[i]) && ok;
            node->ChildModifiedHack_AfterChange(before);
        } else {
            ok = false;
        }
    }
    const bool baseOk = BlobTreeNodeSceneObject::Restore(serializer, record);
    return ok && baseOk;
}

vynbt::CurveSweepNode* CurveSweepSceneObject::GetSweepNode() const
{
    return static_cast<vynbt::CurveSweepNode*>(GetNode());
}

const char* CurveSweepSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::CubicCurveSweep);
}

void CurveSweepSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new CurveSweepParameter_Radius(this));
    AddParameter(new CurveSweepParameter_StartRotation(this));
    AddParameter(new CurveSweepParameter_FalloffLength(this));
    AddParameter(new CurveSweepParameter_CapStyle(this));
    AddParameter(new CurveSweepParameter_EndcapBlendAngle(this));
    AddParameter(new CurveSweepParameter_EvaluationMode(this));
    unsigned int count = 0;
    {
        ModelLock lock = LockModel();
        count = GetSweepNode()->GetSweep()->GetNumControlPoints();
    }
    for (unsigned int i = 0; i < count; ++i) AddHandle(new CurveSweep_ControlPointTarget(this, i));
}

std::vector<Wml::Vector3<float>> CurveSweepSceneObject::GetCurveSamples() const
{
    ModelLock lock = LockModel();
    const vynimplicit::CurveSweep* sweep = GetSweepNode()->GetSweep();
    return SampleCurvePositions(*sweep, NUM_DRAW_SAMPLES);
}

std::vector<Wml::Vector3<float>> CurveSweepSceneObject::GetWorldControlPoints() const
{
    ModelLock lock = LockModel();
    const vynimplicit::CurveSweep* sweep = GetSweepNode()->GetSweep();
    std::vector<Wml::Vector3<float>> points;
    for (unsigned int i = 0; i < sweep->GetNumControlPoints(); ++i)
        points.push_back(sweep->GetFrame().ToWorldPoint(sweep->GetControlPoint(i)));
    return points;
}

void CurveSweepSceneObject::Render(bool selected)
{
    if (selected) {
        glColor3f(1.0f, 0.0f, 0.0f);
        DrawAxisSegment(GetFrame());
        DrawStrip(GetCurveSamples(), 2.0f);
        DrawStrip(GetWorldControlPoints(), 1.0f);
    }
    BlobTreeNodeSceneObject::Render(selected);
}

}  // namespace vynui_bt
