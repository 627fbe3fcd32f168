#pragma once
// Base of the scene objects of operator nodes. The scene-object children are
// the child nodes' objects, kept in the node's child order; the object owns
// them and destroys them before itself.

#include "blobtree_ui/BlobTreeNodeSceneObject.h"

namespace vynbt {
class CompositionNode;
}

namespace vynui_bt {

class CompositionNodeSceneObject : public BlobTreeNodeSceneObject {
public:
    CompositionNodeSceneObject(vynbt::CompositionNode* node, int typeCode, const char* nameBase = nullptr);
    /// Destroys the child scene objects (and so their nodes) first.
    ~CompositionNodeSceneObject() override;

    /// "CompositionNodeSO".
    const char* GetTypeName() override;
    /// The base list, then "Caching".
    void InitializeParameters() override;
    /// When selected, a grey segment from this frame's origin to each child's.
    void Render(bool selected) override;
    /// The base record, then "Children" = the children's object IDs in order.
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// Moves every child by the group's displacement, then the node.
    void DoTranslate(const Wml::Vector3<float>& v, bool relative) override;
    /// Turns every child about the group frame's origin, then the node; an
    /// absolute rotation becomes the relative one that reaches it.
    void DoRotate(const Wml::Matrix3<float>& m, bool relative) override;
    /// The node scales the children about their centre.
    void DoScale(float sx, float sy, float sz, bool relative, bool uniform) override;

    /// The base record and every child's record; "NumChildren" and
    /// "ChildrenIDs" name the children's records.
    WmlDeprecated::SerializerRecord* StoreOld(WmlDeprecated::Serializer* serializer) override;
    /// A group is placed by its children: nothing to do.
    void ApplyStoredFrame(const Wml::Frame3<float>& frame) override;

    vynbt::CompositionNode* GetCompositionNode() const;

protected:
    /// When selected, the segments to the children (for subclasses that draw
    /// more than the base).
    void RenderChildSegments(bool selected);
};

}  // namespace vynui_bt
