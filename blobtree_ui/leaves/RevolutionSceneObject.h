#pragma once
// The scene object of a surface of revolution (factory code 3, "Revolution").
// Its profile field is recorded like the capped sweep's: "FieldID" in the
// current format, "2DFieldID" in the older one; a restored profile is owned
// by this object.

#include <memory>

#include "blobtree_ui/leaves/ProfiledLeafSceneObject.h"

namespace vynbt {
class RevolutionNode;
}
namespace vynimplicit {
class ScalarField2D;
}

namespace vynui_bt {

class RevolutionSceneObject : public ProfiledLeafSceneObject {
public:
    /// Takes ownership of node and its revolution.
    explicit RevolutionSceneObject(vynbt::RevolutionNode* node);
    /// Detaches and deletes an owned profile.
    ~RevolutionSceneObject() override;

    vynbt::RevolutionNode* GetRevolutionNode() const;

    /// "Revolution".
    const char* GetTypeName() override;
    /// The base list, then X, Y, Z, "Evaluation Mode", "Radius".
    void InitializeParameters() override;
    /// When selected: the red axis segment, then the base drawing.
    void Render(bool selected) override;

protected:
    vynimplicit::ScalarField2D* CurrentTemplate() const override;
    void InstallTemplate(vynimplicit::ScalarField2D* profile) override;
};

}  // namespace vynui_bt
