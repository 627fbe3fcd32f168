#include "blobtree_ui/CompositionNodeSceneObject.h"

#include <GL/gl.h>

#include "blobtree/CompositionNode.h"
#include "blobtree_ui/CompositionParameter_CachingEnabled.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

CompositionNodeSceneObject::CompositionNodeSceneObject(vynbt::CompositionNode* node, int typeCode,
                                                       const char* nameBase)
    : BlobTreeNodeSceneObject(node, typeCode, nameBase)
{
}

CompositionNodeSceneObject::~CompositionNodeSceneObject()
{
    ModelLock lock = LockModel();
    // Children first: each detaches its node from ours while both still exist.
    const std::vector<vynui::SceneObject*> children = GetChildren();
    ClearChildren();
    for (vynui::SceneObject* child : children) delete child;
}

vynbt::CompositionNode* CompositionNodeSceneObject::GetCompositionNode() const
{
    return static_cast<vynbt::CompositionNode*>(GetNode());
}

const char* CompositionNodeSceneObject::GetTypeName()
{
    return "CompositionNodeSO";
}

void CompositionNodeSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddParameter(new CompositionParameter_CachingEnabled(this));
}

void CompositionNodeSceneObject::RenderChildSegments(bool selected)
{
    if (!selected) return;
    const Wml::Vector3<float> origin = GetFrame().Origin();
    glDisable(GL_LIGHTING);
    glColor3f(0.5f, 0.5f, 0.5f);
    glBegin(GL_LINES);
    for (vynui::SceneObject* child : GetChildren()) {
        const Wml::Vector3<float> end = child->GetFrame().Origin();
        glVertex3f(origin.X(), origin.Y(), origin.Z());
        glVertex3f(end.X(), end.Y(), end.Z());
    }
    glEnd();
}

void CompositionNodeSceneObject::Render(bool selected)
{
    RenderChildSegments(selected);
    vynui::SceneObject::Render(selected);
}

bool CompositionNodeSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    ModelLock lock = LockModel();
    if (!BlobTreeNodeSceneObject::Store(serializer, record)) return false;
    std::vector<unsigned int> ids;
    for (vynui::SceneObject* child : GetChildren()) ids.push_back(child->GetObjectID());
    record->SetValue("Children", ids);
    return true;
}

WmlDeprecated::SerializerRecord* CompositionNodeSceneObject::StoreOld(WmlDeprecated::Serializer* serializer)
{
    ModelLock lock = LockModel();
    WmlDeprecated::SerializerRecord* record = BlobTreeNodeSceneObject::StoreOld(serializer);
    if (!record) return nullptr;
    std::vector<unsigned int> ids;
    for (vynui::SceneObject* child : GetChildren()) {
        auto* node = dynamic_cast<BlobTreeNodeSceneObject*>(child);
        if (!node) continue;
        if (WmlDeprecated::SerializerRecord* childRecord = node->StoreOld(serializer))
            ids.push_back(childRecord->GetID());
    }
    record->SetValue("NumChildren", static_cast<unsigned int>(ids.size()));
    record->SetValue("ChildrenIDs", ids);
    return record;
}

void CompositionNodeSceneObject::ApplyStoredFrame(const Wml::Frame3<float>&) {}

void CompositionNodeSceneObject::DoTranslate(const Wml::Vector3<float>& v, bool relative)
{
    ModelLock lock = LockModel();
    const Wml::Vector3<float> d = relative ? v : v - GetFrame().Origin();
    // Copy: a listener of a child may edit the tree while we walk it.
    const std::vector<vynui::SceneObject*> children = GetChildren();
    for (vynui::SceneObject* child : children) child->Translate(d, true);
    BlobTreeNodeSceneObject::DoTranslate(v, relative);
}

void CompositionNodeSceneObject::DoRotate(const Wml::Matrix3<float>& m, bool relative)
{
    ModelLock lock = LockModel();
    const Wml::Frame3<float> frame = GetFrame();
    Wml::Matrix3<float> turn = m;
    if (!relative) {
        Wml::Frame3<float> target = frame;
        target.SetRotation(m, true);
        frame.ComputeAlignmentMatrix(target, turn);
    }
    const std::vector<vynui::SceneObject*> children = GetChildren();
    for (vynui::SceneObject* child : children) child->RotateAbout(turn, frame.Origin());
    BlobTreeNodeSceneObject::DoRotate(turn, true);
}

void CompositionNodeSceneObject::DoScale(float sx, float sy, float sz, bool relative, bool uniform)
{
    BlobTreeNodeSceneObject::DoScale(sx, sy, sz, relative, uniform);
}

}  // namespace vynui_bt
