#include "scene/BillboardSO.h"
#include "scene/SceneFilePaths.h"

#include <GL/gl.h>

#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

#include "scene/BasicParameterOrientation.h"
#include "scene/BasicParameterOrigin.h"
#include "scene/BasicParameterScale.h"
#include "scene/NameRegistry.h"
#include "wml/DebugOutput.h"
#include "wml/Intersection.h"
#include "wml/Plane3.h"
#include "wml/Serializer.h"

namespace fs = std::filesystem;

namespace vynui {

namespace {

bool PathExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::exists(fs::path(path), ec) && !ec;
}

}  // namespace

BillboardSO::BillboardSO()
{
    SetName(MakeUniqueName("Billboard"));
}

BillboardSO::~BillboardSO() = default;

bool BillboardSO::LoadImage(const std::string& path)
{
    std::string candidate = path;
    if (!PathExists(candidate)) {
        candidate = fs::path(path).filename().string();
        if (!PathExists(candidate)) {
            DebugOutput("BillboardSO: image file %s not found\n", path.c_str());
            return false;
        }
    }
    RGBAImage image;
    std::string error;
    if (!image.Load(candidate, &error)) {
        DebugOutput("BillboardSO: could not load %s: %s\n", candidate.c_str(), error.c_str());
        return false;
    }
    {
        boost::recursive_mutex::scoped_lock lock(GetLock());
        m_imagePath = candidate;
        m_image = std::move(image);
        m_textureStale = true;
        const float w = static_cast<float>(m_image.width), h = static_cast<float>(m_image.height);
        if (w > h)
            m_frame.Scale() = Wml::Vector3<float>(1.0f, h / w, 1.0f);
        else
            m_frame.Scale() = Wml::Vector3<float>(w / h, 1.0f, 1.0f);
    }
    Notify(nullptr);
    return true;
}

bool BillboardSO::SupportsTool(const std::string& toolName)
{
    return toolName == "Translation3D" || toolName == "Rotation3D" || toolName == "DynamicTool3D";
}

void BillboardSO::InitializeParameters()
{
    AddParameter(new BasicParameterOrigin(this, "Position"));
    AddParameter(new BasicParameterOrientation(this, "Orientation"));
    AddParameter(new BasicParameterScale(this, "Scale"));
    SceneObject::InitializeParameters();
}

SceneObject* BillboardSO::Pick(const Wml::Ray3<float>& ray, float& t)
{
    const Wml::Vector3<float> origin = m_frame.Origin();
    const Wml::Plane3<float> plane(m_frame.Z(), origin);
    float rayT = 0.0f;
    Wml::Vector3<float> p;
    if (!Wml::FindIntersection(ray, plane, rayT, p)) return nullptr;
    const Wml::Vector3<float> d = p - origin;
    if (!(std::fabs(d.Dot(m_frame.X())) < m_frame.Scale().X())) return nullptr;
    if (!(std::fabs(d.Dot(m_frame.Y())) < m_frame.Scale().Y())) return nullptr;
    t = (p - ray.Origin()).SquaredLength();
    return this;
}

void BillboardSO::GetCorners(Wml::Vector3<float> corners[4]) const
{
    const Wml::Vector3<float> o = m_frame.Origin();
    const Wml::Vector3<float> x = m_frame.X() * m_frame.Scale().X();
    const Wml::Vector3<float> y = m_frame.Y() * m_frame.Scale().Y();
    corners[0] = o - x - y;
    corners[1] = o + x - y;
    corners[2] = o + x + y;
    corners[3] = o - x + y;
}

void BillboardSO::UploadTexture()
{
    if (m_image.Empty()) return;
    if (m_texture == 0) {
        GLuint id = 0;
        glGenTextures(1, &id);
        if (id == 0) return;  // no current context
        m_texture = id;
    }
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, m_image.width, m_image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 m_image.pixels.data());
    m_textureStale = false;
}

void BillboardSO::Render(bool selected)
{
    if (m_textureStale || (m_texture == 0 && !m_image.Empty())) UploadTexture();

    Wml::Vector3<float> c[4];
    GetCorners(c);
    const Wml::Vector3<float> n = m_frame.Z();

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT |
                 GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    const bool textured = m_texture != 0 && !m_textureStale;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    // Image rows run from the top, so the texture's t grows downwards.
    static const float kTex[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
    glBegin(GL_QUADS);
    glNormal3f(n.X(), n.Y(), n.Z());
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(kTex[i][0], kTex[i][1]);
        glVertex3f(c[i].X(), c[i].Y(), c[i].Z());
    }
    glEnd();
    if (textured) glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);

    if (selected) {
        glLineWidth(3.0f);
        glColor3f(1.0f, 0.0f, 0.0f);
    } else {
        glLineWidth(1.0f);
        glColor3f(0.0f, 0.0f, 0.0f);
    }
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < 4; ++i) glVertex3f(c[i].X(), c[i].Y(), c[i].Z());
    glEnd();
    glPopAttrib();
}

void BillboardSO::ReleaseGLResources()
{
    if (m_texture == 0) return;
    GLuint id = m_texture;
    glDeleteTextures(1, &id);
    m_texture = 0;
    m_textureStale = !m_image.Empty();
}

bool BillboardSO::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    if (!SceneObject::Store(serializer, record)) return false;
    record->SetValue("ImageFilePath", PathForSceneFile(serializer, m_imagePath));
    return true;
}

bool BillboardSO::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    if (!SceneObject::Restore(serializer, record)) return false;

    unsigned int length = 0;
    if (!record->GetStringValue("ImageFilePath", nullptr, length) || length <= 1) return true;
    std::vector<char> buffer(length, '\0');
    if (!record->GetStringValue("ImageFilePath", buffer.data(), length)) return true;
    buffer.back() = '\0';
    const std::string resolved = PathFromSceneFile(serializer, buffer.data());

    // Loading resets the half-extents to the image's aspect; the restored
    // ones are what the user had.
    const Wml::Vector3<float> scale = m_frame.Scale();
    const bool hadScale = record->HasKey("Scale");
    if (LoadImage(resolved)) {
        if (hadScale) m_frame.Scale() = scale;
        return true;
    }
    m_imagePath = resolved;
    DebugOutput("BillboardSO: %s keeps its image path %s but has no image\n", GetName().c_str(),
                resolved.c_str());
    return false;
}

void BillboardSO::DoTranslate(const Wml::Vector3<float>& v, bool relative)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    if (relative)
        m_frame.Origin() += v;
    else
        m_frame.Origin() = v;
}

void BillboardSO::DoRotate(const Wml::Matrix3<float>& m, bool relative)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    m_frame.Rotate(m, relative);
}

void BillboardSO::DoScale(float a, float b, float, bool relative, bool uniform)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    const float bb = uniform ? a : b;
    Wml::Vector3<float>& s = m_frame.Scale();
    if (relative) {
        // Factors, as every scene object takes them and as the scale event
        // reports them. Mirroring (a flip) keeps the picture's size.
        s.X() *= std::fabs(a);
        s.Y() *= std::fabs(bb);
    } else {
        s.X() = a;
        s.Y() = bb;
    }
}

}  // namespace vynui
