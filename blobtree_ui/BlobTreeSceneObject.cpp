#include "blobtree_ui/BlobTreeSceneObject.h"

#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "scene/NameRegistry.h"

namespace vynui_bt {

namespace {
// Objects that outlive their model fall back to their own locks instead of
// locking a destroyed mutex.
void ForgetModel(vynui::SceneObject* object, BlobTreeSceneObject* model)
{
    auto* node = dynamic_cast<BlobTreeNodeSceneObject*>(object);
    if (!node || node->GetTree() != model) return;
    node->SetTree(nullptr);
    for (vynui::SceneObject* child : object->GetChildren()) ForgetModel(child, model);
}
}  // namespace

BlobTreeSceneObject::BlobTreeSceneObject()
{
    SetName(vynui::MakeUniqueName("BlobTreeSO"));
}

BlobTreeSceneObject::~BlobTreeSceneObject()
{
    const std::vector<vynui::SceneObject*> children = GetChildren();
    ClearChildren();
    for (vynui::SceneObject* child : children) {
        ForgetModel(child, this);
        if (child->GetParent() == this) child->SetParent(nullptr);
    }
    delete m_factory;
    m_factory = nullptr;
}

const char* BlobTreeSceneObject::GetTypeName()
{
    return "BlobTreeSO";
}

void BlobTreeSceneObject::SetFactory(BlobTreeFactory* factory)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    if (factory != m_factory) delete m_factory;
    m_factory = factory;
    ClearChildren();
    if (m_factory && m_factory->GetRootSceneObject()) InsertChild(m_factory->GetRootSceneObject(), -1);
}

RootNodeSceneObject* BlobTreeSceneObject::GetRootSceneObject() const
{
    return m_factory ? m_factory->GetRootSceneObject() : nullptr;
}

}  // namespace vynui_bt
