#pragma once
// Parameters of MirrorSceneObject.

#include "blobtree/nodes/MirrorNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/operators/MirrorSceneObject.h"

namespace vynui_bt {

/// "Side" (int), 0 ... 1: which side of the plane is kept; written with
/// SetSide(value != 0).
class MirrorParameter_Side : public NodeIntParameter<MirrorSceneObject> {
public:
    explicit MirrorParameter_Side(MirrorSceneObject* object)
        : NodeParameter(
              object, "Side", 0, 1, NodeWrite::Setter,
              [](MirrorSceneObject* o) { return o->GetMirrorNode()->GetSide() ? 1 : 0; },
              [](MirrorSceneObject* o, int v) { o->GetMirrorNode()->SetSide(v != 0); })
    {
    }
};

/// "Transition Width", 0 ... 1000: written with SetSmoothWidth.
class MirrorParameter_SmoothWidth : public NodeFloatParameter<MirrorSceneObject> {
public:
    explicit MirrorParameter_SmoothWidth(MirrorSceneObject* object)
        : NodeParameter(
              object, "Transition Width", 0.0f, 1000.0f, NodeWrite::Setter,
              [](MirrorSceneObject* o) { return o->GetMirrorNode()->GetSmoothWidth(); },
              [](MirrorSceneObject* o, float v) { return o->GetMirrorNode()->SetSmoothWidth(v); })
    {
    }
};

/// "Blend Power", 0 ... 1000: written with SetBlendPower.
class MirrorParameter_BlendPower : public NodeFloatParameter<MirrorSceneObject> {
public:
    explicit MirrorParameter_BlendPower(MirrorSceneObject* object)
        : NodeParameter(
              object, "Blend Power", 0.0f, 1000.0f, NodeWrite::Setter,
              [](MirrorSceneObject* o) { return o->GetMirrorNode()->GetBlendPower(); },
              [](MirrorSceneObject* o, float v) { return o->GetMirrorNode()->SetBlendPower(v); })
    {
    }
};

}  // namespace vynui_bt
