#pragma once
// "Caching": whether an operator node caches its field (0 or 1).

#include "blobtree/CompositionNode.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "blobtree_ui/NodeParameter.h"

namespace vynui_bt {

/// Reads the node's flag as 0 or 1; a write sets it to value != 0, then the
/// object's listeners are told.
class CompositionParameter_CachingEnabled : public NodeIntParameter<CompositionNodeSceneObject> {
public:
    explicit CompositionParameter_CachingEnabled(CompositionNodeSceneObject* object)
        : NodeParameter(
              object, "Caching", 0, 1, NodeWrite::Setter,
              [](CompositionNodeSceneObject* o) {
                  vynbt::CompositionNode* node = o->GetCompositionNode();
                  return node && node->IsCachingEnabled() ? 1 : 0;
              },
              [](CompositionNodeSceneObject* o, int v) {
                  if (vynbt::CompositionNode* node = o->GetCompositionNode()) node->EnableCaching(v != 0);
              })
    {
    }
};

}  // namespace vynui_bt
