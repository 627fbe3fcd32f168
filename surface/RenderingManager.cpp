#include "surface/RenderingManager.h"

#include <GL/gl.h>

#include <algorithm>
#include <boost/thread/recursive_mutex.hpp>
#include <cmath>
#include <memory>
#include <vector>

#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "detail/MeshCache.h"
#include "detail/TextureManager.h"
#include "implicit/mesh/MeshRenderer.h"
#include "implicit/mesh/VFTriangleMesh.h"
#include "interact/ResourceRoot.h"
#include "scene/RGBAImage.h"
#include "scene/SceneObjectManager.h"
#include "surface/PolygonizerControlDialogModel.h"
#include "surface/SurfaceManager.h"
#include "surface/SurfaceTreeNode.h"
#include "wml/DebugOutput.h"
#include "wml/ExtendedWmlCamera.h"

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

CRenderingManager::CRenderingManager(CSurfaceManager* surfaces) : m_surfaces(surfaces)
{
    // 20 lines each way over [-2, 2] in the plane z = 0.
    for (int i = 0; i < 20; ++i) {
        const float t = -2.0f + 4.0f * static_cast<float>(i) / 19.0f;
        const float lines[4][3] = {{t, -2, 0}, {t, 2, 0}, {-2, t, 0}, {2, t, 0}};
        for (const auto& p : lines) m_grid.insert(m_grid.end(), p, p + 3);
    }
    BuildLights(5.0f);
}

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
        m_selectionMeshes.clear();
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
    if (cmd == "Set BG Color" || cmd == "Set Mesh Color") {
        RGBf& target = cmd == "Set BG Color" ? s.background : s.meshColour;
        RGBf picked = target;
        if (m_pickColour && m_pickColour(picked) && std::isfinite(picked.r) && std::isfinite(picked.g) &&
            std::isfinite(picked.b)) {
            target = {std::min(1.0f, std::max(0.0f, picked.r)), std::min(1.0f, std::max(0.0f, picked.g)),
                      std::min(1.0f, std::max(0.0f, picked.b))};
            NotifyListeners();
        }
        return true;
    }
    if (cmd == "Set Ambient Light") {
        float value = s.ambientLight;
        if (m_promptValue && m_promptValue("Ambient Light", 0.0f, 1.0f, value)) SetAmbientLight(value);
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
    else if (cmd == "NPR Mode" || cmd == "Lighting Control" || cmd == "Point Set Control" ||
             cmd == "Set BG Color" || cmd == "Set Mesh Color" || cmd == "Set Ambient Light")
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

void CRenderingManager::OnSelectionChanged(const OrderedObjectSet&)
{
    m_selectionCollected = false;
    m_selectionMeshes.clear();
}

void CRenderingManager::OnObjectsModified(const OrderedObjectSet&)
{
    m_selectionCollected = false;
    m_selectionMeshes.clear();
}

void CRenderingManager::CollectSelectionMeshes()
{
    if (m_selectionCollected) return;
    m_selectionMeshes.clear();
    if (m_objects)
        for (SceneObject* object : m_objects->GetSelection())
            GetMeshCache()->GetShapeMeshes(object, m_selectionMeshes);
    m_selectionCollected = true;
}

void CRenderingManager::OnSurfacesReset()
{
    NotifyListeners();
}

void CRenderingManager::OnSurfaceChanged(SurfaceTreeNode**, SurfaceTreeNode*)
{
    m_settings.pointSetAvailable = false;
    m_selectionCollected = false;
    m_selectionMeshes.clear();
    m_silhouette.MeshChanged();
    m_settings.texturedSurface = false;
    NotifyListeners();
}

void CRenderingManager::BuildLights(float d)
{
    using Wml::ColorRGBA;
    const RenderingSettings& s = m_settings;
    const ColorRGBA none(0, 0, 0, 1);
    for (Wml::OpenGLWmlLight& l : m_lights) {
        l = Wml::OpenGLWmlLight();
        l.SetEnabled(false);
    }
    auto set4 = [](float* out, float a, float b, float c, float w) {
        out[0] = a;
        out[1] = b;
        out[2] = c;
        out[3] = w;
    };
    set4(m_materialSpecular, 0, 0, 0, 1);
    m_shininess = 0.0f;
    auto place = [&](int i, float x, float y, float z, const ColorRGBA& diffuse, const ColorRGBA& specular) {
        m_lights[i].SetPosition(x, y, z, 1.0f);
        m_lights[i].SetAmbient(none);
        m_lights[i].SetDiffuse(diffuse);
        m_lights[i].SetSpecular(specular);
        m_lights[i].SetEnabled(true);
    };
    switch (s.lightingMode) {
        case 1:
        case 2:
            set4(m_globalAmbient, s.ambientLight, s.ambientLight, s.ambientLight, 1);
            if (s.lightingMode == 2) {
                set4(m_materialSpecular, 1, 1, 1, 1);
                m_shininess = 40.0f;
            }
            place(0, -2 * d, d, d, ColorRGBA(0.6f, 0.6f, 0.6f, 1), ColorRGBA(0.5f, 0.5f, 0.5f, 1));
            place(1, 2 * d, d, d, ColorRGBA(0.5f, 0.5f, 0.5f, 1), ColorRGBA(0.5f, 0.5f, 0.5f, 1));
            break;
        case 3:
            set4(m_globalAmbient, 0.5f, 0.5f, 0.5f, 1);
            place(0, -d, -d, d, ColorRGBA(0.24901961f, 0.24901961f, 0, 1), none);
            place(1, d, d, d, ColorRGBA(-0.24901961f, -0.24901961f, 0, 1), none);
            break;
        case 4:
            set4(m_globalAmbient, 0, 0, 0, 1);
            place(0, -2 * d, d, d, ColorRGBA(1, 1, 1, 1), none);
            break;
        default:  // lighting off
            set4(m_globalAmbient, 0, 0, 0, 1);
            break;
    }
}

void CRenderingManager::BuildCheckerboard(std::vector<unsigned char>& rgba)
{
    const int size = 512, square = 64;
    rgba.assign(size_t(size) * size * 4, 255);
    for (int row = 0; row < size; ++row)
        for (int col = 0; col < size; ++col) {
            const bool white = ((row / square) % 2) == ((col / square) % 2);
            unsigned char* p = &rgba[(size_t(row) * size + col) * 4];
            p[0] = p[1] = p[2] = white ? 255 : 0;
        }
}

void CRenderingManager::ApplyLights()
{
    if (m_settings.lightingMode == 0) {
        glDisable(GL_LIGHTING);
        return;
    }
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();  // placed before the camera: fixed relative to the eye
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, m_globalAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m_materialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m_shininess);
    for (int i = 0; i < Wml::OpenGLWmlLight::MAX_LIGHTS; ++i) m_lights[i].Apply(i);
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

void CRenderingManager::DrawMesh(const vynmesh::TriangleMesh& mesh, bool npr, float alpha)
{
    const RenderingSettings& s = m_settings;
    vynmesh::MeshRenderer& renderer = m_meshRenderer;
    renderer.SetNormalLength(s.normalLength);
    glEnable(GL_NORMALIZE);
    if (npr) {
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1.0f, 1.0f);
    }
    if (s.wireframe) {
        glLineWidth(2.0f);
        glDisable(GL_LIGHTING);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glColor4f(s.wireframeColour.r, s.wireframeColour.g, s.wireframeColour.b, alpha);
        renderer.Render(mesh, true, false, false);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    if (s.showSurface) {
        if (s.lightingMode == 3)
            glColor4f(1, 1, 1, alpha);
        else
            glColor4f(s.meshColour.r, s.meshColour.g, s.meshColour.b, alpha);
        if (s.lightingMode != 0) glEnable(GL_LIGHTING);
        glEnable(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glShadeModel(s.flatShading ? GL_FLAT : GL_SMOOTH);
        const bool textured = s.texturedSurface;
        if (textured) {
            if (!m_surfaceTexture) {
                std::vector<unsigned char> pixels;
                BuildCheckerboard(pixels);
                glGenTextures(1, &m_surfaceTexture);
                glBindTexture(GL_TEXTURE_2D, m_surfaceTexture);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
                glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 512, 512, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                             pixels.data());
            }
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, m_surfaceTexture);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        }
        renderer.Render(mesh, !s.flatShading, s.showNormals, textured);
        if (textured) glDisable(GL_TEXTURE_2D);
        glDisable(GL_COLOR_MATERIAL);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
}

void CRenderingManager::DrawPointSet()
{
    const RenderingSettings& s = m_settings;
    const std::vector<StipplePoint>& points = m_pointSet.GetPoints();
    if (s.discZFill) DrawDiscs();
    if (s.csgEdges) DebugOutput("%s", kSharpEdgesNotice);
    DrawContours();
    glDisable(GL_LIGHTING);
    glDepthFunc(GL_LEQUAL);
    if (s.allPoints) {
        glColor4f(s.stippleColour.r, s.stippleColour.g, s.stippleColour.b, 1.0f);
        glPointSize(s.allPointsSize);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
        const bool textured = BindStippleTexture();
        if (textured) {
            // Each point becomes a soft dot.
            glEnable(GL_POINT_SPRITE);
            glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, GL_TRUE);
        }
        glBegin(GL_POINTS);
        for (const StipplePoint& p : points) glVertex3fv(&p.position[0]);
        glEnd();
        if (textured) {
            glDisable(GL_POINT_SPRITE);
            glDisable(GL_TEXTURE_2D);
        }
        glDisable(GL_ALPHA_TEST);
    }
    if (s.lightCulledPoints) {
        // The eye-fixed key light (light 0) in view space is toward (-2, 1, 1);
        // the point set is in model space, so take the direction back through
        // the current model-view rotation.
        GLfloat mv[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, mv);
        Wml::Vector3<float> eyeDir(-1, 1, 1);
        if (m_settings.lightingMode != 3) eyeDir = Wml::Vector3<float>(-2, 1, 1);
        Wml::Vector3<float> toLight(mv[0] * eyeDir[0] + mv[1] * eyeDir[1] + mv[2] * eyeDir[2],
                                    mv[4] * eyeDir[0] + mv[5] * eyeDir[1] + mv[6] * eyeDir[2],
                                    mv[8] * eyeDir[0] + mv[9] * eyeDir[1] + mv[10] * eyeDir[2]);
        const float len = toLight.Length();
        if (len > 0.0f) toLight = toLight / len;
        std::vector<const StipplePoint*> kept;
        m_pointSet.CullByLight(toLight, kept);
        glColor4f(s.stippleColour.r, s.stippleColour.g, s.stippleColour.b, 1.0f);
        glPointSize(s.lightCulledPointSize);
        glBegin(GL_POINTS);
        for (const StipplePoint* p : kept) glVertex3fv(&p->position[0]);
        glEnd();
    }
    glDepthFunc(GL_LESS);
}

void CRenderingManager::DrawDiscs()
{
    // Depth only, pushed back, so stipples behind the surface stay hidden.
    const std::vector<float>& vertices = m_pointSet.GetDiscVertices();
    const std::vector<unsigned>& indices = m_pointSet.GetDiscIndices();
    if (indices.empty()) return;
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(5.0f, 5.0f);
    glShadeModel(GL_FLAT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

Wml::Vector3<float> CRenderingManager::EyePoint() const
{
    if (m_camera && !m_camera->IsPerspective()) {
        // Parallel view: an eye far back along the view direction.
        const float d = std::max(1.0f, m_camera->GetTargetDistance());
        return m_camera->GetLocation() - m_camera->GetDirection() * (1000.0f * d);
    }
    // The model-view matrix is a rigid motion: the eye is -R^T t.
    GLfloat mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    Wml::Vector3<float> eye;
    for (int k = 0; k < 3; ++k)
        eye[k] = -(mv[4 * k] * mv[12] + mv[4 * k + 1] * mv[13] + mv[4 * k + 2] * mv[14]);
    return eye;
}

void CRenderingManager::DrawContours()
{
    const RenderingSettings& s = m_settings;
    if (!s.silhouetteContours && !s.suggestiveContours) return;
    const Wml::Vector3<float> eye = EyePoint();
    if (s.silhouetteContours && (!s.freezeSilhouette || !m_silhouetteFound)) {
        m_silhouette.Find(eye, m_silhouetteSegments);
        m_silhouetteFound = true;
    }
    if (s.suggestiveContours)
        m_analyzer.SuggestiveContours(eye, s.lowThreshold, s.highThreshold, m_suggestiveSegments);

    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    // Lines lie on the surface the fill passes wrote; a slightly nearer depth
    // range keeps the half of a wide line that falls on the surface visible.
    glDepthRange(0.0, 0.9995);
    glLineWidth(s.allPointsSize);
    glColor4f(s.stippleColour.r, s.stippleColour.g, s.stippleColour.b, 1.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    auto draw = [](const std::vector<Wml::Vector3<float>>& segments) {
        if (segments.empty()) return;
        glVertexPointer(3, GL_FLOAT, sizeof(Wml::Vector3<float>), &segments[0][0]);
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(segments.size()));
    };
    if (s.silhouetteContours) draw(m_silhouetteSegments);
    if (s.suggestiveContours) draw(m_suggestiveSegments);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDepthRange(0.0, 1.0);
    glLineWidth(1.0f);
}

void CRenderingManager::Render()
{
    // Surface lock first: no polygonization or refinement interleaves with a frame.
    std::unique_ptr<boost::unique_lock<boost::recursive_mutex>> lock;
    if (m_surfaces) lock.reset(new boost::unique_lock<boost::recursive_mutex>(m_surfaces->GetSurfaceLock()));
    const RenderingSettings& s = m_settings;

    // 1. clear
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(s.background.r, s.background.g, s.background.b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);

    // 2. lights, then the camera
    const float d = m_camera ? m_camera->GetTargetDistance() : 5.0f;
    BuildLights(d);
    ApplyLights();
    if (m_camera) m_camera->Update();

    // 3. grid and axes
    if (s.showGrid || s.showAxes) {
        glDisable(GL_LIGHTING);
        glBegin(GL_LINES);
        if (s.showGrid) {
            glColor3f(0.8f, 0.8f, 0.8f);
            for (size_t i = 0; i + 2 < m_grid.size(); i += 3) glVertex3fv(&m_grid[i]);
        }
        if (s.showAxes) {
            const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
            for (const auto& a : axes) {
                glColor3fv(a);
                glVertex3f(0, 0, 0);
                glVertex3fv(a);
            }
        }
        glEnd();
        if (s.lightingMode != 0) glEnable(GL_LIGHTING);
    }
    if (s.fastPrimitiveMode) {
        // Cached meshes only: nothing is polygonized in this mode.
        if (m_objects) {
            vynmesh::MeshRenderer& renderer = m_meshRenderer;
            if (s.lightingMode != 0) glEnable(GL_LIGHTING);
            glEnable(GL_NORMALIZE);
            glEnable(GL_COLOR_MATERIAL);
            glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
            glColor4f(s.meshColour.r, s.meshColour.g, s.meshColour.b, 1.0f);
            for (SceneObject* object : m_objects->GetObjects()) {
                // An operator's (and the root's) mesh would polygonize the tree
                // below it and cover its shapes' meshes: only shapes are drawn.
                if (dynamic_cast<vynui_bt::CompositionNodeSceneObject*>(object)) continue;
                if (const vynmesh::VFTriangleMesh* mesh = GetMeshCache()->GetMesh(object))
                    renderer.Render(*mesh, !s.flatShading, false, false);
            }
            glDisable(GL_COLOR_MATERIAL);
        }
        if (s.showSelectionSurface) DrawSelectionOverlay();
        glDisable(GL_LIGHTING);
        return;
    }
    if (!m_surfaces) return;

    // 4.
    const bool npr = IsNPRActive();
    std::vector<const vynmesh::VFTriangleMesh*> meshes;
    for (unsigned int c = 0; c < m_surfaces->GetNumChains(); ++c)
        if (SurfaceTreeNode* top = m_surfaces->GetChainTop(c))
            if (const vynmesh::VFTriangleMesh* mesh = top->GetMesh())
                meshes.push_back(mesh);  // missing meshes are skipped
    vynmesh::MeshRenderer depthRenderer;

    // 5. depth-only mesh so hidden stipples stay hidden
    if (s.meshZFill && npr && !s.showSurface) {
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1.0f, 1.0f);
        for (const auto* mesh : meshes) depthRenderer.Render(*mesh, true, false, false);
        glDisable(GL_POLYGON_OFFSET_FILL);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }

    // 6. surfaces
    if (s.showSurface || s.wireframe)
        for (const auto* mesh : meshes) DrawMesh(*mesh, npr, 1.0f);

    // 7. point set
    if (npr) {
        if (!s.pointSetAvailable) {
            // Built from every chain's displayed mesh.
            vynmesh::TriangleMesh& all = m_nprMesh;
            all.Clear();
            for (const auto* mesh : meshes) {
                const unsigned int base = all.GetNumVertices();
                for (unsigned int v = 0; v < mesh->GetNumVertices(); ++v) {
                    Wml::Vector3<float> p;
                    mesh->GetVertex(v, p);
                    all.AppendVertex(p);
                }
                for (unsigned int t = 0; t < mesh->GetNumTriangles(); ++t) {
                    vynmesh::IMesh::VertexID tri[3];
                    mesh->GetTriangle(t, tri);
                    if (tri[0] != vynmesh::IMesh::InvalidID)
                        all.AppendTriangle(base + tri[0], base + tri[1], base + tri[2]);
                }
            }
            m_pointSet.Build(all);
            m_silhouette.SetMesh(&all);
            m_analyzer.SetMesh(&all);
            m_settings.pointSetAvailable = true;
        }
        DrawPointSet();
    }

    // 8. selection overlay
    if (s.showSelectionSurface) DrawSelectionOverlay();

    // 9. the texture layer draws last
    if (m_textures) m_textures->Draw();
    glDisable(GL_LIGHTING);
}

void CRenderingManager::DrawSelectionOverlay()
{
    CollectSelectionMeshes();
    if (m_selectionMeshes.empty()) return;
    vynmesh::MeshRenderer renderer;
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const GLfloat noSpecular[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, noSpecular);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glColor4f(0.0f, 0.25f, 0.25f, 0.15f);
    for (const vynmesh::VFTriangleMesh* mesh : m_selectionMeshes) renderer.Render(*mesh, true, false, false);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
}

bool CRenderingManager::BindStippleTexture()
{
    if (!m_stippleTexture && !m_stippleTried) {
        m_stippleTried = true;  // a missing image is not looked for every frame
        RGBAImage image;
        if (image.Load(GetIconPath("stipple.png"))) {
            glGenTextures(1, &m_stippleTexture);
            glBindTexture(GL_TEXTURE_2D, m_stippleTexture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         image.pixels.data());
        }
    }
    if (!m_stippleTexture) return false;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_stippleTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    return true;
}

void CRenderingManager::ReleaseGL()
{
    if (m_stippleTexture) glDeleteTextures(1, &m_stippleTexture);
    m_stippleTexture = 0;
    m_stippleTried = false;
    if (m_surfaceTexture) {
        glDeleteTextures(1, &m_surfaceTexture);
        m_surfaceTexture = 0;
    }
}

}  // namespace vynui
