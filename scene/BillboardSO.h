#pragma once
// A textured rectangle showing an image in the scene.
//
// The frame's x and y scale are the rectangle's half-extents; the rows of
// its rotation are the rectangle's x axis, y axis and normal. The decoded
// image stays in memory; the GL texture is made from it on the first Render
// with a current context and freed by ReleaseGLResources (call it with the
// context current before the context or the object goes away: the destructor
// makes no GL calls).

#include <string>

#include "scene/RGBAImage.h"
#include "scene/SceneObject.h"

namespace vynui {

class BillboardSO : public SceneObject {
public:
    BillboardSO();
    ~BillboardSO() override;

    /// Loads the image at path; when path does not exist, its bare file name
    /// in the current directory is tried and becomes the stored path. On
    /// success the scale becomes (1, h/w, 1) for a wide image, else
    /// (w/h, 1, 1), and the listeners are told (null event). False, with the
    /// object unchanged, when neither file exists or the image does not load.
    bool LoadImage(const std::string& path);
    const std::string& GetImageFilePath() const { return m_imagePath; }
    const RGBAImage& GetImage() const { return m_image; }

    Wml::Frame3<float> GetFrame() override { return m_frame; }
    /// "Translation3D", "Rotation3D" and "DynamicTool3D".
    bool SupportsTool(const std::string& toolName) override;
    const char* GetTypeName() override { return "Billboard"; }
    /// "Position", "Orientation", "Scale", then "Name".
    void InitializeParameters() override;
    /// Ray against the rectangle; t is the squared distance from the ray's
    /// origin to the hit point.
    SceneObject* Pick(const Wml::Ray3<float>& ray, float& t) override;
    /// The textured quad (blended, alpha 0.5) and its outline: black width 1,
    /// or red width 3 when selected.
    void Render(bool selected) override;

    /// The base record plus "ImageFilePath", relative to the folder of the
    /// serializer's file name when one is set and a relative path exists.
    bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;
    /// The base record, then the image from "ImageFilePath" (a relative path
    /// is taken from the folder of the serializer's file name). A stored
    /// "Scale" survives the image load. When the image cannot be loaded the
    /// path is still kept, so that saving again does not lose it, and the
    /// answer is false.
    bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record) override;

    /// origin += v, or origin := v.
    void DoTranslate(const Wml::Vector3<float>& v, bool relative) override;
    /// Turns the frame by m, or sets its rotation to m when not relative.
    void DoRotate(const Wml::Matrix3<float>& m, bool relative) override;
    /// Half-extents: relative x *= |a|, y *= |b'| (factors; a flip keeps the size); absolute x := a,
    /// y := b'; b' = a when uniform, else b.
    void DoScale(float a, float b, float c, bool relative, bool uniform) override;

    /// Frees the GL texture (needs the context that made it current).
    void ReleaseGLResources();

    /// The corners of the rectangle, counter-clockwise from
    /// origin - x row0 - y row1.
    void GetCorners(Wml::Vector3<float> corners[4]) const;

private:
    void UploadTexture();

    Wml::Frame3<float> m_frame;
    std::string m_imagePath;
    RGBAImage m_image;
    unsigned int m_texture = 0;
    bool m_textureStale = false;
};

}  // namespace vynui
