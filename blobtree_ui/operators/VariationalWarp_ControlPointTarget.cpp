#include "blobtree_ui/operators/VariationalWarp_ControlPointTarget.h"

#include <GL/gl.h>

#include <vector>

#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"

namespace vynui_bt {

VariationalWarp_ControlPointTarget::VariationalWarp_ControlPointTarget(BlobTreeNodeSceneObject* owner,
                                                                       vynbt::VariationalWarpNode* node,
                                                                       unsigned int index)
    : m_owner(owner), m_node(node), m_index(index)
{
    SetTarget(this);
}

bool VariationalWarp_ControlPointTarget::GetSegment(Wml::Vector3<float>& from, Wml::Vector3<float>& to)
{
    if (!m_owner || !m_node) return false;
    ModelLock lock = m_owner->LockModel();
    return m_node->GetWarpPointSet().GetPoint(m_index, from, to);
}

Wml::Vector3<float> VariationalWarp_ControlPointTarget::GetPosition()
{
    Wml::Vector3<float> from, to;
    if (!GetSegment(from, to)) return Wml::Vector3<float>::ZERO;
    return to;
}

void VariationalWarp_ControlPointTarget::SetPosition(const Wml::Vector3<float>& position, bool relative)
{
    if (!m_owner || !m_node) return;
    ModelLock lock = m_owner->LockModel();
    Wml::Vector3<float> from, to;
    if (!m_node->GetWarpPointSet().GetPoint(m_index, from, to)) return;
    // The node refuses non-finite points, so a bad drag leaves the warp as it was.
    m_node->SetWarpPointSetPoint(m_index, from, relative ? to + position : position);
}

vynui::SceneObject* VariationalWarp_ControlPointTarget::Pick(const Wml::Ray3<float>& ray, float& t)
{
    Wml::Vector3<float> from, to;
    if (!GetSegment(from, to)) return nullptr;
    return GenericPointSceneObject::Pick(ray, t);
}

void VariationalWarp_ControlPointTarget::Render(bool /*selected*/)
{
    if (!m_owner || !m_node) return;
    ModelLock lock = m_owner->LockModel();
    Wml::Vector3<float> from, to;
    if (!m_node->GetWarpPointSet().GetPoint(m_index, from, to)) return;
    glPushAttrib(GL_CURRENT_BIT);
    glColor3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_POINTS);
    glVertex3f(to.X(), to.Y(), to.Z());
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex3f(to.X(), to.Y(), to.Z());
    glVertex3f(from.X(), from.Y(), from.Z());
    glEnd();
    glPopAttrib();
}

void VariationalWarp_ControlPointTarget::SyncHandles(BlobTreeNodeSceneObject* owner,
                                                     vynbt::VariationalWarpNode* node)
{
    if (!owner) return;
    unsigned int count = 0;
    if (node) {
        ModelLock lock = owner->LockModel();
        count = node->GetWarpPointSet().GetNumPoints();
    }
    // Copy: RemoveHandle changes the list being read.
    std::vector<vynui::SceneObject*> handles = owner->GetHandles();
    while (handles.size() > count) {
        vynui::SceneObject* handle = handles.back();
        handles.pop_back();
        owner->RemoveHandle(handle);
        delete handle;
    }
    for (unsigned int i = static_cast<unsigned int>(handles.size()); i < count; ++i)
        owner->AddHandle(new VariationalWarp_ControlPointTarget(owner, node, i));
}

void VariationalWarp_ControlPointTarget::DeleteHandles(BlobTreeNodeSceneObject* owner)
{
    if (!owner) return;
    std::vector<vynui::SceneObject*> handles = owner->GetHandles();
    owner->ClearHandles();
    for (vynui::SceneObject* handle : handles) delete handle;
}

}  // namespace vynui_bt
