#include "blobtree_ui/leaves/BezierCurveSceneObject.h"

#include <GL/gl.h>

#include "blobtree/nodes/BezierCurveNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/BezierCurveSceneObjectParameters.h"
#include "blobtree_ui/leaves/BezierCurve_ControlPointTarget.h"
#include "blobtree_ui/leaves/CurveDrawing.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "wml/Serializer.h"

namespace vynui_bt {

BezierCurveSceneObject::BezierCurveSceneObject(vynbt::BezierCurveNode* node)
    : BlobTreeNodeSceneObject(node, ShapeCode::BezierCurve,
                              ShapeTypeTable::RecordName(ShapeCode::BezierCurve))
{
}

BezierCurveSceneObject::~BezierCurveSceneObject()
{
    const std::vector<vynui::SceneObject*> handles = GetHandles();
    ClearHandles();
    for (vynui::SceneObject* handle : handles) delete handle;
}

vynbt::BezierCurveNode* BezierCurveSceneObject::GetCurveNode() const
{
    return static_cast<vynbt::BezierCurveNode*>(GetNode());
}

const char* BezierCurveSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::BezierCurve);
}

void BezierCurveSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new BezierCurveParameter_Radius(this));
    AddParameter(new BezierCurveParameter_BlendAngle(this));
    AddParameter(new BezierCurveParameter_EvalMode(this));
    AddParameter(new BezierCurveParameter_ApproximationLevel(this));
    UpdateControlPointHandles();
}

void BezierCurveSceneObject::UpdateControlPointHandles()
{
    unsigned int count = 0;
    {
        ModelLock lock = LockModel();
        count = GetCurveNode()->GetCurve()->GetNumControlPoints();
    }
    // Handles that still match stay, so selections of them stay valid.
    if (GetHandles().size() == count) return;
    const std::vector<vynui::SceneObject*> old = GetHandles();
    ClearHandles();
    for (vynui::SceneObject* handle : old) delete handle;
    for (unsigned int i = 0; i < count; ++i) AddHandle(new BezierCurve_ControlPointTarget(this, i));
}

bool BezierCurveSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!BlobTreeNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    record->SetValue("ControlPoints", GetCurveNode()->GetCurve()->GetControlPoints());
    return true;
}

bool BezierCurveSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    bool ok = true;
    std::vector<Wml::Vector3<float>> points;
    unsigned int count = 0;
    if (record->GetValue("ControlPoints", points, count)) {
        // The curve takes at most MAX_CONTROL_POINTS; a longer list is refused
        // before anything is read into memory.
        if (count >= 2 && count <= vynimplicit::BezierCurve::MAX_CONTROL_POINTS) {
            points.resize(count);
            record->GetValue("ControlPoints", points, count);
            ModelLock lock = LockModel();
            vynbt::BezierCurveNode* node = GetCurveNode();
            Wml::AxisAlignedBox3<float> before;
            node->ChildModifiedHack_BeforeChange(before);
            ok = node->GetCurve()->SetControlPoints(points);
            node->ChildModifiedHack_AfterChange(before);
        } else {
            ok = false;
        }
    }
    const bool baseOk = BlobTreeNodeSceneObject::Restore(serializer, record);
    UpdateControlPointHandles();
    return ok && baseOk;
}

std::vector<Wml::Vector3<float>> BezierCurveSceneObject::GetCurveSamples() const
{
    ModelLock lock = LockModel();
    const vynimplicit::BezierCurve* curve = GetCurveNode()->GetCurve();
    return SampleCurvePositions(*curve, NUM_DRAW_SAMPLES);
}

std::vector<Wml::Vector3<float>> BezierCurveSceneObject::GetWorldControlPoints() const
{
    ModelLock lock = LockModel();
    const vynimplicit::BezierCurve* curve = GetCurveNode()->GetCurve();
    std::vector<Wml::Vector3<float>> points;
    for (unsigned int i = 0; i < curve->GetNumControlPoints(); ++i)
        points.push_back(curve->GetWorldControlPoint(i));
    return points;
}

void BezierCurveSceneObject::Render(bool selected)
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
