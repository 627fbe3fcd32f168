#pragma once
// The scene object of a model's root node (type code 0).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class RootNode;
}

namespace vynui_bt {

class RootNodeSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns root and its union.
    explicit RootNodeSceneObject(vynbt::RootNode* root);
    /// Tells the model's factory that its root is gone.
    ~RootNodeSceneObject() override;
    /// "RootNode".
    const char* GetTypeName() override;
    vynbt::RootNode* GetRootNode() const;
    /// The children, and "CuttingPlane" (a frame) while the model is cut.
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The plane a stored record holds; false when it holds none or an
    /// unusable one.
    static bool StoredCuttingPlane(const Wml::SerializerRecord& record, Wml::Frame3<float>& plane);
};

}  // namespace vynui_bt
