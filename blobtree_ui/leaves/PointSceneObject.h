#pragma once
// The scene object of a soft ball (factory code 1, "Point").

#include "blobtree_ui/BlobTreeNodeSceneObject.h"

namespace vynbt {
class PointNode;
}

namespace vynui_bt {

class PointSceneObject : public BlobTreeNodeSceneObject {
public:
    /// Takes ownership of node and its point.
    explicit PointSceneObject(vynbt::PointNode* node);

    vynbt::PointNode* GetPointNode() const;

    /// "Point".
    const char* GetTypeName() override;
    /// The base list, then "Radius".
    void InitializeParameters() override;
    /// A relative uniform scale grows the ball: size := size * (sx + 1), under
    /// the lock. Any other scale goes to the node.
    void DoScale(float sx, float sy, float sz, bool relative, bool uniform) override;
};

}  // namespace vynui_bt
