#pragma once
// The "Export Mesh" commands: the displayed surface (surface 0) written as
// OBJ, STL, COLLADA, binary glTF or PLY, scaled from model units to world units by the view's
// world scale factor, and "Set World Dimensions", which edits that factor.
//
// The mesh is copied under the surface lock and the copy is scaled, so the
// surface on screen never changes. A scene without a mesh is told so and no
// dialog is shown; a cancelled dialog writes nothing; a writer's failure
// shows its own text in a message box titled "Error!".

#include <functional>
#include <memory>
#include <string>

#include "scene/CommandTarget.h"

namespace vynmesh {
class VFTriangleMesh;
}

namespace vynui {

class CSurfaceManager;
class UserInterface;
class ViewController;
class WorldDimensionsDialogModel;

/// One export command: its menu text and the save dialog it shows. The
/// filter is the command's own text ("Name (*.x)|*.x|All Files (*.*)|*.*");
/// the program turns it into its dialogs' form.
struct MeshExportFormat {
    const char* menuText;
    const char* defaultExtension;
    const char* fileName;
    const char* filter;
    bool (vynmesh::VFTriangleMesh::*write)(const std::string& path, std::string& error) const;
};

class MeshExport : public CommandTarget {
public:
    static constexpr const char* TRIVANE_COMMAND = "Trivane Format";
    static constexpr const char* WORLD_DIMENSIONS_COMMAND = "Set World Dimensions";
    static constexpr const char* NO_MESH_TEXT = "There is no surface mesh to export.";
    static constexpr const char* NO_MESH_TITLE = "Export Mesh";

    /// None of them is owned; any may be null until set. Without a view
    /// controller the factor is 1; without a surface manager there is no mesh.
    MeshExport(CSurfaceManager* surfaces, ViewController* view, UserInterface* ui);
    ~MeshExport() override;
    MeshExport(const MeshExport&) = delete;
    MeshExport& operator=(const MeshExport&) = delete;

    void SetSurfaceManager(CSurfaceManager* surfaces) { m_surfaces = surfaces; }
    void SetViewController(ViewController* view) { m_view = view; }
    void SetUserInterface(UserInterface* ui) { m_ui = ui; }

    /// "OBJ Format", "STL Format", "COLLADA Format", "glTF Binary Format",
    /// "PLY Format", "Trivane Format" and "Set World Dimensions".
    bool OnCommand(const std::string& menuText) override;
    /// The same commands, always enabled.
    bool OnUpdateCommand(const std::string& menuText, CommandState& state) override;

    /// The row of an export command; null for other texts.
    static const MeshExportFormat* FindFormat(const std::string& menuText);
    /// The row whose default extension is extension ("obj", any case); null
    /// for others.
    static const MeshExportFormat* FindFormatByExtension(const std::string& extension);

    /// The export of one row (steps: copy and scale, dialog, write). True
    /// when a file was written.
    bool Export(const MeshExportFormat& format);

    /// Copies the mesh of surface 0 under the surface lock into out, scaled
    /// by factor. False (out cleared) when there is no surface, the mesh has
    /// no triangles or the factor is not finite and positive.
    bool CopyScaledSurfaceMesh(float factor, vynmesh::VFTriangleMesh& out) const;

    /// The world-dimensions dialog's model; loaded from the mesh and the
    /// view controller by "Set World Dimensions".
    WorldDimensionsDialogModel& GetWorldDimensionsDialog() { return *m_dialog; }
    /// Called after "Set World Dimensions" loaded the dialog's model; the
    /// program binds it to show its form, whose OK calls the model's Apply.
    void SetShowDialogRequest(std::function<void()> request) { m_showDialog = std::move(request); }

private:
    /// Surface 0's mesh when it has triangles; call under the surface lock.
    const vynmesh::VFTriangleMesh* SurfaceMesh() const;
    float WorldScaleFactor() const;
    void Tell(const std::string& text, const std::string& title) const;

    CSurfaceManager* m_surfaces;
    ViewController* m_view;
    UserInterface* m_ui;
    std::unique_ptr<WorldDimensionsDialogModel> m_dialog;
    std::function<void()> m_showDialog;
};

}  // namespace vynui
