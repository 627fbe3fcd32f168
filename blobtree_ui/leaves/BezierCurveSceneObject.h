#pragma once
// The scene object of a tube around a Bezier curve (factory code 6,
// "BezierCurve"). One handle per control point moves it in world
// coordinates (the curve keeps its points local to its frame).
//
// Records: the base data plus "ControlPoints" (local coordinates), so a saved
// curve keeps its shape.

#include <vector>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "wml/Vector3.h"

namespace vynbt {
class BezierCurveNode;
}

namespace vynui_bt {

class BezierCurveSceneObject : public BlobTreeNodeSceneObject {
public:
    /// Number of curve samples the drawing shows.
    static constexpr int NUM_DRAW_SAMPLES = 50;

    /// Takes ownership of node and its curve.
    explicit BezierCurveSceneObject(vynbt::BezierCurveNode* node);
    /// Deletes the control-point handles.
    ~BezierCurveSceneObject() override;

    vynbt::BezierCurveNode* GetCurveNode() const;

    /// "BezierCurve".
    const char* GetTypeName() override;
    /// The base list, then X, Y, Z, "Radius", "Barthe Blend Angle",
    /// "Evaluation Mode", "Approximation Level"; then one handle per control
    /// point.
    void InitializeParameters() override;
    /// When selected: the axis segment, the curve (50 samples, width 2) and
    /// the control polygon (width 1); then the base drawing (the handles).
    void Render(bool selected) override;

    /// One handle per control point of the curve: rebuilt when the number of
    /// control points changed, otherwise left alone.
    void UpdateControlPointHandles();

    /// The base record plus "ControlPoints".
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The stored control points (2 to the curve's maximum; a record without
    /// them keeps the current ones), then the base data. False when the
    /// stored points are refused.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    /// World points of the curve at i / 49, i = 0 ... 49, under the lock.
    std::vector<Wml::Vector3<float>> GetCurveSamples() const;
    /// World control points, under the lock.
    std::vector<Wml::Vector3<float>> GetWorldControlPoints() const;
};

}  // namespace vynui_bt
