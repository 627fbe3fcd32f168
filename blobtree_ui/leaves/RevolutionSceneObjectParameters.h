#pragma once
// Parameters of RevolutionSceneObject.

#include "blobtree/nodes/RevolutionNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/RevolutionSceneObject.h"

namespace vynui_bt {

/// "Evaluation Mode" (int), 0 ... 3. A plain write: the tree is not told,
/// only the object's listeners.
class RevolutionParameter_EvalMode : public NodeIntParameter<RevolutionSceneObject> {
public:
    explicit RevolutionParameter_EvalMode(RevolutionSceneObject* object)
        : NodeParameter(
              object, "Evaluation Mode", 0, 3, NodeWrite::Plain,
              [](RevolutionSceneObject* o) {
                  return o->GetRevolutionNode()->GetRevolution()->GetEvaluationMode();
              },
              [](RevolutionSceneObject* o, int v) {
                  o->GetRevolutionNode()->GetRevolution()->SetEvaluationMode(v);
              })
    {
    }
};

/// "Radius", 0.001 ... 10000, bracketed DiscreteRevolution::SetRadius.
class RevolutionParameter_Radius : public NodeFloatParameter<RevolutionSceneObject> {
public:
    explicit RevolutionParameter_Radius(RevolutionSceneObject* object)
        : NodeParameter(
              object, "Radius", 0.001f, 10000.0f, NodeWrite::Bracketed,
              [](RevolutionSceneObject* o) { return o->GetRevolutionNode()->GetRevolution()->GetRadius(); },
              [](RevolutionSceneObject* o, float v) {
                  o->GetRevolutionNode()->GetRevolution()->SetRadius(v);
              })
    {
    }
};

}  // namespace vynui_bt
