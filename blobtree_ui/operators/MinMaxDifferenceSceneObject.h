#pragma once
// Scene object of a MinMaxDifferenceNode (type code 11, type name "MinMaxDifference"):
// The first child minus the others (min/max difference).
// Parameters after the composition list: "X", "Y", "Z" (excluded).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class MinMaxDifferenceNode;
}

namespace vynui_bt {

class MinMaxDifferenceSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit MinMaxDifferenceSceneObject(vynbt::MinMaxDifferenceNode* node);

    /// "MinMaxDifference".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt
