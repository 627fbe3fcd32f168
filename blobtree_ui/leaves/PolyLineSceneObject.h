#pragma once
// The scene object of a tube around a polyline (factory code 8, "PolyLine").
//
// Records: "PolyLineNumPoints" and "PolyLinePoints" (the vertices in the
// polyline's local coordinates). Restore appends the stored points; the
// older format reads them before the base data, so the stored frame is
// applied with the points in place.

#include <vector>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "wml/Vector3.h"

namespace vynbt {
class PolyLineNode;
}

namespace vynui_bt {

class PolyLineSceneObject : public BlobTreeNodeSceneObject {
public:
    /// Takes ownership of node and its polyline.
    explicit PolyLineSceneObject(vynbt::PolyLineNode* node);

    vynbt::PolyLineNode* GetPolyLineNode() const;

    /// "PolyLine".
    const char* GetTypeName() override;
    /// The base list, then X, Y, Z, "Radius", "Taper".
    void InitializeParameters() override;
    /// Red (selected) or blue line strip and points through the vertices.
    void Render(bool selected) override;

    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The base data, then the stored points. False when the points are
    /// damaged (fewer stored than counted, or a point the polyline refuses);
    /// the points that could be read are kept.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    using BlobTreeNodeSceneObject::RestoreOld;
    /// The points first, then the base data.
    bool RestoreOld(WmlDeprecated::SerializerRecord* record) override;
    WmlDeprecated::SerializerRecord* StoreOld(WmlDeprecated::Serializer* serializer) override;

    /// The vertices placed in world coordinates (what Render draws).
    std::vector<Wml::Vector3<float>> GetWorldVertices() const;

private:
    /// Appends the points of a record's "PolyLineNumPoints"/"PolyLinePoints"
    /// under the lock, telling the tree. True when the key is absent or all
    /// counted points were appended.
    bool AppendStoredPoints(const Wml::SerializerRecord& record);
};

}  // namespace vynui_bt
