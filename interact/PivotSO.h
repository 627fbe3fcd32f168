#pragma once
// A pivot: a small marker the user drops on a surface to turn and move other
// objects about. Objects linked to it follow its moves (see
// ConstraintLinkSet), so turning the pivot turns them about its origin.
//
// A pivot either sits on a surface anchor, whose frame is then the pivot's
// frame (moving the pivot moves the anchor), or keeps a free frame of its
// own. The anchor is not owned; whoever deletes it first calls
// SetAnchor(nullptr), which leaves the pivot where it stands.

#include "scene/SceneObject.h"

namespace vynui {

class SurfaceAnchor;

class PivotSO : public SceneObject {
public:
    /// Radius of the marker and of its pick sphere, in world units.
    static constexpr float DEFAULT_SIZE = 0.04f;

    /// A free pivot at frame (an unusable frame leaves the world origin).
    explicit PivotSO(const Wml::Frame3<float>& frame = Wml::Frame3<float>());
    /// A pivot on anchor (may be null: a free pivot at the origin).
    explicit PivotSO(SurfaceAnchor* anchor);

    SurfaceAnchor* GetAnchor() const { return m_anchor; }
    /// Puts the pivot on anchor, which keeps its frame (the pivot jumps to
    /// it). Null makes the pivot free, keeping the frame it had.
    void SetAnchor(SurfaceAnchor* anchor);

    float GetSize() const { return m_size; }
    /// Refused unless positive and finite.
    bool SetSize(float size);

    // ---- scene object
    Wml::Frame3<float> GetFrame() override;
    /// Pivots mark a place, they have no extent: scaling is ignored and
    /// nobody is told of a change.
    void Scale(float sx, float sy, float sz, bool relative, bool uniform) override;
    /// The 3D tools ("Translation3D", "Rotation3D", "DynamicTool3D").
    bool SupportsTool(const std::string& toolName) override;
    bool IsPivot() override { return true; }
    const char* GetTypeName() override { return "PivotSO"; }
    /// "Position", "Orientation", then "Name".
    void InitializeParameters() override;
    /// The sphere of radius GetSize() about the origin, selected or not (a
    /// pivot is picked to be selected). t = ray parameter of the entry
    /// point, 0 when the ray starts inside.
    SceneObject* Pick(const Wml::Ray3<float>& ray, float& t) override;
    void Render(bool selected) override;
    /// The base record plus "PivotSize".
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The base, then "PivotSize" when present and usable.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    void DoTranslate(const Wml::Vector3<float>& v, bool relative) override;
    void DoRotate(const Wml::Matrix3<float>& m, bool relative) override;

private:
    SurfaceAnchor* m_anchor = nullptr;
    Wml::Frame3<float> m_frame;  // used while there is no anchor
    float m_size = DEFAULT_SIZE;
};

}  // namespace vynui
