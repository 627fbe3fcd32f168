#include "blobtree_ui/leaves/RevolutionSceneObject.h"

#include <GL/gl.h>

#include "blobtree/nodes/RevolutionNode.h"
#include "blobtree_ui/leaves/CylinderSceneObject.h"
#include "blobtree_ui/leaves/LeafParameter.h"
#include "blobtree_ui/leaves/ProfileFieldRecords.h"
#include "blobtree_ui/leaves/RevolutionSceneObjectParameters.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

namespace {

const char* const FIELD_KEY = "FieldID";
const char* const OLD_FIELD_KEY = "2DFieldID";

}  // namespace

RevolutionSceneObject::RevolutionSceneObject(vynbt::RevolutionNode* node)
    : BlobTreeNodeSceneObject(node, 3, "Revolution")
{
}

RevolutionSceneObject::~RevolutionSceneObject()
{
    ModelLock lock = LockModel();
    if (m_ownedProfile) DetachFromParentNode(GetNode());
    vynimplicit::DiscreteRevolution* revolution = GetRevolutionNode()->GetRevolution();
    if (m_ownedProfile && revolution->GetSweepTemplate() == m_ownedProfile.get())
        revolution->SetSweepTemplate(nullptr);
}

vynbt::RevolutionNode* RevolutionSceneObject::GetRevolutionNode() const
{
    return static_cast<vynbt::RevolutionNode*>(GetNode());
}

const char* RevolutionSceneObject::GetTypeName()
{
    return "Revolution";
}

void RevolutionSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddParameter(new vynui::BasicParameterOriginCoordinate("X", this, 0));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Y", this, 1));
    AddParameter(new vynui::BasicParameterOriginCoordinate("Z", this, 2));
    AddParameter(new RevolutionParameter_EvalMode(this));
    AddParameter(new RevolutionParameter_Radius(this));
}

void RevolutionSceneObject::Render(bool selected)
{
    if (selected) {
        Wml::Vector3<float> from, to;
        GetAxisSegment(GetFrame(), from, to);
        glColor3f(1.0f, 0.0f, 0.0f);
        glBegin(GL_LINES);
        glVertex3f(from.X(), from.Y(), from.Z());
        glVertex3f(to.X(), to.Y(), to.Z());
        glEnd();
    }
    BlobTreeNodeSceneObject::Render(selected);
}

void RevolutionSceneObject::SetProfile(vynimplicit::ScalarField2D* profile, bool owned)
{
    ModelLock lock = LockModel();
    vynbt::RevolutionNode* node = GetRevolutionNode();
    // The node has no setter of its own for the template.
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    node->GetRevolution()->SetSweepTemplate(profile);
    node->ChildModifiedHack_AfterChange(before);
    if (m_ownedProfile.get() != profile)
        m_ownedProfile.reset(owned ? profile : nullptr);
    else if (!owned)
        m_ownedProfile.release();
}

vynimplicit::ScalarField2D* RevolutionSceneObject::GetProfile() const
{
    ModelLock lock = LockModel();
    return GetRevolutionNode()->GetRevolution()->GetSweepTemplate();
}

bool RevolutionSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!BlobTreeNodeSceneObject::Store(serializer, record)) return false;
    ModelLock lock = LockModel();
    vynimplicit::ScalarField2D* profile = GetRevolutionNode()->GetRevolution()->GetSweepTemplate();
    return !profile || StoreProfileField(serializer, record, FIELD_KEY, profile);
}

bool RevolutionSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    std::unique_ptr<vynimplicit::ScalarField2D> profile = RestoreProfileField(serializer, record, FIELD_KEY);
    const bool haveProfile = profile != nullptr;
    if (haveProfile) SetProfile(profile.release(), true);
    const bool baseOk = BlobTreeNodeSceneObject::Restore(serializer, record);
    return haveProfile && baseOk;
}

bool RevolutionSceneObject::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    return RestoreOld(nullptr, record);
}

bool RevolutionSceneObject::RestoreOld(WmlDeprecated::Serializer* serializer,
                                       WmlDeprecated::SerializerRecord* record)
{
    if (!record) return false;
    std::unique_ptr<vynimplicit::ScalarField2D> profile =
        RestoreProfileFieldOld(serializer, record, OLD_FIELD_KEY);
    const bool haveProfile = profile != nullptr;
    if (haveProfile) SetProfile(profile.release(), true);
    const bool baseOk = BlobTreeNodeSceneObject::RestoreOld(record);
    return haveProfile && baseOk;
}

WmlDeprecated::SerializerRecord* RevolutionSceneObject::StoreOld(WmlDeprecated::Serializer* serializer)
{
    WmlDeprecated::SerializerRecord* record = BlobTreeNodeSceneObject::StoreOld(serializer);
    if (!record) return nullptr;
    ModelLock lock = LockModel();
    vynimplicit::ScalarField2D* profile = GetRevolutionNode()->GetRevolution()->GetSweepTemplate();
    if (profile) StoreProfileFieldOld(serializer, record, OLD_FIELD_KEY, profile);
    return record;
}

}  // namespace vynui_bt
