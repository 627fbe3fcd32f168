#pragma once
// The scene object of a profile swept along a cubic (factory code 41) or
// quadratic (42) Bezier curve, "CurveSweep". One handle per control point
// moves it in world coordinates (the curve's points are local to the
// sweep's frame).
//
// Records: the base data plus "ControlPoints" (local coordinates),
// "CurveDegree" (3 cubic, 2 quadratic: the record type is the same for both,
// see ShapeTypeTable::TypeCodeForRecord) and the
// profile field as a record of its own referred to by "FieldID", so a saved
// sweep keeps its path and profile ("2DFieldID" in the older format). A
// profile restored from a file is owned by this object.

#include <memory>
#include <vector>

#include "blobtree_ui/leaves/ProfiledLeafSceneObject.h"
#include "wml/Vector3.h"

namespace vynbt {
class CurveSweepNode;
}

namespace vynimplicit {
class ScalarField2D;
}

namespace vynui_bt {

class CurveSweepSceneObject : public ProfiledLeafSceneObject {
public:
    static constexpr int NUM_DRAW_SAMPLES = 50;

    /// Takes ownership of node and its sweep; typeCode is the factory code
    /// it was made with (41 cubic, 42 quadratic; any other stands for 41).
    CurveSweepSceneObject(vynbt::CurveSweepNode* node, int typeCode);
    /// Deletes the control-point handles and an owned profile.
    ~CurveSweepSceneObject() override;

    vynbt::CurveSweepNode* GetSweepNode() const;

    /// "CurveSweep".
    const char* GetTypeName() override;
    /// The base list, then X, Y, Z, "Radius", "Start Rotation",
    /// "Falloff Length", "Cap Style", "Endcap Smoothness", "Evaluation Mode";
    /// then one handle per control point.
    void InitializeParameters() override;
    /// When selected: the axis segment, the curve (50 samples, width 2) and
    /// the control points (width 1); then the base drawing.
    void Render(bool selected) override;

    /// The base record plus "ControlPoints", "CurveDegree" and, with a
    /// profile, "FieldID".
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The stored profile and control points, then the base data. False when
    /// "FieldID" names no readable field or the control points do not fit
    /// the curve; a record without them keeps what the sweep has.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    std::vector<Wml::Vector3<float>> GetCurveSamples() const;
    std::vector<Wml::Vector3<float>> GetWorldControlPoints() const;

protected:
    vynimplicit::ScalarField2D* CurrentTemplate() const override;
    void InstallTemplate(vynimplicit::ScalarField2D* profile) override;
    /// The profile is optional in records: a sweep may keep its own.
    bool NeedsStoredProfile() const override { return false; }
};

}  // namespace vynui_bt
