#include "blobtree_ui/operators/VariationalWarpSceneObject.h"

#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/VariationalWarpSceneObjectParameters.h"
#include "blobtree_ui/operators/VariationalWarp_ControlPointTarget.h"
#include "blobtree_ui/operators/WarpPointRecord.h"
#include "scene/BasicParameterOriginCoordinate.h"

namespace vynui_bt {

VariationalWarpSceneObject::VariationalWarpSceneObject(vynbt::VariationalWarpNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::VariationalWarp,
                                 ShapeTypeTable::RecordName(ShapeCode::VariationalWarp))
{
}

VariationalWarpSceneObject::~VariationalWarpSceneObject()
{
    VariationalWarp_ControlPointTarget::DeleteHandles(this);
}

const char* VariationalWarpSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::VariationalWarp);
}

void VariationalWarpSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddOriginCoordinateParameters();
    AddParameter(new VariationalWarpParameter_Radius(this));
    AddParameter(new VariationalWarpParameter_Smoothing(this));
    UpdateWarpHandles();
}

bool VariationalWarpSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!CompositionNodeSceneObject::Store(serializer, record)) return false;
    WarpPointRecord::Store(this, GetVariationalWarpNode(), record);
    return true;
}

bool VariationalWarpSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    const bool base = CompositionNodeSceneObject::Restore(serializer, record);
    const bool warp = record && WarpPointRecord::Restore(this, GetVariationalWarpNode(), record);
    UpdateWarpHandles();
    return base && warp;
}

void VariationalWarpSceneObject::UpdateWarpHandles()
{
    VariationalWarp_ControlPointTarget::SyncHandles(this, GetVariationalWarpNode());
}

vynbt::VariationalWarpNode* VariationalWarpSceneObject::GetVariationalWarpNode() const
{
    return static_cast<vynbt::VariationalWarpNode*>(GetNode());
}

}  // namespace vynui_bt
