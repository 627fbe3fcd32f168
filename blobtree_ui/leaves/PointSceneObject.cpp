#include "blobtree_ui/leaves/PointSceneObject.h"

#include <cmath>

#include "blobtree/nodes/PointNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/PointSceneObjectParameters.h"

namespace vynui_bt {

PointSceneObject::PointSceneObject(vynbt::PointNode* node)
    : BlobTreeNodeSceneObject(node, ShapeCode::Point, ShapeTypeTable::RecordName(ShapeCode::Point))
{
}

vynbt::PointNode* PointSceneObject::GetPointNode() const
{
    return static_cast<vynbt::PointNode*>(GetNode());
}

const char* PointSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Point);
}

void PointSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddParameter(new PointParameter_Size(this));
}

void PointSceneObject::DoScale(float sx, float sy, float sz, bool relative, bool uniform)
{
    if (!(relative && uniform)) {
        BlobTreeNodeSceneObject::DoScale(sx, sy, sz, relative, uniform);
        return;
    }
    ModelLock lock = LockModel();
    vynbt::PointNode* node = GetPointNode();
    const float size = node->GetSize() * (sx + 1.0f);
    // The node refuses sizes that are not positive and finite, so a factor
    // of -1 or less leaves the ball as it was.
    if (std::isfinite(size) && size > 0.0f) node->SetSize(size);
}

}  // namespace vynui_bt
