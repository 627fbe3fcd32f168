#pragma once
// The "Name" parameter every scene object carries. A name already in use is
// ignored; the parameter then reads back the old name.

#include "scene/GenericStringParameter.h"

namespace vynui {
class SceneObject;
}

class SceneObjectParameter_Name : public vynui::GenericStringParameter {
public:
    explicit SceneObjectParameter_Name(vynui::SceneObject* object);

    /// Renames the object, then tells its listeners (null event) whether or
    /// not the rename succeeded.
    void ApplyValue(const std::string& value) override;
    /// The object's current name.
    std::string ReadValue() override;

private:
    vynui::SceneObject* m_object;
};
