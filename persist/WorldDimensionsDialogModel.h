#pragma once
// The "Set World Dimensions" dialog without its window: the model's extents
// (read-only), the world scale factor and the world dimensions (extent times
// factor, per axis), all shown as "%f" text. Editing the factor recomputes
// the three dimensions; editing one dimension sets the factor to that
// dimension divided by the model's extent along the same axis and recomputes
// the other two. OK stores the factor in the view controller, which saves it
// with the scene.
//
// An entry that is not a number, is not finite, or would make the factor zero,
// negative or not finite is refused: the texts and the factor stay as they
// were and GetRefusal() holds the message to show (titled REFUSAL_TITLE).

#include <string>

#include "wml/AxisAlignedBox3.h"
#include "wml/Vector3.h"

namespace vynui {

class ViewController;

class WorldDimensionsDialogModel {
public:
    static constexpr const char* REFUSAL_TITLE = "Invalid Value";

    /// Takes the model's extents from box (the bounding box of the exported
    /// mesh) and the current factor. False, nothing changed and a refusal
    /// message set, when the box is empty or not finite, or the factor is
    /// not finite and positive.
    bool Load(const Wml::AxisAlignedBox3<float>& box, float scaleFactor);
    /// Load with the controller's current factor.
    bool Load(const Wml::AxisAlignedBox3<float>& box, const ViewController& controller);

    /// The value that field shows after an edit, as "%f" text. axis: 0 x,
    /// 1 y, 2 z; any other axis answers "".
    std::string GetModelDimensionText(int axis) const;
    std::string GetScaleFactorText() const;
    std::string GetWorldDimensionText(int axis) const;

    float GetScaleFactor() const { return m_factor; }
    const Wml::Vector3<float>& GetModelExtents() const { return m_extents; }
    Wml::Vector3<float> GetWorldDimensions() const { return m_extents * m_factor; }

    /// The scale factor field was edited. False (nothing changed) on refusal.
    bool SetScaleFactorText(const std::string& text);
    /// The world dimension field of axis was edited. False (nothing changed)
    /// on refusal, also when the model has no extent along that axis.
    bool SetWorldDimensionText(int axis, const std::string& text);

    /// OK: stores the factor as the controller's world scale factor (the
    /// controller notifies its listeners). False when the controller refuses it.
    bool Apply(ViewController& controller) const;

    /// Why the last Load or edit was refused; "" after one that succeeded.
    const std::string& GetRefusal() const { return m_refusal; }

private:
    bool Refuse(const std::string& message);
    /// True, with the factor in place, when factor is positive and it and the
    /// world dimensions it gives fit a float.
    bool TakeFactor(double factor);

    Wml::Vector3<float> m_extents = Wml::Vector3<float>(0.0f, 0.0f, 0.0f);
    float m_factor = 1.0f;
    std::string m_refusal;
};

}  // namespace vynui
