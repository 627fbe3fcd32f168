#pragma once
// Scene object of a BartheSmoothDifferenceNode (type code 45, type name
// "BartheSmoothDifference"): the first child minus the others with a rounded
// edge. Parameters after the composition list: "X", "Y", "Z" (excluded),
// "Sharpness".

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class BartheSmoothDifferenceNode;
}

namespace vynui_bt {

class BartheSmoothDifferenceSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit BartheSmoothDifferenceSceneObject(vynbt::BartheSmoothDifferenceNode* node);

    /// "BartheSmoothDifference".
    const char* GetTypeName() override;
    void InitializeParameters() override;

    vynbt::BartheSmoothDifferenceNode* GetBartheSmoothDifferenceNode() const;
};

}  // namespace vynui_bt
