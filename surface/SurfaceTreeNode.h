#pragma once
// A node of a surface chain. The bottom node of a chain polygonizes a tree;
// nodes stacked above derive their mesh from the node below. Readers ask
// the top node for its mesh, which brings the whole chain up to date.

#include <set>
#include <vector>

#include "implicit/mesh/IMeshBVTree.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "scene/NamedType.h"
#include "wml/Vector3.h"

namespace vynui {

class SurfaceTreeNode;

/// A surface that pick rays can hit (the tools aim at it).
class ToolTargetSurface {
public:
    virtual ~ToolTargetSurface() = default;
    /// Where the ray from p0 along direction p1 meets the surface; triangle
    /// is set to the hit triangle or vynmesh::IMesh::InvalidID.
    virtual bool IntersectRay(const Wml::Vector3<float>& p0, const Wml::Vector3<float>& p1,
                              Wml::Vector3<float>& hit, Wml::Vector3<float>& normal,
                              unsigned int& triangle) = 0;
};

class SurfaceTreeNodeListener {
public:
    /// valid false: the node became invalid. True: it became valid, its
    /// mesh changed in place, or its derived copy was refreshed.
    virtual void OnNodeChanged(SurfaceTreeNode* node, bool valid) = 0;

protected:
    ~SurfaceTreeNodeListener() = default;
};

class SurfaceTreeNodeValidator {
public:
    /// Brings node up to date (normally by calling its Update).
    virtual void Validate(SurfaceTreeNode* node) = 0;

protected:
    ~SurfaceTreeNodeValidator() = default;
};

/// A place on a surface that survives re-polygonization.
struct AnchorCoordinate {
    Wml::Vector3<float> position = Wml::Vector3<float>::ZERO;
    /// The node that interprets the coordinate.
    SurfaceTreeNode* node = nullptr;
    /// True when the coordinate is one of a node's own (not a plain offset).
    bool derived = false;
};

class SurfaceTreeNode : public NamedType, public ToolTargetSurface {
public:
    SurfaceTreeNode();
    ~SurfaceTreeNode() override;

    const char* GetTypeName() const override { return "SurfaceTreeNodeType"; }
    virtual const char* GetClassName() const { return "SurfaceTreeNode"; }
    /// NamedType fields, "ParentID", "ChildID" (UNASSIGNED_ID when absent)
    /// and "BoundsClipFudge".
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// NamedType fields and "BoundsClipFudge". A fudge that is not a finite
    /// positive number refuses the record and keeps the current value.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    /// The current mesh: validates first; a derived node answers its own copy
    /// of the source mesh, refreshed when stale.
    virtual const vynmesh::VFTriangleMesh* GetMesh();
    /// The tree over the mesh GetMesh answers.
    virtual vynmesh::IMeshBVTree* GetBVTree();
    const vynmesh::VFTriangleMesh* GetValidatedOwnMesh();
    const std::vector<bool>* GetValidatedMeshMask();
    virtual bool IsExcludedElement(unsigned int /*index*/) { return false; }

    virtual void ProjectToSurface(const Wml::Vector3<float>& /*p*/, Wml::Vector3<float>& /*position*/,
                                  Wml::Vector3<float>& /*normal*/, unsigned int& /*triangle*/)
    {
    }
    /// The base has no surface to anchor to: false.
    virtual bool ToAnchorCoordinate(const Wml::Vector3<float>& /*p*/, AnchorCoordinate& /*coordinate*/)
    {
        return false;
    }
    virtual bool FromAnchorCoordinate(const AnchorCoordinate* /*coordinate*/,
                                      Wml::Vector3<float>& /*position*/, Wml::Vector3<float>& /*normal*/)
    {
        return false;
    }
    virtual bool FindNearestPoint(const Wml::Vector3<float>& /*p*/, Wml::Vector3<float>& /*nearest*/)
    {
        return false;
    }
    virtual bool FindSurfacePoint(const Wml::Vector3<float>& /*p*/, Wml::Vector3<float>& /*point*/)
    {
        return false;
    }

    /// changedInPlace: listeners are told the mesh changed and the node stays
    /// valid; otherwise the node becomes invalid. Either way a derived copy is
    /// stale and the parent becomes invalid.
    virtual void Invalidate(bool changedInPlace);
    /// Rebuilds the node's result; the base has nothing to rebuild.
    virtual void Update() {}
    virtual void SetParent(SurfaceTreeNode* node) { m_parent = node; }
    /// Stores child, makes this node its parent and invalidates this node.
    virtual void SetChild(SurfaceTreeNode* node);

    virtual const vynmesh::VFTriangleMesh* GetSourceMesh();
    virtual vynmesh::IMeshBVTree* GetOwnBVTree() { return &m_ownBVTree; }
    virtual const vynmesh::VFTriangleMesh* GetOwnMesh() { return &m_ownMesh; }
    virtual const std::vector<bool>* GetMeshMask() { return nullptr; }

    bool IntersectRay(const Wml::Vector3<float>& /*p0*/, const Wml::Vector3<float>& /*p1*/,
                      Wml::Vector3<float>& /*hit*/, Wml::Vector3<float>& /*normal*/,
                      unsigned int& triangle) override
    {
        triangle = vynmesh::IMesh::InvalidID;
        return false;
    }

    bool IsValid() const { return m_valid; }
    /// Tells every listener, only on a transition.
    void SetValid(bool valid);
    SurfaceTreeNodeValidator* GetValidator() const { return m_validator; }
    void SetValidator(SurfaceTreeNodeValidator* validator) { m_validator = validator; }
    float GetBoundsClipFudge() const { return m_boundsClipFudge; }
    void SetBoundsClipFudge(float value);
    SurfaceTreeNode* GetParent() const { return m_parent; }
    SurfaceTreeNode* GetChild() const { return m_child; }
    bool IsDerived() const { return m_derived; }
    void SetDerived(bool derived) { m_derived = derived; }
    bool IsCopyCurrent() const { return m_copyCurrent; }
    unsigned int GetUpdateCount() const { return m_updateCount; }

    void AddListener(SurfaceTreeNodeListener* listener) { m_listeners.insert(listener); }
    void RemoveListener(SurfaceTreeNodeListener* listener) { m_listeners.erase(listener); }
    bool HasListener(SurfaceTreeNodeListener* listener) const { return m_listeners.count(listener) != 0; }

protected:
    void NotifyListeners(bool valid);
    void CountUpdate() { ++m_updateCount; }

    vynmesh::VFTriangleMesh m_ownMesh;
    vynmesh::IMeshBVTree m_ownBVTree;

private:
    bool m_valid = false;
    SurfaceTreeNodeValidator* m_validator = nullptr;
    float m_boundsClipFudge = 1.0f;
    std::set<SurfaceTreeNodeListener*> m_listeners;
    SurfaceTreeNode* m_parent = nullptr;
    SurfaceTreeNode* m_child = nullptr;
    bool m_derived = false;
    bool m_copyCurrent = false;
    std::vector<unsigned int> m_scratch;
    unsigned int m_updateCount = 0;
};

}  // namespace vynui
