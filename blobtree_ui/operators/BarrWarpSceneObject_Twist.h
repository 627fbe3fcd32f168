#pragma once
// The twist kind of BarrWarpSceneObject (type code 47, type name "Twist").

#include "blobtree_ui/operators/BarrWarpSceneObject.h"

namespace vynui_bt {

class BarrWarpSceneObject_Twist : public BarrWarpSceneObject {
public:
    /// Owns node and its operator (the factory built it in mode 0).
    explicit BarrWarpSceneObject_Twist(vynbt::BarrWarpNode* node);

    /// "Twist".
    const char* GetTypeName() override;
};

}  // namespace vynui_bt
