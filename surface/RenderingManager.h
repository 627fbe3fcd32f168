#pragma once
// Draws the scene for the 3D view and holds the display settings, the
// lighting and point-set dialogs' models and the stipple point set.
// GL calls happen only in Render and ReleaseGL; everything else is plain
// state so it can be checked without a context.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "implicit/mesh/BruteForceSilhouetteFinder.h"
#include "implicit/mesh/MeshRenderer.h"
#include "implicit/mesh/SurfaceAnalyzer.h"
#include "implicit/mesh/TriangleMesh.h"
#include "scene/CommandTarget.h"
#include "scene/IChangeListener.h"
#include "surface/ISurfaceManagerListener.h"
#include "surface/PointSetRenderer.h"
#include "wml/OpenGLWmlLight.h"

namespace Wml {
class ExtendedWmlCamera;
}
namespace vynui_tex {
class CTextureManager;
}

namespace vynui {

class CSurfaceManager;
class SceneObjectManager;
}  // namespace vynui
namespace vynmesh {
class TriangleMesh;
class VFTriangleMesh;
}  // namespace vynmesh
namespace vynui {

struct RGBf {
    float r, g, b;
};

/// Repaints on notice (the 3D view).
class IRenderingListener {
public:
    virtual ~IRenderingListener() = default;
    virtual void OnRenderingChanged() = 0;
};

enum MeshColouringMode { ConstantColour = 0, VertexError = 1, ApproximationError = 2, SelectionColour = 3 };

struct RenderingSettings {
    RGBf background{1, 1, 1};
    bool showAxes = false;
    bool showGrid = false;
    bool fastPrimitiveMode = false;
    bool showSurface = true;
    bool showNormals = false;
    bool wireframe = false;
    int colouringMode = SelectionColour;
    bool flatShading = false;
    RGBf meshColour{1, 1, 1};
    RGBf wireframeColour{1, 0, 0};
    RGBf normalColour{0, 1, 0};
    float normalLength = 0.05f;
    float ambientLight = 0.2f;
    int lightingMode = 1;
    bool showSelectionSurface = true;
    bool pointSetAvailable = false;
    bool allPoints = false;
    bool lightCulledPoints = false;
    bool silhouetteContours = false;
    bool suggestiveContours = false;
    bool meshZFill = true;
    bool discZFill = false;
    bool freezeSilhouette = false;
    bool csgEdges = false;
    float allPointsSize = 2.0f;
    float lightCulledPointSize = 2.0f;
    RGBf stippleColour{0, 0, 0};
    bool texturedSurface = false;
    float lowThreshold = 0.0f;
    float highThreshold = 0.0f;
};

/// "Lighting Control" without its window. Radio positions: lighting 0..2 for
/// "Diffuse Only", "Diffuse + Specular", "Diffuse Warm To Cool"; colouring
/// 0..3 for "Constant Color", "Selection Color", "Vertex Error",
/// "Approximation Error".
struct LightingDialogModel {
    int lightingRadio = 0;
    bool flatShading = false;
    bool showAxes = false;
    int colouringRadio = 1;
    unsigned char background[3] = {255, 255, 255};
    unsigned char meshColour[3] = {255, 255, 255};
    float ambientLight = 0.2f;
};

/// "Point Set Configuration" without its window.
struct PointSetDialogModel {
    bool allPoints = false, lightCulledPoints = false, silhouetteContours = false, suggestiveContours = false;
    bool meshZFill = true, discZFill = false, freezeSilhouette = false;
    float discDensity = 0.001f;
    float discSize = 0.03f;
    float stippleSize = 2.0f;
    int stippleDensity = 4;
    float contourWidth = 2.0f;
    float lowThreshold = 0.0f, highThreshold = 0.0f;
    /// Empty when every value is in range, else the first range message.
    std::string Check() const;
};

class CRenderingManager : public CommandTarget, public IChangeListener, public ISurfaceManagerListener {
public:
    explicit CRenderingManager(CSurfaceManager* surfaces = nullptr);
    ~CRenderingManager() override;

    RenderingSettings& GetSettings() { return m_settings; }
    const RenderingSettings& GetSettings() const { return m_settings; }

    void AddRenderingListener(IRenderingListener* l) { m_listeners.insert(l); }
    void RemoveRenderingListener(IRenderingListener* l) { m_listeners.erase(l); }
    void NotifyListeners();

    /// Called by "NPR Mode" to hide the scene manager's object layer.
    void SetSurfaceOnlyHook(std::function<void(bool)> hook) { m_surfaceOnly = std::move(hook); }
    /// Called after a dialog model was loaded, to show its form.
    void SetShowDialogRequest(std::function<void(const std::string&)> r) { m_showDialog = std::move(r); }

    /// The platform colour picker: starts on colour, false when cancelled.
    void SetColourPicker(std::function<bool(RGBf& colour)> picker) { m_pickColour = std::move(picker); }
    /// The value dialog: title, range and value in/out; false when cancelled.
    void SetValuePrompt(
        std::function<bool(const std::string& title, float lo, float hi, float& value)> prompt)
    {
        m_promptValue = std::move(prompt);
    }

    bool OnCommand(const std::string& menuText) override;
    bool OnUpdateCommand(const std::string& menuText, CommandState& state) override;

    LightingDialogModel& GetLightingDialog() { return m_lightingDialog; }
    PointSetDialogModel& GetPointSetDialog() { return m_pointSetDialog; }
    void LoadLightingDialog();
    void ApplyLightingDialog();
    void LoadPointSetDialog();
    /// False (nothing applied) when a value is out of range; message gets why.
    bool ApplyPointSetDialog(std::string* message = nullptr);

    PointSetRenderer& GetPointSet() { return m_pointSet; }
    bool IsNPRActive() const;
    /// Sets the ambient light when value lies in [0, 1]; false otherwise.
    bool SetAmbientLight(float value);

    // ISurfaceManagerListener: called under the model lock; records state only.
    void OnSurfacesReset() override;
    void OnSurfaceChanged(SurfaceTreeNode** slot, SurfaceTreeNode* node) override;
    // IChangeListener
    void OnSelectionChanged(const OrderedObjectSet&) override;
    void OnObjectsModified(const OrderedObjectSet&) override;
    bool IsSelectionCollected() const { return m_selectionCollected; }
    bool IsSilhouetteStale() const { return m_silhouette.IsStale(); }
    /// Contour segments (start, end pairs) of the last frame that drew them.
    const std::vector<Wml::Vector3<float>>& GetSilhouetteSegments() const { return m_silhouetteSegments; }
    const std::vector<Wml::Vector3<float>>& GetSuggestiveSegments() const { return m_suggestiveSegments; }

    /// The scene's objects and selection (not owned): fast primitive mode
    /// draws every object's cached mesh, the overlay tints the selection's.
    void SetSceneObjects(SceneObjectManager* objects) { m_objects = objects; }
    /// Meshes of the selection overlay, collected on the next frame after a change.
    const std::vector<const vynmesh::VFTriangleMesh*>& GetSelectionMeshes() const
    {
        return m_selectionMeshes;
    }
    /// Collects the selection's shape meshes unless already collected.
    void CollectSelectionMeshes();

    /// Not owned; draws last in every normal frame.
    void SetTextureManager(vynui_tex::CTextureManager* textures) { m_textures = textures; }

    /// Not owned; Render sets up the view through it when given.
    void SetCamera(Wml::ExtendedWmlCamera* camera) { m_camera = camera; }
    /// Sets the 8 lights and global values for the lighting mode, d being
    /// the camera's distance to its target. Plain data; Render applies it.
    void BuildLights(float d);
    const Wml::OpenGLWmlLight& GetLight(int i) const { return m_lights[i]; }
    const float* GetGlobalAmbient() const { return m_globalAmbient; }
    const float* GetMaterialSpecular() const { return m_materialSpecular; }
    float GetShininess() const { return m_shininess; }
    /// Grid line end points (x, y, z triples), built at start-up.
    const std::vector<float>& GetGridLines() const { return m_grid; }
    /// The surface texture's pixels: 512 x 512 RGBA checkerboard of 64-pixel squares.
    static void BuildCheckerboard(std::vector<unsigned char>& rgba);

    /// Draws one frame; needs a current GL context.
    void Render();
    /// Frees GL objects of the context that is going away (current).
    void ReleaseGL();

private:
    void ApplyLights();
    void DrawMesh(const vynmesh::TriangleMesh& mesh, bool npr, float alpha);
    void DrawPointSet();
    void DrawDiscs();
    void DrawContours();
    /// The eye in model coordinates for the view set up this frame.
    Wml::Vector3<float> EyePoint() const;
    void DrawSelectionOverlay();
    /// Binds the stipple texture, made on first use; false when the image is missing.
    bool BindStippleTexture();

    CSurfaceManager* m_surfaces;
    RenderingSettings m_settings;
    LightingDialogModel m_lightingDialog;
    PointSetDialogModel m_pointSetDialog;
    PointSetRenderer m_pointSet;
    std::set<IRenderingListener*> m_listeners;
    std::function<void(bool)> m_surfaceOnly;
    std::function<void(const std::string&)> m_showDialog;
    std::function<bool(RGBf&)> m_pickColour;
    std::function<bool(const std::string&, float, float, float&)> m_promptValue;
    unsigned int m_stippleTexture = 0;
    bool m_stippleTried = false;
    bool m_selectionCollected = false;
    vynmesh::BruteForceSilhouetteFinder m_silhouette;
    // Every chain's displayed mesh in one, rebuilt with the point set; the
    // silhouette finder and the analyzer read it.
    vynmesh::TriangleMesh m_nprMesh;
    vynmesh::SurfaceAnalyzer m_analyzer;
    std::vector<Wml::Vector3<float>> m_silhouetteSegments, m_suggestiveSegments;
    bool m_silhouetteFound = false;  // frozen segments exist
    unsigned int m_surfaceTexture = 0;
    // Scratch buffers for flat shading and normals, kept between frames.
    vynmesh::MeshRenderer m_meshRenderer;
    Wml::ExtendedWmlCamera* m_camera = nullptr;
    Wml::OpenGLWmlLight m_lights[Wml::OpenGLWmlLight::MAX_LIGHTS];
    float m_globalAmbient[4] = {0, 0, 0, 1};
    float m_materialSpecular[4] = {0, 0, 0, 1};
    float m_shininess = 0.0f;
    std::vector<float> m_grid;
    SceneObjectManager* m_objects = nullptr;
    vynui_tex::CTextureManager* m_textures = nullptr;
    std::vector<const vynmesh::VFTriangleMesh*> m_selectionMeshes;
};

}  // namespace vynui
