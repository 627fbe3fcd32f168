#include "detail/MeshSceneObject.h"
#include "scene/SceneFilePaths.h"

#include <GL/gl.h>

#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

#include "implicit/mesh/IMeshUtil.h"
#include "implicit/mesh/MeshFiles.h"
#include "scene/BasicParameterOrientation.h"
#include "scene/BasicParameterOrigin.h"
#include "scene/BasicParameterScale.h"
#include "scene/NameRegistry.h"
#include "wml/DebugOutput.h"
#include "wml/Serializer.h"

namespace fs = std::filesystem;

namespace vynui {

namespace {

bool Finite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

bool FiniteFrame(const Wml::Frame3<float>& f)
{
    if (!Finite(f.Origin()) || !Finite(f.Scale())) return false;
    for (int i = 0; i < 3; ++i)
        if (!Finite(f.GetRotation().GetRow(i))) return false;
    return true;
}

bool HasNormals(const vynmesh::TriangleMesh& mesh)
{
    for (const Wml::Vector3<float>& n : mesh.GetNormals())
        if (n.SquaredLength() > 0.0f) return true;
    return false;
}

}  // namespace

MeshSceneObject::MeshSceneObject() : m_tree(&m_mesh)
{
    SetName(MakeUniqueName("Mesh"));
}

MeshSceneObject::~MeshSceneObject() = default;

MeshSceneObject* MeshSceneObject::Import(const std::string& path, std::string& error)
{
    MeshSceneObject* object = new MeshSceneObject();
    if (!object->LoadFromFile(path, error)) {
        delete object;
        return nullptr;
    }
    object->InitializeParameters();
    return object;
}

bool MeshSceneObject::LoadFromFile(const std::string& path, std::string& error)
{
    vynmesh::TriangleMesh read;
    if (!vynmesh::ReadMeshFile(path.c_str(), read, error)) return false;
    if (read.GetNumTriangles() == 0) {
        error = "Cannot read \"" + path + "\": the file holds no triangles.";
        return false;
    }
    if (!HasNormals(read)) vynmesh::IMeshUtil::ComputeVertexNormals(read);
    {
        boost::recursive_mutex::scoped_lock lock(GetLock());
        m_mesh = vynmesh::VFTriangleMesh(read);
        m_tree.SetMesh(&m_mesh);
        m_tree.Clear();
        m_path = path;
    }
    error.clear();
    Notify(nullptr);
    return true;
}

void MeshSceneObject::GetWorldMesh(vynmesh::TriangleMesh& out)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    out.Clear();
    out.Reserve(m_mesh.GetNumVertices(), m_mesh.GetNumTriangles());
    const Wml::Vector3<float>& s = m_frame.Scale();
    // A mirroring frame turns the winding inside out; keep it outward.
    const bool flip = s.X() * s.Y() * s.Z() < 0.0f;
    for (unsigned v = 0; v < m_mesh.GetNumVertices(); ++v) {
        Wml::Vector3<float> n = m_frame.ToWorldNormal(m_mesh.GetNormal(v));
        const float length = n.Length();
        if (length > 0.0f) n /= length;
        out.AppendVertex(m_frame.ToWorldPoint(m_mesh.GetPosition(v)), &n);
    }
    for (unsigned t = 0; t < m_mesh.GetNumTriangles(); ++t) {
        vynmesh::IMesh::VertexID tri[3];
        m_mesh.GetTriangle(t, tri);
        if (flip)
            out.AppendTriangle(tri[0], tri[2], tri[1]);
        else
            out.AppendTriangle(tri[0], tri[1], tri[2]);
    }
}

Wml::Frame3<float> MeshSceneObject::GetFrame()
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    return m_frame;
}

bool MeshSceneObject::SupportsTool(const std::string& toolName)
{
    return toolName == "DynamicTool3D" || toolName == "Translation3D" || toolName == "Rotation3D";
}

void MeshSceneObject::InitializeParameters()
{
    AddParameter(new BasicParameterOrigin(this, "Position"));
    AddParameter(new BasicParameterOrientation(this, "Orientation"));
    AddParameter(new BasicParameterScale(this, "Scale"));
    SceneObject::InitializeParameters();
}

SceneObject* MeshSceneObject::Pick(const Wml::Ray3<float>& ray, float& t)
{
    if (SceneObject* handle = SceneObject::Pick(ray, t)) return handle;
    if (!Finite(ray.Origin()) || !Finite(ray.Direction())) return nullptr;

    boost::recursive_mutex::scoped_lock lock(GetLock());
    const Wml::Vector3<float>& s = m_frame.Scale();
    if (s.X() == 0.0f || s.Y() == 0.0f || s.Z() == 0.0f) return nullptr;  // flattened away
    // The frame's map is affine, so a local ray parameter is the world one.
    const Wml::Ray3<float> local(m_frame.ToLocalPoint(ray.Origin()),
                                 m_frame.ToLocalVectorScaled(ray.Direction()));
    float hitT = 0.0f;
    vynmesh::IMesh::TriangleID triangle = vynmesh::IMesh::InvalidID;
    if (!m_tree.FindRayIntersection(local, hitT, triangle)) return nullptr;
    t = hitT;
    return this;
}

void MeshSceneObject::Render(bool selected)
{
    {
        boost::recursive_mutex::scoped_lock lock(GetLock());
        const Wml::Vector3<float> x = m_frame.X() * m_frame.Scale().X();
        const Wml::Vector3<float> y = m_frame.Y() * m_frame.Scale().Y();
        const Wml::Vector3<float> z = m_frame.Z() * m_frame.Scale().Z();
        const Wml::Vector3<float>& o = m_frame.Origin();
        const GLfloat matrix[16] = {x.X(), x.Y(), x.Z(), 0, y.X(), y.Y(), y.Z(), 0,
                                    z.X(), z.Y(), z.Z(), 0, o.X(), o.Y(), o.Z(), 1};

        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT);
        glPushMatrix();
        glMultMatrixf(matrix);
        glEnable(GL_LIGHTING);
        glEnable(GL_NORMALIZE);
        glEnable(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
        if (selected)
            glColor4f(1.0f, 0.55f, 0.55f, 1.0f);
        else
            glColor4f(0.8f, 0.8f, 0.8f, 1.0f);
        m_renderer.Render(m_mesh, true, false, false);
        glPopMatrix();
        glPopAttrib();
    }
    SceneObject::Render(selected);
}

bool MeshSceneObject::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    if (!SceneObject::Store(serializer, record)) return false;
    record->SetValue("MeshFilePath", PathForSceneFile(serializer, m_path));
    record->SetValue("MeshFrame", m_frame);
    return true;
}

bool MeshSceneObject::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    if (!SceneObject::Restore(serializer, record)) return false;

    const Wml::Frame3<float> none;
    Wml::Frame3<float> frame;
    if (record->GetValue("MeshFrame", frame, none)) {
        if (FiniteFrame(frame) && frame.ReNormalize())
            m_frame = frame;
        else
            DebugOutput("MeshSceneObject: %s ignores a broken stored frame\n", GetName().c_str());
    }

    std::string stored;
    if (!record->GetValue("MeshFilePath", stored, std::string()) || stored.empty()) {
        DebugOutput("MeshSceneObject: %s has no mesh file\n", GetName().c_str());
        return false;
    }
    const std::string resolved = PathFromSceneFile(serializer, stored);

    std::string error;
    if (LoadFromFile(resolved, error)) return true;
    m_path = resolved;
    DebugOutput("MeshSceneObject: %s keeps its mesh path but has no mesh: %s\n", GetName().c_str(),
                error.c_str());
    return false;
}

void MeshSceneObject::DoTranslate(const Wml::Vector3<float>& v, bool relative)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    if (relative)
        m_frame.Origin() += v;
    else
        m_frame.Origin() = v;
}

void MeshSceneObject::DoRotate(const Wml::Matrix3<float>& m, bool relative)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    m_frame.Rotate(m, relative);
}

void MeshSceneObject::DoScale(float sx, float sy, float sz, bool relative, bool uniform)
{
    boost::recursive_mutex::scoped_lock lock(GetLock());
    if (uniform) sy = sz = sx;
    Wml::Vector3<float>& s = m_frame.Scale();
    if (relative) {
        s.X() *= sx;
        s.Y() *= sy;
        s.Z() *= sz;
    } else {
        s = Wml::Vector3<float>(sx, sy, sz);
    }
}

}  // namespace vynui
