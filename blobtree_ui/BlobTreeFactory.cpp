#include "blobtree_ui/BlobTreeFactory.h"

#include <algorithm>

#include "blobtree/RootNode.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "implicit/operators/MinMaxUnion.h"

namespace vynui_bt {

namespace {

bool SubtreeContains(vynui::SceneObject* top, const vynui::SceneObject* object)
{
    if (top == object) return true;
    for (vynui::SceneObject* child : top->GetChildren())
        if (SubtreeContains(child, object)) return true;
    return false;
}

}  // namespace

BlobTreeFactory::BlobTreeFactory(BlobTreeSceneObject* owner) : m_owner(owner)
{
    m_root = new RootNodeSceneObject(new vynbt::RootNode(new vynimplicit::MinMaxUnion()));
    m_root->SetTree(owner);
    m_root->InitializeParameters();
}

BlobTreeFactory::~BlobTreeFactory() = default;

BlobTreeNodeSceneObject* BlobTreeFactory::CreateSceneObject(int code)
{
    const ShapeType* type = ShapeTypeTable::FindByCode(code);
    BlobTreeNodeSceneObject* object = type ? type->create() : nullptr;
    if (!object) return nullptr;
    object->SetTree(m_owner);
    object->InitializeParameters();
    return object;
}

bool BlobTreeFactory::AttachSceneObject(BlobTreeNodeSceneObject* parent, BlobTreeNodeSceneObject* child,
                                        int index)
{
    if (!child || child == m_root) return false;
    ModelLock lock = child->LockModel();
    // Under itself or its own descendant the trees would become cycles: such
    // a request changes nothing.
    if (parent && SubtreeContains(child, parent)) return false;
    vynbt::BlobTreeNode* parentNode = parent ? parent->GetNode() : nullptr;
    const bool usable = parentNode && parentNode->IsCompositionNode() &&
                        static_cast<vynbt::CompositionNode*>(parentNode)->GetOperator();
    BlobTreeNodeSceneObject* target = usable ? parent : m_root;
    if (!target) return false;
    if (!usable) index = -1;

    // An object that still hangs elsewhere leaves that place first, so the
    // two trees never list it twice.
    vynbt::BlobTreeNode* node = child->GetNode();
    if (vynbt::BlobTreeNode* oldParentNode = node ? node->GetParent() : nullptr) {
        if (oldParentNode->IsCompositionNode())
            static_cast<vynbt::CompositionNode*>(oldParentNode)->RemoveChild(node);
    }
    if (vynui::SceneObject* oldParent = child->GetParent()) {
        const std::vector<vynui::SceneObject*>& siblings = oldParent->GetChildren();
        if (SubtreeContains(m_root, oldParent) &&
            std::find(siblings.begin(), siblings.end(), child) != siblings.end())
            oldParent->RemoveChild(child);
    }

    target->InsertChild(child, index);
    auto* targetNode = static_cast<vynbt::CompositionNode*>(target->GetNode());
    if (node) targetNode->AddChild(node, index);
    return usable;
}

BlobTreeNodeSceneObject* BlobTreeFactory::CreateAndAttach(BlobTreeNodeSceneObject* parent, int code,
                                                          int index)
{
    BlobTreeNodeSceneObject* object = CreateSceneObject(code);
    if (!object) return nullptr;
    AttachSceneObject(parent ? parent : m_root, object, index);
    return object;
}

}  // namespace vynui_bt
