// The rendering manager's settings, commands, dialogs and stipple points.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "implicit/mesh/BruteForceSilhouetteFinder.h"
#include "surface/RenderingManager.h"
#include "surface/ShadingOverlay.h"
#include "surface/SurfaceManager.h"
#include "tests/support/MeshShapes.h"

using vynui::CRenderingManager;
using vynui::RenderingSettings;

namespace {

struct CountingRenderListener : vynui::IRenderingListener {
    int notices = 0;
    void OnRenderingChanged() override { ++notices; }
};

struct RenderingManagerTest : ::testing::Test {
    vynui::CSurfaceManager surfaces;
    CRenderingManager manager{&surfaces};
    CountingRenderListener listener;
    void SetUp() override { manager.AddRenderingListener(&listener); }
};

}  // namespace

TEST_F(RenderingManagerTest, InitialSettings)
{
    const RenderingSettings& s = manager.GetSettings();
    EXPECT_EQ(1.0f, s.background.r);
    EXPECT_EQ(1.0f, s.background.b);
    EXPECT_FALSE(s.showAxes);
    EXPECT_FALSE(s.showGrid);
    EXPECT_FALSE(s.fastPrimitiveMode);
    EXPECT_TRUE(s.showSurface);
    EXPECT_FALSE(s.showNormals);
    EXPECT_FALSE(s.wireframe);
    EXPECT_EQ(3, s.colouringMode);
    EXPECT_FALSE(s.flatShading);
    EXPECT_EQ(1.0f, s.wireframeColour.r);
    EXPECT_EQ(0.0f, s.wireframeColour.g);
    EXPECT_EQ(1.0f, s.normalColour.g);
    EXPECT_FLOAT_EQ(0.05f, s.normalLength);
    EXPECT_FLOAT_EQ(0.2f, s.ambientLight);
    EXPECT_EQ(1, s.lightingMode);
    EXPECT_TRUE(s.showSelectionSurface);
    EXPECT_FALSE(s.pointSetAvailable);
    EXPECT_FALSE(s.allPoints || s.lightCulledPoints || s.silhouetteContours || s.suggestiveContours ||
                 s.discZFill || s.freezeSilhouette || s.csgEdges || s.texturedSurface);
    EXPECT_TRUE(s.meshZFill);
    EXPECT_EQ(2.0f, s.allPointsSize);
    EXPECT_EQ(2.0f, s.lightCulledPointSize);
    EXPECT_EQ(0.0f, s.stippleColour.r);
    EXPECT_FALSE(manager.IsNPRActive());
}

TEST_F(RenderingManagerTest, TogglesFlipTheirSettingAndNotify)
{
    struct Case {
        const char* command;
        bool RenderingSettings::*flag;
    };
    const Case cases[] = {
        {"Show Mesh", &RenderingSettings::showSurface},
        {"Show Normals", &RenderingSettings::showNormals},
        {"Wireframe", &RenderingSettings::wireframe},
        {"Toggle Silhouette Rendering", &RenderingSettings::silhouetteContours},
        {"Toggle CSG Edges", &RenderingSettings::csgEdges},
        {"Show Selection Surface", &RenderingSettings::showSelectionSurface},
        {"Fast Primitive Mode", &RenderingSettings::fastPrimitiveMode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const bool before = manager.GetSettings().*c.flag;
        const int notices = listener.notices;
        ASSERT_TRUE(manager.OnCommand(c.command));
        EXPECT_NE(before, manager.GetSettings().*c.flag);
        EXPECT_EQ(notices + 1, listener.notices);
        vynui::CommandState state;
        ASSERT_TRUE(manager.OnUpdateCommand(c.command, state));
        EXPECT_EQ(manager.GetSettings().*c.flag, state.checked);
        manager.OnCommand(c.command);
        EXPECT_EQ(before, manager.GetSettings().*c.flag);
    }
    EXPECT_FALSE(manager.OnCommand("No Such Command"));
}

TEST_F(RenderingManagerTest, NPRModeHidesSurfaceAndTurnsOnPointPasses)
{
    bool surfaceOnly = false;
    manager.SetSurfaceOnlyHook([&](bool on) { surfaceOnly = on; });
    manager.GetSettings().showAxes = true;
    ASSERT_TRUE(manager.OnCommand("NPR Mode"));
    const RenderingSettings& s = manager.GetSettings();
    EXPECT_FALSE(s.showAxes);
    EXPECT_FALSE(s.showSurface);
    EXPECT_TRUE(s.lightCulledPoints && s.silhouetteContours && s.suggestiveContours && s.discZFill);
    EXPECT_FALSE(s.meshZFill);
    EXPECT_TRUE(surfaceOnly);
    EXPECT_TRUE(manager.IsNPRActive());
    EXPECT_EQ(1, listener.notices);
}

TEST_F(RenderingManagerTest, SurfaceChangeDropsPointSetAndTexture)
{
    manager.GetSettings().pointSetAvailable = true;
    manager.GetSettings().texturedSurface = true;
    manager.OnSurfaceChanged(nullptr, nullptr);
    EXPECT_FALSE(manager.GetSettings().pointSetAvailable);
    EXPECT_FALSE(manager.GetSettings().texturedSurface);
    EXPECT_FALSE(manager.IsSelectionCollected());
    EXPECT_TRUE(manager.IsSilhouetteStale());
    manager.OnSurfacesReset();
    EXPECT_EQ(2, listener.notices);
}

TEST_F(RenderingManagerTest, LightingDialogRoundTrip)
{
    RenderingSettings& s = manager.GetSettings();
    s.background = {0.5f, 0.25f, 1.0f};
    s.lightingMode = 3;
    s.colouringMode = vynui::VertexError;
    manager.LoadLightingDialog();
    vynui::LightingDialogModel& d = manager.GetLightingDialog();
    EXPECT_EQ(2, d.lightingRadio);
    EXPECT_EQ(2, d.colouringRadio);
    EXPECT_EQ(127, d.background[0]);  // truncated, not rounded
    EXPECT_EQ(63, d.background[1]);
    EXPECT_EQ(255, d.background[2]);

    // Each colouring radio maps back to its mode; selection colouring follows.
    const int modes[4] = {0, 3, 1, 2};
    for (int radio = 0; radio < 4; ++radio) {
        d.colouringRadio = radio;
        manager.ApplyLightingDialog();
        EXPECT_EQ(modes[radio], s.colouringMode);
        EXPECT_EQ(modes[radio] == 3, surfaces.GetSelectionColouring());
    }
    d.lightingRadio = 0;
    d.meshColour[0] = 51;
    manager.ApplyLightingDialog();
    EXPECT_EQ(1, s.lightingMode);
    EXPECT_FLOAT_EQ(0.2f, s.meshColour.r);
    EXPECT_FLOAT_EQ(127.0f / 255.0f, s.background.r);
    EXPECT_EQ(5, listener.notices);
}

TEST_F(RenderingManagerTest, AmbientLightRefusesOutOfRange)
{
    EXPECT_TRUE(manager.SetAmbientLight(0.7f));
    for (float bad : {-0.1f, 1.5f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_FALSE(manager.SetAmbientLight(bad));
    EXPECT_FLOAT_EQ(0.7f, manager.GetSettings().ambientLight);
}

TEST_F(RenderingManagerTest, PointSetDialogDefaultsApplyAndRanges)
{
    vynui::PointSetDialogModel& d = manager.GetPointSetDialog();
    EXPECT_FLOAT_EQ(0.001f, d.discDensity);
    EXPECT_FLOAT_EQ(0.03f, d.discSize);
    EXPECT_EQ(2.0f, d.stippleSize);
    EXPECT_EQ(4, d.stippleDensity);
    EXPECT_EQ(2.0f, d.contourWidth);

    manager.GetSettings().pointSetAvailable = true;
    d.allPoints = true;
    d.stippleSize = 3.0f;
    d.contourWidth = 5.0f;
    d.discDensity = 0.01f;
    d.stippleDensity = 6;
    ASSERT_TRUE(manager.ApplyPointSetDialog());
    const RenderingSettings& s = manager.GetSettings();
    EXPECT_TRUE(s.allPoints);
    EXPECT_EQ(3.0f, s.lightCulledPointSize);
    EXPECT_EQ(5.0f, s.allPointsSize);
    EXPECT_FALSE(s.pointSetAvailable);
    EXPECT_FLOAT_EQ(0.01f, manager.GetPointSet().GetDiscDensity());
    EXPECT_EQ(6, manager.GetPointSet().GetStippleDensity());

    manager.LoadPointSetDialog();
    EXPECT_EQ(3.0f, d.stippleSize);
    EXPECT_EQ(6, d.stippleDensity);

    struct Bad {
        const char* what;
        void (*set)(vynui::PointSetDialogModel&);
    };
    const Bad bad[] = {
        {"density", [](vynui::PointSetDialogModel& m) { m.discDensity = 2.0f; }},
        {"disc size", [](vynui::PointSetDialogModel& m) { m.discSize = 0.0f; }},
        {"stipple size", [](vynui::PointSetDialogModel& m) { m.stippleSize = 11.0f; }},
        {"stipple density", [](vynui::PointSetDialogModel& m) { m.stippleDensity = 0; }},
        {"contour width", [](vynui::PointSetDialogModel& m) { m.contourWidth = std::nanf(""); }},
        {"threshold", [](vynui::PointSetDialogModel& m) { m.lowThreshold = INFINITY; }},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        manager.LoadPointSetDialog();
        d.allPoints = false;
        b.set(d);
        const int notices = listener.notices;
        std::string message;
        EXPECT_FALSE(manager.ApplyPointSetDialog(&message));
        EXPECT_FALSE(message.empty());
        EXPECT_TRUE(s.allPoints);  // nothing applied
        EXPECT_EQ(notices, listener.notices);
    }
}

TEST(PointSetRenderer, StipplesOfOneTriangleAreExactAndRepeatable)
{
    vynmesh::TriangleMesh mesh;
    const float x0 = 0.5f;
    mesh.AppendVertex(Wml::Vector3<float>(x0, 0, 0));
    mesh.AppendVertex(Wml::Vector3<float>(x0 + 1, 0, 0));
    mesh.AppendVertex(Wml::Vector3<float>(x0, 1, 0));
    mesh.AppendTriangle(0, 1, 2);
    vynui::PointSetRenderer renderer;
    renderer.SetStippleDensity(2);
    renderer.Build(mesh);
    const auto& points = renderer.GetPoints();
    ASSERT_EQ(4u, points.size());
    // i outer, j inner: p0 + i/k (p1 - p0) + j/k (p2 - p0).
    const float expected[4][2] = {{0.5f, 0}, {0.5f, 0.5f}, {1.0f, 0}, {1.0f, 0.5f}};
    uint32_t x;
    std::memcpy(&x, &x0, 4);  // 0x3F000000
    for (int n = 0; n < 4; ++n) {
        EXPECT_FLOAT_EQ(expected[n][0], points[n].position.X());
        EXPECT_FLOAT_EQ(expected[n][1], points[n].position.Y());
        x = x * 1664525u + 1013904223u;
        EXPECT_FLOAT_EQ(static_cast<float>(x % 10000u) / 10000.0f, points[n].threshold);
        EXPECT_GE(points[n].threshold, 0.0f);
        EXPECT_LT(points[n].threshold, 1.0f);
        EXPECT_FLOAT_EQ(1.0f, points[n].normal.Z());
    }
    // Worked first value: 0x3F000000 * 1664525 + 1013904223 mod 2^32.
    EXPECT_FLOAT_EQ(static_cast<float>((1056964608u * 1664525u + 1013904223u) % 10000u) / 10000.0f,
                    points[0].threshold);
    vynui::PointSetRenderer again;
    again.SetStippleDensity(2);
    again.Build(mesh);
    for (int n = 0; n < 4; ++n) EXPECT_EQ(points[n].threshold, again.GetPoints()[n].threshold);

    // Facing the light keeps only points with a threshold of 1 or more: none.
    std::vector<const vynui::StipplePoint*> kept;
    renderer.CullByLight(Wml::Vector3<float>(0, 0, 1), kept);
    EXPECT_TRUE(kept.empty());
    renderer.CullByLight(Wml::Vector3<float>(0, 0, -1), kept);
    EXPECT_EQ(4u, kept.size());
}

TEST(PointSetRenderer, DiscCountFollowsAreaTimesDensityAndRepeats)
{
    vynmesh::TriangleMesh sphere;
    meshtest::MakeIcosphere(sphere, 3, 1.0f);
    double area = 0.0;
    for (unsigned t = 0; t < sphere.GetNumTriangles(); ++t) {
        unsigned v[3];
        sphere.GetTriangle(t, v);
        area += 0.5 * (sphere.GetPosition(v[1]) - sphere.GetPosition(v[0]))
                          .Cross(sphere.GetPosition(v[2]) - sphere.GetPosition(v[0]))
                          .Length();
    }
    for (float density : {0.0001f, 0.001f, 0.004f}) {
        SCOPED_TRACE(density);
        vynui::PointSetRenderer discs;
        discs.SetDiscDensity(density);
        discs.Build(sphere);
        const double expected = area * density * vynui::PointSetRenderer::kDiscsPerDensity;
        EXPECT_NEAR(expected, double(discs.GetDiscCount()), 1.0);
        const int sides = vynui::PointSetRenderer::kDiscSides;
        ASSERT_EQ(discs.GetDiscCount() * (sides + 1) * 3, discs.GetDiscVertices().size());
        ASSERT_EQ(discs.GetDiscCount() * sides * 3, discs.GetDiscIndices().size());
        for (unsigned i : discs.GetDiscIndices()) ASSERT_LT(i, discs.GetDiscVertices().size() / 3);

        vynui::PointSetRenderer again;
        again.SetDiscDensity(density);
        again.Build(sphere);
        ASSERT_EQ(discs.GetDiscCount(), again.GetDiscCount());
        EXPECT_TRUE(discs.GetDiscVertices() == again.GetDiscVertices());
    }

    // Each disc: centre on the surface, rim at the disc size in the tangent plane.
    vynui::PointSetRenderer discs;
    discs.Build(sphere);
    ASSERT_GT(discs.GetDiscCount(), 1000u);
    auto checkRims = [&](float size) {
        const std::vector<float>& v = discs.GetDiscVertices();
        const size_t stride = (vynui::PointSetRenderer::kDiscSides + 1) * 3;
        for (size_t d = 0; d < discs.GetDiscCount(); d += 97) {
            const Wml::Vector3<float> c(&v[d * stride]), n = discs.GetDiscNormals()[d];
            EXPECT_NEAR(1.0f, c.Length(), 0.03f);
            EXPECT_GT(n.Dot(c), 0.95f);  // outward
            for (int k = 1; k <= vynui::PointSetRenderer::kDiscSides; ++k) {
                const Wml::Vector3<float> q(&v[d * stride + 3 * k]);
                EXPECT_NEAR(size, (q - c).Length(), 1e-4f);
                EXPECT_NEAR(0.0f, (q - c).Dot(n), 1e-4f);
            }
        }
    };
    checkRims(0.03f);
    discs.SetDiscSize(0.1f);  // remade without a new Build
    checkRims(0.1f);
    discs.SetDiscSize(std::nanf(""));
    discs.SetDiscSize(-1.0f);
    EXPECT_FLOAT_EQ(0.1f, discs.GetDiscSize());

    // A huge surface at full density stops at the cap instead of exhausting memory.
    vynmesh::TriangleMesh huge;
    meshtest::MakeIcosphere(huge, 1, 1000.0f);
    discs.SetDiscDensity(1.0f);
    discs.Build(huge);
    EXPECT_LE(discs.GetDiscCount(), vynui::PointSetRenderer::kMaxDiscs);
    EXPECT_GT(discs.GetDiscCount(), vynui::PointSetRenderer::kMaxDiscs - 100);
}

TEST_F(RenderingManagerTest, LightPresetsFollowTheModeAndDistance)
{
    const float d = 4.0f;
    struct Case {
        int mode;
        float ambient;
        bool light1;
        float x0, diffuse0, specular;
    };
    const Case cases[] = {
        {1, 0.2f, true, -2 * d, 0.6f, 0.0f},
        {2, 0.2f, true, -2 * d, 0.6f, 1.0f},
        {3, 0.5f, true, -d, 0.24901961f, 0.0f},
        {4, 0.0f, false, -2 * d, 1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        manager.GetSettings().lightingMode = c.mode;
        manager.BuildLights(d);
        EXPECT_FLOAT_EQ(c.ambient, manager.GetGlobalAmbient()[0]);
        EXPECT_FLOAT_EQ(c.specular, manager.GetMaterialSpecular()[0]);
        EXPECT_TRUE(manager.GetLight(0).IsEnabled());
        EXPECT_FLOAT_EQ(c.x0, manager.GetLight(0).GetPosition()[0]);
        EXPECT_FLOAT_EQ(d, manager.GetLight(0).GetPosition()[2]);
        EXPECT_FLOAT_EQ(c.diffuse0, manager.GetLight(0).GetDiffuse()[0]);
        EXPECT_EQ(c.light1, manager.GetLight(1).IsEnabled());
        for (int i = 2; i < 8; ++i) EXPECT_FALSE(manager.GetLight(i).IsEnabled());
    }
    EXPECT_FLOAT_EQ(40.0f,
                    (manager.GetSettings().lightingMode = 2, manager.BuildLights(d), manager.GetShininess()));
    // Warm-to-cool: the second light takes colour away.
    manager.GetSettings().lightingMode = 3;
    manager.BuildLights(d);
    EXPECT_LT(manager.GetLight(1).GetDiffuse()[0], 0.0f);
}

TEST(RenderingTextures, CheckerboardSquaresAndGrid)
{
    std::vector<unsigned char> rgba;
    CRenderingManager::BuildCheckerboard(rgba);
    ASSERT_EQ(512u * 512u * 4u, rgba.size());
    auto at = [&](int row, int col) { return &rgba[(size_t(row) * 512 + col) * 4]; };
    EXPECT_EQ(255, at(0, 0)[0]);
    EXPECT_EQ(255, at(63, 63)[1]);
    EXPECT_EQ(0, at(0, 64)[0]);
    EXPECT_EQ(0, at(64, 0)[2]);
    EXPECT_EQ(255, at(64, 64)[0]);
    EXPECT_EQ(255, at(511, 511)[0]);
    EXPECT_EQ(255, at(0, 64)[3]);

    CRenderingManager manager;
    const std::vector<float>& grid = manager.GetGridLines();
    ASSERT_EQ(20u * 4u * 3u, grid.size());  // 40 lines, two ends each
    for (size_t i = 0; i < grid.size(); i += 3) {
        EXPECT_LE(std::fabs(grid[i]), 2.0f);
        EXPECT_LE(std::fabs(grid[i + 1]), 2.0f);
        EXPECT_EQ(0.0f, grid[i + 2]);
    }
}

TEST_F(RenderingManagerTest, ColourAndAmbientPromptsKeepValuesInRange)
{
    vynui::RGBf offered{};
    manager.SetColourPicker([&](vynui::RGBf& c) {
        offered = c;
        c = {0.5f, 2.0f, -1.0f};
        return true;
    });
    manager.GetSettings().meshColour = {0.1f, 0.2f, 0.3f};
    ASSERT_TRUE(manager.OnCommand("Set Mesh Color"));
    EXPECT_FLOAT_EQ(0.2f, offered.g);  // starts on the current colour
    EXPECT_FLOAT_EQ(1.0f, manager.GetSettings().meshColour.g);
    EXPECT_FLOAT_EQ(0.0f, manager.GetSettings().meshColour.b);

    manager.SetColourPicker([](vynui::RGBf& c) {
        c = {std::nanf(""), 0, 0};
        return true;
    });
    manager.OnCommand("Set BG Color");
    EXPECT_EQ(1.0f, manager.GetSettings().background.r);  // NaN refused

    std::string title;
    float lo = -1, hi = -1;
    float answer = 3.0f;
    manager.SetValuePrompt([&](const std::string& t, float l, float h, float& v) {
        title = t;
        lo = l;
        hi = h;
        v = answer;
        return true;
    });
    manager.OnCommand("Set Ambient Light");
    EXPECT_EQ("Ambient Light", title);
    EXPECT_EQ(0.0f, lo);
    EXPECT_EQ(1.0f, hi);
    EXPECT_FLOAT_EQ(0.2f, manager.GetSettings().ambientLight);
    answer = 0.4f;
    manager.OnCommand("Set Ambient Light");
    EXPECT_FLOAT_EQ(0.4f, manager.GetSettings().ambientLight);
}

TEST(SilhouetteFinder, FoldEdgeAndBoundaryEdgesFromTheEye)
{
    // Two triangles folded along the edge 0-1 like a roof over the X axis.
    vynmesh::TriangleMesh mesh;
    mesh.AppendVertex(Wml::Vector3<float>(0, 0, 0));
    mesh.AppendVertex(Wml::Vector3<float>(1, 0, 0));
    mesh.AppendVertex(Wml::Vector3<float>(0, 1, -1));
    mesh.AppendVertex(Wml::Vector3<float>(0, -1, -1));
    mesh.AppendTriangle(0, 1, 2);  // normal toward +y +z
    mesh.AppendTriangle(1, 0, 3);  // normal toward -y +z
    vynmesh::BruteForceSilhouetteFinder finder;
    finder.SetMesh(&mesh);
    std::vector<Wml::Vector3<float>> segments;

    // From above both faces look at the eye: only boundary edges, not the ridge.
    finder.Find(Wml::Vector3<float>(0.5f, 0, 5), segments);
    EXPECT_EQ(8u, segments.size());
    for (size_t i = 0; i < segments.size(); i += 2)
        EXPECT_FALSE(segments[i].Z() == 0 && segments[i + 1].Z() == 0) << "ridge drawn";

    // From the +y side, low: the second face turns away, so the ridge is a silhouette.
    finder.Find(Wml::Vector3<float>(0.5f, 5, -0.5f), segments);
    bool ridge = false;
    for (size_t i = 0; i < segments.size(); i += 2) ridge |= segments[i].Z() == 0 && segments[i + 1].Z() == 0;
    EXPECT_TRUE(ridge);

    // A shrunken mesh without notice is not read out of range.
    vynmesh::TriangleMesh empty;
    finder.SetMesh(&empty);
    finder.Find(Wml::Vector3<float>(0, 0, 5), segments);
    EXPECT_TRUE(segments.empty());
}

TEST(ShadingOverlay, StrokeGathersThenJoinsThePaintedLayer)
{
    vynui::ShadingOverlay overlay;
    overlay.Resize(1024, 256);  // layer x = window x / 2, layer y = window y * 2
    auto mouse = [](int x, int y, bool down, bool up) {
        vynui::InputEvent e;
        e.kind = vynui::InputEvent::MOUSE;
        e.x = x;
        e.y = y;
        e.leftDown = down;
        e.leftUp = up;
        return e;
    };
    EXPECT_EQ(vynui::INPUT_NOT_HANDLED,
              overlay.OnInputEvent(mouse(10, 10, true, true)));  // drag without press
    EXPECT_EQ(vynui::INPUT_CAPTURE, overlay.OnInputEvent(mouse(200, 50, true, false)));
    EXPECT_EQ(vynui::INPUT_CONSUMED, overlay.OnInputEvent(mouse(600, 50, true, true)));
    EXPECT_EQ(vynui::INPUT_CONSUMED,
              overlay.OnInputEvent(mouse(600, 50, true, true)));  // overlap does not darken
    // Segment from (100, 100) to (300, 100) in the layer, radius 25.
    EXPECT_EQ(77, overlay.StrokeAlpha(200, 100));
    EXPECT_EQ(77, overlay.StrokeAlpha(100, 124));
    EXPECT_EQ(0, overlay.StrokeAlpha(200, 127));
    EXPECT_EQ(77, overlay.StrokeAlpha(320, 100));
    EXPECT_EQ(0, overlay.StrokeAlpha(330, 100));
    EXPECT_EQ(0, overlay.PaintedAlpha(200, 100));

    EXPECT_EQ(vynui::INPUT_RELEASE_CAPTURE, overlay.OnInputEvent(mouse(600, 50, false, true)));
    EXPECT_EQ(77, overlay.PaintedAlpha(200, 100));
    EXPECT_EQ(0, overlay.StrokeAlpha(200, 100));
    // A second stroke over the first builds up coverage.
    overlay.OnInputEvent(mouse(400, 50, true, false));
    overlay.OnInputEvent(mouse(400, 50, true, true));
    overlay.OnInputEvent(mouse(400, 50, false, true));
    EXPECT_EQ(77 + (77 * 178 + 127) / 255, overlay.PaintedAlpha(200, 100));
    // Points far outside the window only paint what falls on the layer.
    overlay.OnInputEvent(mouse(-100000, -100000, true, false));
    overlay.OnInputEvent(mouse(100000, 100000, true, true));
    EXPECT_TRUE(overlay.IsStroking());
    EXPECT_EQ(77, overlay.StrokeAlpha(64, 256));  // y = 4x through the origin
    EXPECT_EQ(0, overlay.StrokeAlpha(256, 256));
    overlay.Resize(0, 0);
}
