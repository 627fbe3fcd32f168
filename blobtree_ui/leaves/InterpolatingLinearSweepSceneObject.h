#pragma once
// The scene object of a straight sweep morphing through several slices
// (factory code 7, "InterpolatingLinearSweep"). One handle per slice moves the
// slice along the sweep and within its plane.
//
// Records: the older format keeps the slices as "NumSlices", "SliceIDs"
// (record IDs of the slices' fields) and "SlicePostions" (sic, the key as
// files have it). The current format adds the same data as "NumSlices",
// "SliceFieldIDs" (records of their own, like a sweep's "FieldID"),
// "SlicePositions" and "SliceOffsets", so saving does not lose the slices.
// Slice fields restored from a file are owned by this object, shared with
// every other slice or object that refers to the same field record.

#include <memory>
#include <vector>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/leaves/ProfileFieldRecords.h"
#include "wml/Vector3.h"

namespace vynbt {
class InterpolatingLinearSweepNode;
}
namespace vynimplicit {
class ScalarField2D;
}

namespace vynui_bt {

class InterpolatingLinearSweepSceneObject : public BlobTreeNodeSceneObject {
public:
    /// Most slices a record may bring (the sweep's own limit).
    static const unsigned int MAX_STORED_SLICES;

    /// Takes ownership of node and its sweep.
    explicit InterpolatingLinearSweepSceneObject(vynbt::InterpolatingLinearSweepNode* node);
    /// Deletes the slice handles, clears the slices and deletes owned fields.
    ~InterpolatingLinearSweepSceneObject() override;

    vynbt::InterpolatingLinearSweepNode* GetSweepNode() const;

    /// "InterpolatingLinearSweep".
    const char* GetTypeName() override;
    /// The base list, then X, Y, Z, "Length", "Radius", "Falloff Length",
    /// "Cap Style", "Endcap Smoothness", "Blend Mode"; then one handle per
    /// slice.
    void InitializeParameters() override;
    /// Always: a red axis segment, then every slice outline (width 2, colour
    /// (0.7, 0.7, 0), no depth test); then the base drawing.
    void Render(bool selected) override;

    /// Appends a slice between the node's change brackets and gives it a
    /// handle. With owned the object deletes the field later. False when the
    /// sweep refuses the slice (an owned field is then deleted).
    bool AddSlice(vynimplicit::ScalarField2D* field, float position, float x, float y, bool owned);
    /// As AddSlice, the object keeping its share of field.
    bool AddSharedSlice(SharedField2D field, float position, float x, float y);

    /// Every slice outline as world points: vertex (x, y) of a polygon of
    /// slice i sits at (x, y, p_i) of the frame (rotated and moved to the
    /// origin), p_i the slice position or 0 with a single slice.
    std::vector<std::vector<Wml::Vector3<float>>> GetSliceOutlines() const;
    /// The point (x, y, p) of the sweep's frame in world coordinates
    /// (rotation and origin only, as the outlines are drawn).
    Wml::Vector3<float> SweepPointToWorld(float x, float y, float p) const;

    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The stored slices (when present) are appended, then the base data.
    /// False when some slice could not be read.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    using BlobTreeNodeSceneObject::RestoreOld;
    /// Base data only; false when the record lists slices.
    bool RestoreOld(WmlDeprecated::SerializerRecord* record) override;
    /// The slices of "NumSlices"/"SliceIDs"/"SlicePostions", then the base.
    bool RestoreOld(WmlDeprecated::Serializer* serializer, WmlDeprecated::SerializerRecord* record) override;
    WmlDeprecated::SerializerRecord* StoreOld(WmlDeprecated::Serializer* serializer) override;

private:
    /// One handle per slice of the sweep.
    void RebuildSliceHandles();
    /// Appends the slice between the node's change brackets and gives it a
    /// handle; false when the sweep refuses it.
    bool AppendSlice(vynimplicit::ScalarField2D* field, float position, float x, float y);

    /// One share per owned slice (a field used by several slices is here
    /// once per slice).
    std::vector<SharedField2D> m_ownedFields;
    std::vector<vynui::SceneObject*> m_sliceHandles;
};

}  // namespace vynui_bt
