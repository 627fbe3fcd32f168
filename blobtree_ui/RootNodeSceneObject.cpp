#include "blobtree_ui/RootNodeSceneObject.h"

#include <cmath>

#include "wml/Serializer.h"

#include "blobtree/RootNode.h"
#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/ShapeTypeTable.h"

namespace vynui_bt {

RootNodeSceneObject::RootNodeSceneObject(vynbt::RootNode* root)
    : CompositionNodeSceneObject(root, ShapeCode::Root, "RootNode")
{
}

RootNodeSceneObject::~RootNodeSceneObject()
{
    if (GetTree() && GetTree()->GetFactory()) GetTree()->GetFactory()->ForgetRoot(this);
}

const char* RootNodeSceneObject::GetTypeName()
{
    return "RootNode";
}

vynbt::RootNode* RootNodeSceneObject::GetRootNode() const
{
    return static_cast<vynbt::RootNode*>(GetNode());
}

bool RootNodeSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    ModelLock lock = LockModel();
    if (!CompositionNodeSceneObject::Store(serializer, record)) return false;
    Wml::Frame3<float> plane;
    if (GetRootNode() && GetRootNode()->GetCuttingPlane(plane)) record->SetValue("CuttingPlane", plane);
    return true;
}

bool RootNodeSceneObject::StoredCuttingPlane(const Wml::SerializerRecord& record, Wml::Frame3<float>& plane)
{
    if (!record.HasKey("CuttingPlane")) return false;
    Wml::Frame3<float> frame;
    if (!record.GetValue("CuttingPlane", frame, frame)) return false;
    const Wml::Vector3<float>& o = frame.Origin();
    const Wml::Vector3<float> z = frame.Z();
    if (!std::isfinite(o.X()) || !std::isfinite(o.Y()) || !std::isfinite(o.Z()) || !(z.Length() > 0.5f))
        return false;
    plane = frame;
    return true;
}

}  // namespace vynui_bt
