#include "surface/RenderingManager.h"

#include <GL/gl.h>

#include <boost/thread/recursive_mutex.hpp>
#include <cmath>
#include <memory>
#include <vector>

#include "implicit/mesh/MeshRenderer.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "surface/PolygonizerControlDialogModel.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"
#include "wml/DebugOutput.h"

namespace vynui {

namespace {

// Colouring radio position <-> colouring mode.
const int kColouringOfRadio[4] = {ConstantColour, SelectionColour, VertexError, ApproximationError};

int RadioOfColouring(int mode)
{
    for (int i = 0; i < 4; ++i)
        if (kColouringOfRadio[i] == mode) return i;
    return 1;
}

unsigned char ToByte(float v)
{
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<unsigned char>(v * 255.0f);
}

bool InRange(float v, float lo, float hi)
{
    return std::isfinite(v) && v >= lo && v <= hi;
}

const char* const kSharpEdgesNotice =
    " CRenderingManager::RenderSharpEdges disabled due to VFTriangleMesh conversion \n";

}  // namespace

std::string PointSetDialogModel::Check() const
{
    if (!InRange(discDensity, 1e-6f, 1.0f)) return NumberRangeMessage(1e-6, 1.0);
    if (!InRange(discSize, 0.0001f, 100.0f)) return NumberRangeMessage(0.0001, 100.0);
    if (!InRange(stippleSize, 0.1f, 10.0f)) return NumberRangeMessage(0.1, 10.0);
    if (stippleDensity < 1 || stippleDensity > 100) return IntegerRangeMessage(1, 100);
    if (!InRange(contourWidth, 0.1f, 10.0f)) return NumberRangeMessage(0.1, 10.0);
    if (!std::isfinite(lowThreshold) || !std::isfinite(highThreshold)) return "Please enter a number.";
    return std::string();
}

CRenderingManager::CRenderingManager(CSurfaceManager* surfaces) : m_surfaces(surfaces) {}

CRenderingManager::~CRenderingManager() = default;

void CRenderingManager::NotifyListeners()
{
    // Copy: a listener may unregister while being told.
    std::vector<IRenderingListener*> listeners(m_listeners.begin(), m_listeners.end());
    for (IRenderingListener* l : listeners) l->OnRenderingChanged();
}

bool CRenderingManager::IsNPRActive() const
{
    const RenderingSettings& s = m_settings;
    return s.allPoints || s.lightCulledPoints || s.csgEdges || s.silhouetteContours || s.suggestiveContours ||
           s.wireframe;
}

bool CRenderingManager::SetAmbientLight(float value)
{
    if (!InRange(value, 0.0f, 1.0f)) return false;
    m_settings.ambientLight = value;
    NotifyListeners();
    return true;
}

bool CRenderingManager::OnCommand(const std::string& cmd)
{
    RenderingSettings& s = m_settings;
    bool* flag = nullptr;
    if (cmd == "Show Mesh")
        flag = &s.showSurface;
    else if (cmd == "Show Normals")
        flag = &s.showNormals;
    else if (cmd == "Wireframe")
        flag = &s.wireframe;
    else if (cmd == "Toggle Silhouette Rendering")
        flag = &s.silhouetteContours;
    else if (cmd == "Toggle CSG Edges")
        flag = &s.csgEdges;
    else if (cmd == "Show Coordinate Axes")
        flag = &s.showAxes;
    else if (cmd == "Fast Primitive Mode")
        flag = &s.fastPrimitiveMode;
    else if (cmd == "Show Selection Surface") {
        flag = &s.showSelectionSurface;
        m_selectionCollected = false;
    }
    if (flag) {
        *flag = !*flag;
        NotifyListeners();
        return true;
    }
    if (cmd == "Smooth Shading" || cmd == "Flat Shading") {
        s.flatShading = (cmd == "Flat Shading");
        NotifyListeners();
        return true;
    }
    if (cmd == "NPR Mode") {
        s.showAxes = false;
        s.showSurface = false;
        s.lightCulledPoints = true;
        s.silhouetteContours = true;
        s.suggestiveContours = true;
        s.discZFill = true;
        s.meshZFill = false;
        if (m_surfaceOnly) m_surfaceOnly(true);
        NotifyListeners();
        return true;
    }
    if (cmd == "Lighting Control") {
        LoadLightingDialog();
        if (m_showDialog) m_showDialog(cmd);
        return true;
    }
    if (cmd == "Point Set Control") {
        LoadPointSetDialog();
        if (m_showDialog) m_showDialog(cmd);
        return true;
    }
    return false;
}

bool CRenderingManager::OnUpdateCommand(const std::string& cmd, CommandState& state)
{
    const RenderingSettings& s = m_settings;
    state.enabled = true;
    if (cmd == "Show Mesh")
        state.checked = s.showSurface;
    else if (cmd == "Show Normals")
        state.checked = s.showNormals;
    else if (cmd == "Wireframe")
        state.checked = s.wireframe;
    else if (cmd == "Toggle Silhouette Rendering")
        state.checked = s.silhouetteContours;
    else if (cmd == "Toggle CSG Edges")
        state.checked = s.csgEdges;
    else if (cmd == "Show Coordinate Axes")
        state.checked = s.showAxes;
    else if (cmd == "Fast Primitive Mode")
        state.checked = s.fastPrimitiveMode;
    else if (cmd == "Show Selection Surface")
        state.checked = s.showSelectionSurface;
    else if (cmd == "Smooth Shading")
        state.checked = !s.flatShading;
    else if (cmd == "Flat Shading")
        state.checked = s.flatShading;
    else if (cmd == "NPR Mode" || cmd == "Lighting Control" || cmd == "Point Set Control")
        state.checked = false;
    else
        return false;
    return true;
}

void CRenderingManager::LoadLightingDialog()
{
    const RenderingSettings& s = m_settings;
    LightingDialogModel& d = m_lightingDialog;
    d.lightingRadio = (s.lightingMode >= 1 && s.lightingMode <= 3) ? s.lightingMode - 1 : 0;
    d.flatShading = s.flatShading;
    d.showAxes = s.showAxes;
    d.colouringRadio = RadioOfColouring(s.colouringMode);
    d.background[0] = ToByte(s.background.r);
    d.background[1] = ToByte(s.background.g);
    d.background[2] = ToByte(s.background.b);
    d.meshColour[0] = ToByte(s.meshColour.r);
    d.meshColour[1] = ToByte(s.meshColour.g);
    d.meshColour[2] = ToByte(s.meshColour.b);
    d.ambientLight = s.ambientLight;
}

void CRenderingManager::ApplyLightingDialog()
{
    RenderingSettings& s = m_settings;
    const LightingDialogModel& d = m_lightingDialog;
    if (d.lightingRadio >= 0 && d.lightingRadio <= 2) s.lightingMode = d.lightingRadio + 1;
    s.flatShading = d.flatShading;
    s.showAxes = d.showAxes;
    if (d.colouringRadio >= 0 && d.colouringRadio <= 3) s.colouringMode = kColouringOfRadio[d.colouringRadio];
    s.background = {d.background[0] / 255.0f, d.background[1] / 255.0f, d.background[2] / 255.0f};
    s.meshColour = {d.meshColour[0] / 255.0f, d.meshColour[1] / 255.0f, d.meshColour[2] / 255.0f};
    if (InRange(d.ambientLight, 0.0f, 1.0f)) s.ambientLight = d.ambientLight;
    if (m_surfaces) m_surfaces->SetSelectionColouring(s.colouringMode == SelectionColour);
    NotifyListeners();
}

void CRenderingManager::LoadPointSetDialog()
{
    const RenderingSettings& s = m_settings;
    PointSetDialogModel& d = m_pointSetDialog;
    d.allPoints = s.allPoints;
    d.lightCulledPoints = s.lightCulledPoints;
    d.silhouetteContours = s.silhouetteContours;
    d.suggestiveContours = s.suggestiveContours;
    d.meshZFill = s.meshZFill;
    d.discZFill = s.discZFill;
    d.freezeSilhouette = s.freezeSilhouette;
    d.discDensity = m_pointSet.GetDiscDensity();
    d.discSize = m_pointSet.GetDiscSize();
    d.stippleDensity = m_pointSet.GetStippleDensity();
    d.stippleSize = s.lightCulledPointSize;
    d.contourWidth = s.allPointsSize;
    d.lowThreshold = s.lowThreshold;
    d.highThreshold = s.highThreshold;
}

bool CRenderingManager::ApplyPointSetDialog(std::string* message)
{
    const PointSetDialogModel& d = m_pointSetDialog;
    const std::string problem = d.Check();
    if (!problem.empty()) {
        if (message) *message = problem;
        return false;
    }
    RenderingSettings& s = m_settings;
    s.allPoints = d.allPoints;
    s.lightCulledPoints = d.lightCulledPoints;
    s.silhouetteContours = d.silhouetteContours;
    s.suggestiveContours = d.suggestiveContours;
    s.meshZFill = d.meshZFill;
    s.discZFill = d.discZFill;
    s.freezeSilhouette = d.freezeSilhouette;
    s.lightCulledPointSize = d.stippleSize;
    s.allPointsSize = d.contourWidth;
    if (d.discDensity != m_pointSet.GetDiscDensity()) {
        m_pointSet.SetDiscDensity(d.discDensity);
        s.pointSetAvailable = false;
    }
    if (d.discSize != m_pointSet.GetDiscSize()) m_pointSet.SetDiscSize(d.discSize);
    if (d.stippleDensity != m_pointSet.GetStippleDensity()) {
        m_pointSet.SetStippleDensity(d.stippleDensity);
        // The points must be rebuilt with the new grid.
        s.pointSetAvailable = false;
    }
    s.lowThreshold = d.lowThreshold;
    s.highThreshold = d.highThreshold;
    NotifyListeners();
    return true;
}

void CRenderingManager::OnSurfacesReset()
{
    NotifyListeners();
}

void CRenderingManager::OnSurfaceChanged(SurfaceTreeNode**, SurfaceTreeNode*)
{
    m_settings.pointSetAvailable = false;
    m_selectionCollected = false;
    m_silhouetteStale = true;
    m_settings.texturedSurface = false;
    NotifyListeners();
}

void CRenderingManager::SetupLights(float d)
{
    const RenderingSettings& s = m_settings;
    if (s.lightingMode == 0) {
        glDisable(GL_LIGHTING);
        return;
    }
    for (int i = 0; i < 8; ++i) glDisable(GL_LIGHT0 + i);
    const GLfloat zero[4] = {0, 0, 0, 1};
    auto light = [](GLenum id, const GLfloat pos[4], const GLfloat diff[4], const GLfloat spec[4]) {
        const GLfloat amb[4] = {0, 0, 0, 1};
        glLightfv(id, GL_POSITION, pos);
        glLightfv(id, GL_AMBIENT, amb);
        glLightfv(id, GL_DIFFUSE, diff);
        glLightfv(id, GL_SPECULAR, spec);
        glEnable(id);
    };
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();  // lights stay fixed relative to the eye
    const int mode = s.lightingMode;
    if (mode == 1 || mode == 2) {
        const GLfloat amb[4] = {s.ambientLight, s.ambientLight, s.ambientLight, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, amb);
        const GLfloat spec[4] = {1, 1, 1, 1};
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, mode == 2 ? spec : zero);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, mode == 2 ? 40.0f : 0.0f);
        const GLfloat p0[4] = {-2 * d, d, d, 1}, p1[4] = {2 * d, d, d, 1};
        const GLfloat d0[4] = {0.6f, 0.6f, 0.6f, 1}, d1[4] = {0.5f, 0.5f, 0.5f, 1},
                      s0[4] = {0.5f, 0.5f, 0.5f, 1};
        light(GL_LIGHT0, p0, d0, s0);
        light(GL_LIGHT1, p1, d1, s0);
    } else if (mode == 3) {
        const GLfloat amb[4] = {0.5f, 0.5f, 0.5f, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, amb);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, zero);
        const GLfloat p0[4] = {-d, -d, d, 1}, p1[4] = {d, d, d, 1};
        const GLfloat d0[4] = {0.24901961f, 0.24901961f, 0, 1}, d1[4] = {-0.24901961f, -0.24901961f, 0, 1};
        light(GL_LIGHT0, p0, d0, zero);
        light(GL_LIGHT1, p1, d1, zero);
    } else {
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, zero);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, zero);
        const GLfloat p0[4] = {-2 * d, d, d, 1}, white[4] = {1, 1, 1, 1};
        light(GL_LIGHT0, p0, white, zero);
    }
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

void CRenderingManager::Render()
{
    std::unique_ptr<boost::unique_lock<boost::recursive_mutex>> lock;
    if (m_surfaces) lock.reset(new boost::unique_lock<boost::recursive_mutex>(m_surfaces->GetSurfaceLock()));
    const RenderingSettings& s = m_settings;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(s.background.r, s.background.g, s.background.b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    SetupLights(5.0f);
    if (s.showAxes) {
        glDisable(GL_LIGHTING);
        glBegin(GL_LINES);
        glColor3f(1, 0, 0);
        glVertex3f(0, 0, 0);
        glVertex3f(1, 0, 0);
        glColor3f(0, 1, 0);
        glVertex3f(0, 0, 0);
        glVertex3f(0, 1, 0);
        glColor3f(0, 0, 1);
        glVertex3f(0, 0, 0);
        glVertex3f(0, 0, 1);
        glEnd();
    }
    if (s.fastPrimitiveMode || !m_surfaces) return;
    const bool npr = IsNPRActive();
    if (s.csgEdges && npr && s.pointSetAvailable) DebugOutput("%s", kSharpEdgesNotice);
    if (!(s.showSurface || s.wireframe)) return;
    vynmesh::MeshRenderer renderer;
    renderer.SetNormalLength(s.normalLength);
    for (unsigned int c = 0; c < m_surfaces->GetNumChains(); ++c) {
        SurfaceTreeNode* top = m_surfaces->GetChainTop(c);
        const vynmesh::VFTriangleMesh* mesh = top ? top->GetMesh() : nullptr;
        if (!mesh) continue;  // missing meshes are skipped
        glEnable(GL_NORMALIZE);
        if (s.wireframe) {
            glLineWidth(2.0f);
            glDisable(GL_LIGHTING);
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glColor4f(s.wireframeColour.r, s.wireframeColour.g, s.wireframeColour.b, 1.0f);
            renderer.Render(*mesh, !s.flatShading, false, false);
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        }
        if (s.showSurface) {
            if (s.lightingMode == 3)
                glColor4f(1, 1, 1, 1);
            else
                glColor4f(s.meshColour.r, s.meshColour.g, s.meshColour.b, 1.0f);
            if (s.lightingMode != 0) glEnable(GL_LIGHTING);
            glEnable(GL_COLOR_MATERIAL);
            glShadeModel(s.flatShading ? GL_FLAT : GL_SMOOTH);
            renderer.Render(*mesh, !s.flatShading, s.showNormals, false);
        }
    }
}

void CRenderingManager::ReleaseGL()
{
    if (m_surfaceTexture) {
        glDeleteTextures(1, &m_surfaceTexture);
        m_surfaceTexture = 0;
    }
}

}  // namespace vynui
