#include "blobtree_ui/operators/VariationalDisplacementMapSceneObject.h"

#include <GL/gl.h>

#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/VariationalDisplacementMapSceneObjectParameters.h"
#include "blobtree_ui/operators/VariationalWarp_ControlPointTarget.h"
#include "blobtree_ui/operators/WarpPointRecord.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

VariationalDisplacementMapSceneObject::VariationalDisplacementMapSceneObject(vynbt::VariationalWarpNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::DisplacementMap,
                                 ShapeTypeTable::RecordName(ShapeCode::DisplacementMap))
{
}

VariationalDisplacementMapSceneObject::~VariationalDisplacementMapSceneObject()
{
    VariationalWarp_ControlPointTarget::DeleteHandles(this);
}

const char* VariationalDisplacementMapSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::DisplacementMap);
}

void VariationalDisplacementMapSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new VariationalDisplacementMapParameter_Radius(this));
    AddParameter(new VariationalDisplacementMapParameter_Smoothing(this));
    UpdateWarpHandles();
}

bool VariationalDisplacementMapSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!CompositionNodeSceneObject::Store(serializer, record)) return false;
    WarpPointRecord::Store(this, GetVariationalWarpNode(), record);
    return true;
}

bool VariationalDisplacementMapSceneObject::Restore(Wml::Serializer* serializer,
                                                    Wml::SerializerRecord* record)
{
    const bool base = CompositionNodeSceneObject::Restore(serializer, record);
    const bool warp = record && WarpPointRecord::Restore(this, GetVariationalWarpNode(), record);
    UpdateWarpHandles();
    return base && warp;
}

void VariationalDisplacementMapSceneObject::UpdateWarpHandles()
{
    VariationalWarp_ControlPointTarget::SyncHandles(this, GetVariationalWarpNode());
}

std::vector<std::pair<Wml::Vector3<float>, Wml::Vector3<float>>>
VariationalDisplacementMapSceneObject::GetWarpSegments()
{
    std::vector<std::pair<Wml::Vector3<float>, Wml::Vector3<float>>> segments;
    ModelLock lock = LockModel();
    const vynimplicit::WarpPointSet& points = GetVariationalWarpNode()->GetWarpPointSet();
    segments.reserve(points.GetNumPoints());
    for (unsigned int i = 0; i < points.GetNumPoints(); ++i)
        segments.emplace_back(points.GetFrom(i), points.GetTo(i));
    return segments;
}

void VariationalDisplacementMapSceneObject::Render(bool selected)
{
    if (selected) {
        const auto segments = GetWarpSegments();
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_LINES);
        for (const auto& s : segments) {
            glVertex3f(s.first.X(), s.first.Y(), s.first.Z());
            glVertex3f(s.second.X(), s.second.Y(), s.second.Z());
        }
        glEnd();
        glPopAttrib();
    }
    CompositionNodeSceneObject::Render(selected);
}

vynbt::VariationalWarpNode* VariationalDisplacementMapSceneObject::GetVariationalWarpNode() const
{
    return static_cast<vynbt::VariationalWarpNode*>(GetNode());
}

}  // namespace vynui_bt
