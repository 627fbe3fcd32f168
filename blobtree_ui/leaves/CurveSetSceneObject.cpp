#include "blobtree_ui/leaves/CurveSetSceneObject.h"

#include <GL/gl.h>

#include "blobtree/nodes/CurveSetNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "wml/Serializer.h"

namespace vynui_bt {

CurveSetSceneObject::CurveSetSceneObject(vynbt::CurveSetNode* node)
    : BlobTreeNodeSceneObject(node, ShapeCode::CurveSet, ShapeTypeTable::RecordName(ShapeCode::CurveSet))
{
}

vynbt::CurveSetNode* CurveSetSceneObject::GetCurveSetNode() const
{
    return static_cast<vynbt::CurveSetNode*>(GetNode());
}

const char* CurveSetSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::CurveSet);
}

bool CurveSetSceneObject::AddCurve(const std::vector<Wml::Vector3<float>>& points, float radius)
{
    ModelLock lock = LockModel();
    vynbt::CurveSetNode* node = GetCurveSetNode();
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    const bool added = node->GetCurveSet()->AddCurve(points, radius);
    node->ChildModifiedHack_AfterChange(before);
    return added;
}

bool CurveSetSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!BlobTreeNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    const vynimplicit::CurveSet* curves = GetCurveSetNode()->GetCurveSet();
    std::vector<unsigned int> sizes;
    std::vector<Wml::Vector3<float>> points;
    std::vector<float> radii;
    for (unsigned int i = 0; i < curves->GetNumCurves(); ++i) {
        const std::vector<Wml::Vector3<float>>& curve = curves->GetCurve(i);
        sizes.push_back(static_cast<unsigned int>(curve.size()));
        points.insert(points.end(), curve.begin(), curve.end());
        radii.push_back(curves->GetCurveRadius(i));
    }
    if (sizes.empty()) return true;
    record->SetValue("CurveSizes", sizes);
    record->SetValue("CurvePoints", points);
    record->SetValue("CurveRadii", radii);
    return true;
}

namespace {

template <class T>
std::vector<T> ReadStoredVector(const Wml::SerializerRecord& record, const char* key)
{
    std::vector<T> values;
    unsigned int count = 0;
    if (!record.GetValue(key, values, count)) return {};
    values.resize(count);
    if (count > 0 && !record.GetValue(key, values, count)) return {};
    return values;
}

}  // namespace

bool CurveSetSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    bool ok = true;
    if (record->HasKey("CurveSizes")) {
        const auto sizes = ReadStoredVector<unsigned int>(*record, "CurveSizes");
        const auto points = ReadStoredVector<Wml::Vector3<float>>(*record, "CurvePoints");
        const auto radii = ReadStoredVector<float>(*record, "CurveRadii");
        ok = !sizes.empty() && sizes.size() == radii.size();
        size_t next = 0;
        for (size_t i = 0; i < sizes.size() && i < radii.size(); ++i) {
            // Sizes are checked against the points really stored.
            if (sizes[i] > points.size() - next) {
                ok = false;
                break;
            }
            const std::vector<Wml::Vector3<float>> curve(points.begin() + next,
                                                         points.begin() + next + sizes[i]);
            next += sizes[i];
            ok = AddCurve(curve, radii[i]) && ok;
        }
    }
    const bool baseOk = BlobTreeNodeSceneObject::Restore(serializer, record);
    return ok && baseOk;
}

void CurveSetSceneObject::Render(bool selected)
{
    const Wml::Vector3<float> origin = GetFrame().Origin();
    if (selected)
        glColor3f(1.0f, 0.0f, 0.0f);
    else
        glColor3f(0.0f, 0.0f, 1.0f);
    glPointSize(5.0f);
    glBegin(GL_POINTS);
    glVertex3f(origin.X(), origin.Y(), origin.Z());
    glEnd();
    BlobTreeNodeSceneObject::Render(selected);
}

}  // namespace vynui_bt
