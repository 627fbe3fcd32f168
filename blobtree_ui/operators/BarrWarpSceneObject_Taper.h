#pragma once
// The taper kind of BarrWarpSceneObject (type code 48, type name "Taper").

#include "blobtree_ui/operators/BarrWarpSceneObject.h"

namespace vynui_bt {

class BarrWarpSceneObject_Taper : public BarrWarpSceneObject {
public:
    /// Owns node and its operator (the factory built it in mode 1).
    explicit BarrWarpSceneObject_Taper(vynbt::BarrWarpNode* node);

    /// "Taper".
    const char* GetTypeName() override;
};

}  // namespace vynui_bt
