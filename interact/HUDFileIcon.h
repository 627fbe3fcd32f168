#pragma once
// An icon read from a PNG file and drawn as a textured white quad. The image
// is decoded when the icon is made; the GL texture is made in the current
// context at the first Draw and freed with the icon (when a context is
// current then). A file that cannot be read leaves the icon untextured: it
// still draws, as a plain white quad, and nothing is reported.

#include <string>

#include "interact/HUDIcon.h"
#include "scene/RGBAImage.h"

namespace vynui {

class HUDFileIcon : public HUDIcon {
public:
    explicit HUDFileIcon(const std::string& path);
    ~HUDFileIcon() override;
    HUDFileIcon(const HUDFileIcon&) = delete;
    HUDFileIcon& operator=(const HUDFileIcon&) = delete;

    /// The image's size; 0 when it could not be read.
    int GetWidth() const override { return m_image.width; }
    int GetHeight() const override { return m_image.height; }
    void Draw(const Wml::AxisAlignedBox2<float>& box) override { Draw(box, 1.0f); }
    void Draw(const Wml::AxisAlignedBox2<float>& box, float alpha);

    const std::string& GetPath() const { return m_path; }
    /// True when the file was decoded and a texture can be made from it.
    bool HasImage() const { return !m_image.Empty(); }
    const RGBAImage& GetImage() const { return m_image; }
    /// The GL texture name, 0 until the first Draw (and for ever without an image).
    unsigned int GetTexture() const { return m_texture; }

    /// Makes the texture in the current context if not done yet; answers it.
    unsigned int EnsureTexture();

private:
    std::string m_path;
    RGBAImage m_image;
    unsigned int m_texture = 0;
};

}  // namespace vynui
