#include "surface/SurfaceTreeNode.h"

#include <cmath>

#include "wml/Serializer.h"

namespace vynui {

SurfaceTreeNode::SurfaceTreeNode() : m_ownBVTree(&m_ownMesh) {}

SurfaceTreeNode::~SurfaceTreeNode()
{
    // Neighbours must not keep a pointer to a dead node.
    if (m_parent && m_parent->m_child == this) m_parent->m_child = nullptr;
    if (m_child && m_child->m_parent == this) m_child->m_parent = nullptr;
}

bool SurfaceTreeNode::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!NamedType::Store(serializer, record)) return false;
    record->SetValue("ParentID", m_parent ? m_parent->GetID() : NamedType::UNASSIGNED_ID);
    record->SetValue("ChildID", m_child ? m_child->GetID() : NamedType::UNASSIGNED_ID);
    record->SetValue("BoundsClipFudge", m_boundsClipFudge);
    return true;
}

bool SurfaceTreeNode::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    // Checked before anything is read, so a refused record changes nothing.
    float fudge = m_boundsClipFudge;
    if (record->HasKey("BoundsClipFudge")) {
        if (!record->GetValue("BoundsClipFudge", fudge, m_boundsClipFudge)) return false;
        // A hostile value would blow up every bound derived from it.
        if (!std::isfinite(fudge) || fudge <= 0.0f || fudge > 1000.0f) return false;
    }
    const bool named = NamedType::Restore(serializer, record);
    if (fudge != m_boundsClipFudge) SetBoundsClipFudge(fudge);
    return named;
}

const vynmesh::VFTriangleMesh* SurfaceTreeNode::GetMesh()
{
    if (m_validator) m_validator->Validate(this);
    if (!m_derived) return GetSourceMesh();
    if (!m_copyCurrent) {
        const vynmesh::VFTriangleMesh* source = GetSourceMesh();
        if (source) {
            m_scratch.resize(source->GetNumVertices());
            m_scratch.clear();
            m_ownMesh = *source;
        } else {
            m_ownMesh.Clear();
        }
        m_ownBVTree.Clear();
        m_copyCurrent = true;
        NotifyListeners(true);
    }
    return &m_ownMesh;
}

vynmesh::IMeshBVTree* SurfaceTreeNode::GetBVTree()
{
    GetMesh();
    if (m_derived && m_copyCurrent) return &m_ownBVTree;
    return GetOwnBVTree();
}

const vynmesh::VFTriangleMesh* SurfaceTreeNode::GetValidatedOwnMesh()
{
    if (m_validator) m_validator->Validate(this);
    return GetOwnMesh();
}

const std::vector<bool>* SurfaceTreeNode::GetValidatedMeshMask()
{
    if (m_validator) m_validator->Validate(this);
    return GetMeshMask();
}

const vynmesh::VFTriangleMesh* SurfaceTreeNode::GetSourceMesh()
{
    // A derived node copies the mesh of the node below it.
    if (m_child) return m_child->GetMesh();
    return &m_ownMesh;
}

void SurfaceTreeNode::Invalidate(bool changedInPlace)
{
    if (changedInPlace) {
        NotifyListeners(true);
    } else if (m_valid) {
        m_valid = false;
        NotifyListeners(false);
    }
    m_copyCurrent = false;
    if (m_parent) m_parent->Invalidate(false);
}

void SurfaceTreeNode::SetChild(SurfaceTreeNode* node)
{
    m_child = node;
    if (node) node->SetParent(this);
    Invalidate(false);
}

void SurfaceTreeNode::SetValid(bool valid)
{
    if (valid == m_valid) return;
    m_valid = valid;
    NotifyListeners(valid);
}

void SurfaceTreeNode::SetBoundsClipFudge(float value)
{
    m_boundsClipFudge = value;
    Invalidate(false);
}

void SurfaceTreeNode::NotifyListeners(bool valid)
{
    // A listener may leave the set while being told.
    std::vector<SurfaceTreeNodeListener*> listeners(m_listeners.begin(), m_listeners.end());
    for (SurfaceTreeNodeListener* listener : listeners)
        if (m_listeners.count(listener)) listener->OnNodeChanged(this, valid);
}

}  // namespace vynui
