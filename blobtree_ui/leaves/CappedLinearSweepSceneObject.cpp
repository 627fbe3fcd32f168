#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"

#include "blobtree/nodes/CappedLinearSweepNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObjectParameters.h"
#include "blobtree_ui/leaves/LeafParameter.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace vynui_bt {

CappedLinearSweepSceneObject::CappedLinearSweepSceneObject(vynbt::CappedLinearSweepNode* node)
    : ProfiledLeafSceneObject(node, ShapeCode::CappedLinearSweep,
                              ShapeTypeTable::RecordName(ShapeCode::CappedLinearSweep))
{
}

CappedLinearSweepSceneObject::~CappedLinearSweepSceneObject()
{
    ReleaseProfile();
}

vynbt::CappedLinearSweepNode* CappedLinearSweepSceneObject::GetSweepNode() const
{
    return static_cast<vynbt::CappedLinearSweepNode*>(GetNode());
}

const char* CappedLinearSweepSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::CappedLinearSweep);
}

void CappedLinearSweepSceneObject::InitializeParameters()
{
    BlobTreeNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new LinearSweepParameter_FalloffLength(this));
    AddParameter(new LinearSweepParameter_Length(this));
    AddParameter(new LinearSweepParameter_Radius(this));
    AddParameter(new LinearSweepParameter_CapStyle(this));
    AddParameter(new LinearSweepParameter_EndcapBlendAngle(this));
}

void CappedLinearSweepSceneObject::Render(bool selected)
{
    if (selected) BlobTreeNodeSceneObject::Render(selected);
}

vynimplicit::ScalarField2D* CappedLinearSweepSceneObject::CurrentTemplate() const
{
    return GetSweepNode()->GetSweepTemplate();
}

void CappedLinearSweepSceneObject::InstallTemplate(vynimplicit::ScalarField2D* profile)
{
    // The node's own setter reports the change.
    GetSweepNode()->SetSweepTemplate(profile);
}

bool CappedLinearSweepSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    return BlobTreeNodeSceneObject::Store(serializer, record) && StoreProfile(serializer, record);
}

bool CappedLinearSweepSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!record) return false;
    const bool haveProfile = RestoreProfile(serializer, record);
    const bool baseOk = BlobTreeNodeSceneObject::Restore(serializer, record);
    return haveProfile && baseOk;
}

bool CappedLinearSweepSceneObject::RestoreOld(WmlDeprecated::SerializerRecord* record)
{
    return RestoreOld(nullptr, record);
}

bool CappedLinearSweepSceneObject::RestoreOld(WmlDeprecated::Serializer* serializer,
                                              WmlDeprecated::SerializerRecord* record)
{
    if (!record) return false;
    const bool haveProfile = RestoreProfileOld(serializer, record);
    const bool baseOk = BlobTreeNodeSceneObject::RestoreOld(record);
    return haveProfile && baseOk;
}

WmlDeprecated::SerializerRecord* CappedLinearSweepSceneObject::StoreOld(WmlDeprecated::Serializer* serializer)
{
    WmlDeprecated::SerializerRecord* record = BlobTreeNodeSceneObject::StoreOld(serializer);
    if (record) StoreProfileOld(serializer, record);
    return record;
}

}  // namespace vynui_bt
