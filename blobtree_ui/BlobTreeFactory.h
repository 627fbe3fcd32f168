#pragma once
// Creates the nodes of one model together with their scene objects from the
// numeric type codes that files and the sketch interface use. The factory
// makes the model's root (over a max union) at construction; it does not
// destroy the root scene object.

namespace vynui_bt {

class BlobTreeNodeSceneObject;
class BlobTreeSceneObject;
class RootNodeSceneObject;

class BlobTreeFactory {
public:
    /// Builds the root node and its scene object, which belongs to owner.
    explicit BlobTreeFactory(BlobTreeSceneObject* owner);
    virtual ~BlobTreeFactory();
    BlobTreeFactory(const BlobTreeFactory&) = delete;
    BlobTreeFactory& operator=(const BlobTreeFactory&) = delete;

    /// A new detached object of the type code, its parameters initialised;
    /// null for a code without a type.
    BlobTreeNodeSceneObject* CreateSceneObject(int code);
    /// Inserts child under parent at index (-1 appends) in both trees when the
    /// parent presents an operator node and answers true; otherwise appends
    /// it under the root and answers false. Null child: false, nothing done.
    bool AttachSceneObject(BlobTreeNodeSceneObject* parent, BlobTreeNodeSceneObject* child, int index);
    /// CreateSceneObject, then AttachSceneObject under parent (the root when
    /// null). Null for an unknown code.
    BlobTreeNodeSceneObject* CreateAndAttach(BlobTreeNodeSceneObject* parent, int code, int index);

    RootNodeSceneObject* GetRootSceneObject() const { return m_root; }
    BlobTreeSceneObject* GetOwner() const { return m_owner; }
    /// Called by the root scene object when it is destroyed before the factory.
    void ForgetRoot(const RootNodeSceneObject* root)
    {
        if (root == m_root) m_root = nullptr;
    }

private:
    RootNodeSceneObject* m_root = nullptr;
    BlobTreeSceneObject* m_owner;
};

}  // namespace vynui_bt
