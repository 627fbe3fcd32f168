#include "blobtree_ui/leaves/PolyLineSceneObject.h"

#include <GL/gl.h>

#include <algorithm>

#include "blobtree/nodes/PolyLineNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/LeafParameter.h"
#include "blobtree_ui/leaves/PolyLineSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

const char* const NUM_POINTS_KEY = "PolyLineNumPoints";
const char* const POINTS_KEY = "PolyLinePoints";

}  // namespace

PolyLineSceneObject::PolyLineSceneObject(vynbt::PolyLineNode* node)
    : BlobTreeNodeSceneObject(node, ShapeCode::PolyLine, ShapeTypeTable::RecordName(ShapeCode::PolyLine))
{
}

vynbt::PolyLineNode* PolyLineSceneObject::GetPolyLineNode() const
{
    return static_cast<vynbt::PolyLineNode*>(GetNode());
}

const char* PolyLineSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::PolyLine);
}

void PolyLineSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new PolyLineParameter_Radius(this));
    AddParameter(new PolyLineParameter_Taper(this));
}

std::vector<Wml::Vector3<float>> PolyLineSceneObject::GetWorldVertices() const
{
    ModelLock lock = LockModel();
    const vynimplicit::PolyLinePrimitive* polyLine = GetPolyLineNode()->GetPolyLine();
    const Wml::Frame3<float>& frame = polyLine->GetFrame();
    std::vector<Wml::Vector3<float>> points;
    points.reserve(polyLine->GetNumVertices());
    for (const Wml::Vector3<float>& v : polyLine->GetVertices()) points.push_back(frame.ToWorldPoint(v));
    return points;
}

void PolyLineSceneObject::Render(bool selected)
{
    const std::vector<Wml::Vector3<float>> points = GetWorldVertices();
    if (selected)
        glColor3f(1.0f, 0.0f, 0.0f);
    else
        glColor3f(0.0f, 0.0f, 1.0f);
    glLineWidth(1.0f);
    glBegin(GL_LINE_STRIP);
    for (const Wml::Vector3<float>& p : points) glVertex3f(p.X(), p.Y(), p.Z());
    glEnd();
    glPointSize(5.0f);
    glBegin(GL_POINTS);
    for (const Wml::Vector3<float>& p : points) glVertex3f(p.X(), p.Y(), p.Z());
    glEnd();
    BlobTreeNodeSceneObject::Render(selected);
}

bool PolyLineSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!BlobTreeNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    const vynimplicit::PolyLinePrimitive* polyLine = GetPolyLineNode()->GetPolyLine();
    record->SetValue(NUM_POINTS_KEY, polyLine->GetNumVertices());
    record->SetValue(POINTS_KEY, polyLine->GetVertices());
    return true;
}

bool PolyLineSceneObject::AppendStoredPoints(const Wml::SerializerRecord& record)
{
    unsigned int count = 0;
    if (!record.GetValue(NUM_POINTS_KEY, count, 0u)) {
        // Some writers keep the count as a signed number.
        int signedCount = 0;
        if (!record.GetValue(NUM_POINTS_KEY, signedCount, 0)) return true;
        if (signedCount < 0) return false;
        count = static_cast<unsigned int>(signedCount);
    }
    // The count is only trusted up to the number of points really stored, so
    // a hostile count neither allocates nor reads past the data.
    std::vector<Wml::Vector3<float>> points;
    unsigned int stored = 0;
    if (!record.GetValue(POINTS_KEY, points, stored)) stored = 0;
    points.resize(stored);
    if (stored > 0 && !record.GetValue(POINTS_KEY, points, stored)) stored = 0;
    const unsigned int n = std::min(count, stored);

    bool ok = (n == count);
    if (n == 0) return ok;
    ModelLock lock = LockModel();
    vynbt::PolyLineNode* node = GetPolyLineNode();
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    for (unsigned int i = 0; i < n; ++i) ok = node->GetPolyLine()->AppendVertex(points[i]) && ok;
    node->ChildModifiedHack_AfterChange(before);
    return ok;
}

bool PolyLineSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!BlobTreeNodeSceneObject::Restore(serializer, record)) return false;
    const bool ok = AppendStoredPoints(*record);
    Notify(nullptr);
    return ok;
}

bool PolyLineSceneObject::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    if (!record) return false;
    // Points first: the stored frame is then applied to the whole line.
    const bool pointsOk = AppendStoredPoints(record->Values());
    const bool baseOk = BlobTreeNodeSceneObject::RestoreOld(record);
    Notify(nullptr);
    return pointsOk && baseOk;
}

WmlDeprecated::SerializerRecord* PolyLineSceneObject::StoreOld(WmlDeprecated::Serializer* serializer)
{
    WmlDeprecated::SerializerRecord* record = BlobTreeNodeSceneObject::StoreOld(serializer);
    if (!record) return nullptr;
    ModelLock lock = LockModel();
    const vynimplicit::PolyLinePrimitive* polyLine = GetPolyLineNode()->GetPolyLine();
    record->SetValue(NUM_POINTS_KEY, polyLine->GetNumVertices());
    record->SetValue(POINTS_KEY, polyLine->GetVertices());
    return record;
}

}  // namespace vynui_bt
