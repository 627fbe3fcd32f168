#pragma once
// The scene object of a capped linear sweep of a 2D template (factory code 2,
// "CappedLinearSweep").
//
// Records: the profile field is written as a record of its own and referred
// to by "FieldID" ("2DFieldID" in the older format). A profile restored from
// a file is owned by this object; one installed by other code (SetProfile
// with owned = false) stays its caller's.

#include <memory>

#include "blobtree_ui/leaves/ProfiledLeafSceneObject.h"

namespace vynbt {
class CappedLinearSweepNode;
}
namespace vynimplicit {
class ScalarField2D;
}

namespace vynui_bt {

class CappedLinearSweepSceneObject : public ProfiledLeafSceneObject {
public:
    /// Takes ownership of node and its sweep.
    explicit CappedLinearSweepSceneObject(vynbt::CappedLinearSweepNode* node);
    /// Detaches and deletes an owned profile.
    ~CappedLinearSweepSceneObject() override;

    vynbt::CappedLinearSweepNode* GetSweepNode() const;

    /// "CappedLinearSweep".
    const char* GetTypeName() override;
    /// The base list, then X, Y, Z, "Falloff Length", "Length", "Radius",
    /// "Cap Style", "Endcap Smoothness".
    void InitializeParameters() override;
    /// Only the base drawing (the handles), and only when selected.
    void Render(bool selected) override;

protected:
    vynimplicit::ScalarField2D* CurrentTemplate() const override;
    void InstallTemplate(vynimplicit::ScalarField2D* profile) override;
};

}  // namespace vynui_bt
