#include "blobtree_ui/operators/MirrorSceneObject.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "blobtree/nodes/MirrorNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/MirrorSceneObjectParameters.h"

namespace vynui_bt {

MirrorSceneObject::MirrorSceneObject(vynbt::MirrorNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::Mirror, ShapeTypeTable::RecordName(ShapeCode::Mirror))
{
}

const char* MirrorSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Mirror);
}

void MirrorSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddParameter(new MirrorParameter_Side(this));
    AddParameter(new MirrorParameter_SmoothWidth(this));
    AddParameter(new MirrorParameter_BlendPower(this));
}

vynbt::MirrorNode* MirrorSceneObject::GetMirrorNode() const
{
    return static_cast<vynbt::MirrorNode*>(GetNode());
}

void MirrorSceneObject::ComputePlaneHalfExtents(const Wml::Frame3<float>& plane,
                                                const Wml::AxisAlignedBox3<float>& bounds, float& halfX,
                                                float& halfY)
{
    // Below this the quad would be too small to see or grab.
    const float kSmallest = 0.1f;
    halfX = halfY = 1.0f;
    if (bounds.IsEmpty()) return;
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(bounds.Min(i)) || !std::isfinite(bounds.Max(i))) return;
    const Wml::Vector3<float> x = plane.X(), y = plane.Y();
    float ex = 0.0f, ey = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const Wml::Vector3<float> p((corner & 1) ? bounds.Max(0) : bounds.Min(0),
                                    (corner & 2) ? bounds.Max(1) : bounds.Min(1),
                                    (corner & 4) ? bounds.Max(2) : bounds.Min(2));
        const Wml::Vector3<float> d = p - plane.Origin();
        ex = std::max(ex, std::fabs(d.Dot(x)));
        ey = std::max(ey, std::fabs(d.Dot(y)));
    }
    if (std::isfinite(ex) && ex >= kSmallest) halfX = ex;
    if (std::isfinite(ey) && ey >= kSmallest) halfY = ey;
}

void MirrorSceneObject::GetPlaneQuad(Wml::Vector3<float> corners[4])
{
    Wml::Frame3<float> plane;
    Wml::AxisAlignedBox3<float> bounds;
    {
        ModelLock lock = LockModel();
        GetMirrorNode()->GetFrame(plane);
        GetMirrorNode()->FieldBounds(bounds);
    }
    float hx = 1.0f, hy = 1.0f;
    ComputePlaneHalfExtents(plane, bounds, hx, hy);
    const Wml::Vector3<float> o = plane.Origin(), x = plane.X() * hx, y = plane.Y() * hy;
    corners[0] = o - x - y;
    corners[1] = o + x - y;
    corners[2] = o + x + y;
    corners[3] = o - x + y;
}

void MirrorSceneObject::Render(bool selected)
{
    Wml::Vector3<float> c[4];
    GetPlaneQuad(c);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POLYGON_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, selected ? 0.2f : 0.1f);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) glVertex3f(c[i].X(), c[i].Y(), c[i].Z());
    glEnd();
    glDisable(GL_BLEND);
    if (selected) {
        glLineWidth(3.0f);
        glColor3f(1.0f, 0.0f, 0.0f);
        glBegin(GL_LINE_LOOP);
        for (int i = 0; i < 4; ++i) glVertex3f(c[i].X(), c[i].Y(), c[i].Z());
        glEnd();
    }
    glPopAttrib();

    CompositionNodeSceneObject::Render(selected);
}

}  // namespace vynui_bt
