#pragma once
// The bend kind of BarrWarpSceneObject (type code 49, type name "Bend").

#include "blobtree_ui/operators/BarrWarpSceneObject.h"

namespace vynui_bt {

class BarrWarpSceneObject_Bend : public BarrWarpSceneObject {
public:
    /// Owns node and its operator (the factory built it in mode 2).
    explicit BarrWarpSceneObject_Bend(vynbt::BarrWarpNode* node);

    /// "Bend".
    const char* GetTypeName() override;
};

}  // namespace vynui_bt
