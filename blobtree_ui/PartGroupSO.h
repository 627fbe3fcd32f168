#pragma once
// A group of parts over a caching node (type code 52).

#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynbt {
class CacheNode;
}

namespace vynui_bt {

class PartGroupSO : public CompositionNodeSceneObject {
public:
    explicit PartGroupSO(vynbt::CacheNode* node);
    /// "Group".
    const char* GetTypeName() override;
    /// The composition list, then "X", "Y", "Z" (excluded).
    void InitializeParameters() override;
};

}  // namespace vynui_bt
