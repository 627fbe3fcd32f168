#pragma once
// Scene object of a RicciBlendNode (type code 13, type name "RicciBlend"): a
// power-sum blend of the children. Parameters after the composition list:
// "X", "Y", "Z" (excluded), "Blend Power".

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class RicciBlendNode;
}

namespace vynui_bt {

class RicciBlendSceneObject : public CompositionNodeSceneObject {
public:
    /// Owns node and its operator.
    explicit RicciBlendSceneObject(vynbt::RicciBlendNode* node);

    /// "RicciBlend".
    const char* GetTypeName() override;
    void InitializeParameters() override;

    vynbt::RicciBlendNode* GetRicciBlendNode() const;
};

}  // namespace vynui_bt
