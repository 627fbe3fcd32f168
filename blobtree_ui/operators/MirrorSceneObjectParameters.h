#pragma once
// Parameters of MirrorSceneObject.

#include "blobtree_ui/operators/OperatorFloatParameter.h"
#include "scene/GenericIntegerParameter.h"

namespace vynui_bt {

class MirrorSceneObject;

/// "Side" (int), 0 ... 1: which side of the plane is kept; written with
/// SetSide(value != 0).
class MirrorParameter_Side : public vynui::GenericIntegerParameter {
public:
    explicit MirrorParameter_Side(MirrorSceneObject* object);
    void GetRange(int& min, int& max) override;
    /// Under the model's lock: SetSide, then the listeners are told.
    void ApplyValue(int value) override;
    int ReadValue() override;

private:
    MirrorSceneObject* m_owner;
};

/// "Transition Width", 0 ... 1000: written with SetSmoothWidth.
class MirrorParameter_SmoothWidth : public OperatorFloatParameter {
public:
    explicit MirrorParameter_SmoothWidth(MirrorSceneObject* object);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    MirrorSceneObject* m_owner;
};

/// "Blend Power", 0 ... 1000: written with SetBlendPower.
class MirrorParameter_BlendPower : public OperatorFloatParameter {
public:
    explicit MirrorParameter_BlendPower(MirrorSceneObject* object);

protected:
    float ReadNode() override;
    bool WriteNode(float value) override;

private:
    MirrorSceneObject* m_owner;
};

}  // namespace vynui_bt
