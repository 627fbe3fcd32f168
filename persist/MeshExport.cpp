#include "persist/MeshExport.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <boost/thread/locks.hpp>

#include "implicit/mesh/IMeshUtil.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "interact/ViewController.h"
#include "persist/WorldDimensionsDialogModel.h"
#include "scene/UserInterface.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"

namespace vynui {

namespace {

const MeshExportFormat kFormats[] = {
    {"OBJ Format", "obj", "mesh.obj", "OBJ Files (*.obj);;All Files (*.*)",
     &vynmesh::VFTriangleMesh::WriteOBJ},
    {"STL Format", "stl", "mesh.stl", "STL Files (*.stl);;All Files (*.*)",
     &vynmesh::VFTriangleMesh::WriteSTL},
    {"COLLADA Format", "dae", "mesh.dae", "COLLADA Files (*.dae);;All Files (*.*)",
     &vynmesh::VFTriangleMesh::WriteCOLLADA},
    {"glTF Binary Format", "glb", "mesh.glb", "glTF Binary Files (*.glb);;All Files (*.*)",
     &vynmesh::VFTriangleMesh::WriteGLB},
    {"PLY Format", "ply", "mesh.ply", "PLY Files (*.ply);;All Files (*.*)",
     &vynmesh::VFTriangleMesh::WritePLY},
};

}  // namespace

MeshExport::MeshExport(CSurfaceManager* surfaces, ViewController* view, UserInterface* ui)
    : m_surfaces(surfaces), m_view(view), m_ui(ui), m_dialog(std::make_unique<WorldDimensionsDialogModel>())
{
}

MeshExport::~MeshExport() = default;

const MeshExportFormat* MeshExport::FindFormat(const std::string& menuText)
{
    for (const MeshExportFormat& format : kFormats)
        if (menuText == format.menuText) return &format;
    return nullptr;
}

const MeshExportFormat* MeshExport::FindFormatByExtension(const std::string& extension)
{
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const MeshExportFormat& format : kFormats)
        if (lower == format.defaultExtension) return &format;
    return nullptr;
}

bool MeshExport::OnUpdateCommand(const std::string& menuText, CommandState& state)
{
    if (!FindFormat(menuText) && menuText != TRIVANE_COMMAND && menuText != WORLD_DIMENSIONS_COMMAND)
        return false;
    state.enabled = true;
    state.checked = false;
    return true;
}

bool MeshExport::OnCommand(const std::string& menuText)
{
    if (const MeshExportFormat* format = FindFormat(menuText)) {
        Export(*format);
        return true;
    }
    if (menuText == TRIVANE_COMMAND) {
        Tell("Disabled due to VFTriangleMesh switch", "Disabled!");
        return true;
    }
    if (menuText != WORLD_DIMENSIONS_COMMAND) return false;

    Wml::AxisAlignedBox3<float> box;  // empty
    if (m_surfaces) {
        boost::unique_lock<boost::recursive_mutex> lock(m_surfaces->GetSurfaceLock());
        if (const vynmesh::VFTriangleMesh* mesh = SurfaceMesh()) box = vynmesh::IMeshUtil::BoundingBox(mesh);
    }
    if (!m_dialog->Load(box, WorldScaleFactor())) {
        Tell(m_dialog->GetRefusal(), NO_MESH_TITLE);
        return true;
    }
    if (m_showDialog) m_showDialog();
    return true;
}

const vynmesh::VFTriangleMesh* MeshExport::SurfaceMesh() const
{
    SurfaceTreeNode* top =
        m_surfaces && m_surfaces->GetNumChains() > 0 ? m_surfaces->GetChainTop(0) : nullptr;
    const vynmesh::VFTriangleMesh* mesh = top ? top->GetMesh() : nullptr;
    return mesh && mesh->GetNumTriangles() > 0 ? mesh : nullptr;
}

float MeshExport::WorldScaleFactor() const
{
    return m_view ? m_view->GetWorldScaleFactor() : 1.0f;
}

void MeshExport::Tell(const std::string& text, const std::string& title) const
{
    if (m_ui) m_ui->ShowMessage(text, title);
}

bool MeshExport::CopyScaledSurfaceMesh(float factor, vynmesh::VFTriangleMesh& out) const
{
    out.Clear();
    if (!m_surfaces || !std::isfinite(factor) || factor <= 0.0f) return false;
    {
        // Reading the mesh may polygonize it; copying must not race a refinement.
        boost::unique_lock<boost::recursive_mutex> lock(m_surfaces->GetSurfaceLock());
        const vynmesh::VFTriangleMesh* mesh = SurfaceMesh();
        if (!mesh) return false;
        vynmesh::IMeshUtil::Copy(mesh, &out);
    }
    if (out.GetNumTriangles() == 0 || !vynmesh::IMeshUtil::Scale(out, factor)) {
        out.Clear();
        return false;
    }
    return true;
}

bool MeshExport::Export(const MeshExportFormat& format)
{
    vynmesh::VFTriangleMesh copy;
    if (!CopyScaledSurfaceMesh(WorldScaleFactor(), copy)) {
        Tell(NO_MESH_TEXT, NO_MESH_TITLE);
        return false;
    }
    if (!m_ui) return false;
    FileDialogRequest request;
    request.title = "Save As";
    request.defaultExtension = format.defaultExtension;
    request.fileName = format.fileName;
    request.filter = format.filter;
    request.askBeforeOverwrite = true;
    std::string path;
    if (!m_ui->ChooseFileToSave(request, path)) return false;
    std::string error;
    if (!(copy.*format.write)(path, error)) {
        m_ui->ShowMessage(error, "Error!");
        return false;
    }
    return true;
}

}  // namespace vynui
