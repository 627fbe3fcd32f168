#include "blobtree_ui/CompositionParameter_CachingEnabled.h"

#include "blobtree/CompositionNode.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"

namespace vynui_bt {

CompositionParameter_CachingEnabled::CompositionParameter_CachingEnabled(CompositionNodeSceneObject* object)
    : vynui::GenericIntegerParameter("Caching"), m_object(object)
{
}

void CompositionParameter_CachingEnabled::GetRange(int& min, int& max)
{
    min = 0;
    max = 1;
}

void CompositionParameter_CachingEnabled::ApplyValue(int value)
{
    if (!m_object) return;
    ModelLock lock = m_object->LockModel();
    if (vynbt::CompositionNode* node = m_object->GetCompositionNode()) node->EnableCaching(value != 0);
    m_object->Notify(nullptr);
}

int CompositionParameter_CachingEnabled::ReadValue()
{
    if (!m_object) return 0;
    ModelLock lock = m_object->LockModel();
    vynbt::CompositionNode* node = m_object->GetCompositionNode();
    return node && node->IsCachingEnabled() ? 1 : 0;
}

}  // namespace vynui_bt
