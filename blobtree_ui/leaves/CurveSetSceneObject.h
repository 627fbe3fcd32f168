#pragma once
// The scene object of a set of tubes around world-space curves (factory code
// 46, "CurveSet"). It has no parameters of its own; the set cannot be moved
// (its node ignores frame changes).
//
// Records: the base data plus the curves, as "CurveSizes" (points per
// curve), "CurvePoints" (all points, curve after curve) and "CurveRadii".

#include <vector>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "wml/Vector3.h"

namespace vynbt {
class CurveSetNode;
}

namespace vynui_bt {

class CurveSetSceneObject : public BlobTreeNodeSceneObject {
public:
    /// Takes ownership of node and its curve set.
    explicit CurveSetSceneObject(vynbt::CurveSetNode* node);

    vynbt::CurveSetNode* GetCurveSetNode() const;

    /// "CurveSet".
    const char* GetTypeName() override;
    /// Adds a curve between the node's change brackets; false when the set
    /// refuses it.
    bool AddCurve(const std::vector<Wml::Vector3<float>>& points, float radius);

    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The stored curves are appended, then the base data. False when the
    /// sizes run past the stored points or a curve is refused.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    /// A red (selected) or blue point of size 5 at the frame's origin, then
    /// the base drawing.
    void Render(bool selected) override;
};

}  // namespace vynui_bt
