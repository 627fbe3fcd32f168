#pragma once
// Parameters of BartheSmoothDifferenceSceneObject.

#include "blobtree/nodes/BartheSmoothDifferenceNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/operators/BartheSmoothDifferenceSceneObject.h"

namespace vynui_bt {

/// "Sharpness", 0.2 ... 1: the node's sharpness, written with SetSharpness.
class BartheSmoothDiffParameter_Sharpness : public NodeFloatParameter<BartheSmoothDifferenceSceneObject> {
public:
    explicit BartheSmoothDiffParameter_Sharpness(BartheSmoothDifferenceSceneObject* object)
        : NodeParameter(
              object, "Sharpness", 0.2f, 1.0f, NodeWrite::Setter,
              [](BartheSmoothDifferenceSceneObject* o) {
                  return o->GetBartheSmoothDifferenceNode()->GetSharpness();
              },
              [](BartheSmoothDifferenceSceneObject* o, float v) {
                  return o->GetBartheSmoothDifferenceNode()->SetSharpness(v);
              })
    {
    }
};

}  // namespace vynui_bt
