// Outlines drawn in the view become shapes that a person would accept: the
// polygonized surface seen through the same camera covers the outline, is
// closed, and has a believable depth; shapes drawn onto a shape change it
// only where the outline was.

#include <cmath>
#include <map>

#include "SketchTestSupport.h"
#include "blobtree/RootNode.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "surface/SurfaceTreeNode.h"

using namespace sketchui_test;
using vynui::CSketchManager;

namespace {

const Vector2f kCentre(400.0f, 300.0f);

struct Outline {
    const char* name;
    std::vector<Vector2f> points;
    bool mirrored;  // symmetric about the vertical through its centre
};

std::vector<Outline> Outlines()
{
    return {
        {"circle", Mouse(Ellipse(kCentre, 110.0f, 110.0f), 3), true},
        {"ellipse", Mouse(Ellipse(kCentre + Vector2f(-40.0f, 20.0f), 160.0f, 80.0f), 4), true},
        {"star", Mouse(Star(kCentre, 150.0f, 75.0f, 5), 5, 0.5f), false},
        {"hand-drawn blob", Mouse(Blob(kCentre + Vector2f(30.0f, -10.0f), 120.0f, 9), 6, 1.5f), false},
    };
}

using Mask = std::vector<unsigned char>;

bool Inside(const std::vector<Vector2f>& polygon, float x, float y)
{
    bool in = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Vector2f& a = polygon[i];
        const Vector2f& b = polygon[j];
        if ((a.Y() > y) != (b.Y() > y) && x < (b.X() - a.X()) * (y - a.Y()) / (b.Y() - a.Y()) + a.X())
            in = !in;
    }
    return in;
}

Mask OutlineMask(const std::vector<Vector2f>& outline)
{
    Mask mask(std::size_t(SketchRig::W * SketchRig::H), 0);
    for (int y = 0; y < SketchRig::H; ++y)
        for (int x = 0; x < SketchRig::W; ++x)
            mask[std::size_t(y * SketchRig::W + x)] = Inside(outline, float(x) + 0.5f, float(y) + 0.5f);
    return mask;
}

Mask SilhouetteMask(SketchRig& rig, const vynmesh::VFTriangleMesh& mesh)
{
    Mask mask(std::size_t(SketchRig::W * SketchRig::H), 0);
    for (unsigned t = 0; t < mesh.GetNumTriangles(); ++t) {
        unsigned v[3];
        mesh.GetTriangle(t, v);
        Vector2f p[3];
        for (int i = 0; i < 3; ++i) {
            Vector3f q;
            mesh.GetVertex(v[i], q);
            p[i] = rig.PixelOf(q);
        }
        const float area = (p[1] - p[0]).X() * (p[2] - p[0]).Y() - (p[1] - p[0]).Y() * (p[2] - p[0]).X();
        if (std::fabs(area) < 1e-9f) continue;
        const int x0 = std::max(0, int(std::floor(std::min({p[0].X(), p[1].X(), p[2].X()}))));
        const int x1 = std::min(SketchRig::W - 1, int(std::ceil(std::max({p[0].X(), p[1].X(), p[2].X()}))));
        const int y0 = std::max(0, int(std::floor(std::min({p[0].Y(), p[1].Y(), p[2].Y()}))));
        const int y1 = std::min(SketchRig::H - 1, int(std::ceil(std::max({p[0].Y(), p[1].Y(), p[2].Y()}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const Vector2f c(float(x) + 0.5f, float(y) + 0.5f);
                float w[3];
                for (int i = 0; i < 3; ++i) {
                    const Vector2f a = p[(i + 1) % 3] - c, b = p[(i + 2) % 3] - c;
                    w[i] = (a.X() * b.Y() - a.Y() * b.X()) / area;
                }
                if (w[0] >= 0 && w[1] >= 0 && w[2] >= 0) mask[std::size_t(y * SketchRig::W + x)] = 1;
            }
    }
    return mask;
}

/// |A xor B| / |B|.
float MaskDifference(const Mask& a, const Mask& b)
{
    std::size_t diff = 0, count = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        diff += a[i] != b[i];
        count += b[i];
    }
    return count ? float(diff) / float(count) : 1.0f;
}

/// Every edge is shared by exactly two triangles (vertices welded by position).
bool Closed(const vynmesh::VFTriangleMesh& mesh)
{
    std::map<std::array<float, 3>, unsigned> weld;
    auto id = [&](unsigned v) {
        Vector3f p;
        mesh.GetVertex(v, p);
        const std::array<float, 3> key{std::round(p.X() * 1e4f), std::round(p.Y() * 1e4f),
                                       std::round(p.Z() * 1e4f)};
        return weld.emplace(key, unsigned(weld.size())).first->second;
    };
    std::map<std::pair<unsigned, unsigned>, int> edges;
    for (unsigned t = 0; t < mesh.GetNumTriangles(); ++t) {
        unsigned v[3];
        mesh.GetTriangle(t, v);
        const unsigned w[3] = {id(v[0]), id(v[1]), id(v[2])};
        if (w[0] == w[1] || w[1] == w[2] || w[0] == w[2]) continue;  // collapsed
        for (int i = 0; i < 3; ++i) ++edges[{std::min(w[i], w[(i + 1) % 3]), std::max(w[i], w[(i + 1) % 3])}];
    }
    for (const auto& e : edges)
        if (e.second != 2) return false;
    return !edges.empty();
}

/// World size of the outline's smaller screen extent on the plane through `at` facing the viewer.
float OutlineWorldExtent(SketchRig& rig, const std::vector<Vector2f>& outline, const Vector3f& at)
{
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
    for (const Vector2f& p : outline) {
        x0 = std::min(x0, p.X()), x1 = std::max(x1, p.X()), y0 = std::min(y0, p.Y()),
        y1 = std::max(y1, p.Y());
    }
    const Vector3f n = rig.camera.GetDirection();
    auto onPlane = [&](float x, float y) {
        const Wml::Ray3<float> ray = rig.camera.GetPickRay(int(x), int(y));
        const float t = (at - ray.Origin()).Dot(n) / ray.Direction().Dot(n);
        return ray.Origin() + ray.Direction() * t;
    };
    const float w = (onPlane(x1, y0) - onPlane(x0, y0)).Length();
    const float h = (onPlane(x0, y1) - onPlane(x0, y0)).Length();
    return std::min(w, h);
}

struct ShapeOperation {
    const char* name;
    int button;
    bool revolution;
};

const ShapeOperation kOperations[] = {
    {"Blobby Thing", CSketchManager::BlobbySweepButton, false},
    {"Linear Sweep", CSketchManager::LinearSweepButton, false},
    {"Revolution", CSketchManager::RevolutionButton, true},
};

}  // namespace

TEST(SketchShapes, OutlineBecomesAClosedShapeThatCoversItFromTheView)
{
    for (const ShapeOperation& op : kOperations) {
        for (const Outline& outline : Outlines()) {
            SCOPED_TRACE(std::string(op.name) + ", " + outline.name);
            SketchRig rig;
            rig.Drag(outline.points);
            ASSERT_TRUE(rig.Offers(rig.sketch->GetButton(op.button)->GetName()));
            rig.Press(op.button);
            ASSERT_NE(nullptr, rig.sketch->GetLastCreatedObject());
            EXPECT_EQ(1u, rig.TopLevelCount());
            EXPECT_EQ(0u, rig.sketch->GetStrokeFactory().GetNumStrokes());
            const vynmesh::VFTriangleMesh& mesh = *rig.surfaces.GetChainTop(0)->GetMesh();
            ASSERT_GT(mesh.GetNumTriangles(), 50u);
            EXPECT_TRUE(Closed(mesh));

            // A revolution turns the outline about its vertical axis: only a
            // mirrored outline is its own silhouette.
            if (!op.revolution || outline.mirrored) {
                const float difference =
                    MaskDifference(SilhouetteMask(rig, mesh), OutlineMask(outline.points));
                EXPECT_LE(difference, 0.15f);
            }

            Vector3f centre = Vector3f::ZERO;
            float near = 1e9f, far = -1e9f, left = 1e9f, right = -1e9f;
            const Vector3f view = rig.camera.GetDirection();
            const Vector3f across = view.Cross(rig.camera.GetUp());
            for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
                Vector3f p;
                mesh.GetVertex(v, p);
                centre += p / float(mesh.GetNumVertices());
                near = std::min(near, p.Dot(view));
                far = std::max(far, p.Dot(view));
                left = std::min(left, p.Dot(across));
                right = std::max(right, p.Dot(across));
            }
            if (op.button == CSketchManager::LinearSweepButton) {
                // Flat faces across the view axis: many vertices share the
                // nearest and farthest depths.
                unsigned onFaces = 0;
                for (unsigned v = 0; v < mesh.GetNumVertices(); ++v) {
                    Vector3f p;
                    mesh.GetVertex(v, p);
                    const float depth = p.Dot(view);
                    onFaces += std::min(depth - near, far - depth) < 0.02f * (far - near);
                }
                EXPECT_GT(onFaces, mesh.GetNumVertices() / 5);
            }
            if (op.revolution) {
                // As deep as it is wide: turned about the view's vertical.
                EXPECT_NEAR(right - left, far - near, 0.08f * (right - left));
            } else {
                const float extent = OutlineWorldExtent(rig, outline.points, centre);
                EXPECT_GE(far - near, 0.1f * extent);
                EXPECT_LE(far - near, 1.0f * extent);
            }
        }
    }
}

TEST(SketchShapes, BlendAndCutChangeTheShapeOnlyWhereTheOutlineWas)
{
    struct EditCase {
        const char* name;
        int button;
        bool grows;  // the surface moves outward (blend) or inward (cut) near the outline
    };
    const EditCase cases[] = {
        {"blend a sweep onto the shape", CSketchManager::BlendBlobbySweepButton, true},
        {"cut through the shape", CSketchManager::CutSurfaceButton, false},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        SketchRig rig;
        rig.Drag(Mouse(Ellipse(kCentre, 160.0f, 160.0f), 3));
        rig.Press(CSketchManager::BlobbySweepButton);
        ASSERT_EQ(1u, rig.TopLevelCount());
        rig.scene.ClearSelection();
        const vynmesh::VFTriangleMesh before = *rig.surfaces.GetChainTop(0)->GetMesh();

        rig.Drag(Mouse(Ellipse(kCentre + Vector2f(60.0f, 50.0f), 30.0f, 30.0f), 8));
        ASSERT_TRUE(rig.sketch->AllHit());
        ASSERT_TRUE(rig.Offers(rig.sketch->GetButton(c.button)->GetName()));
        Vector3f region = Vector3f::ZERO;
        const auto& samples = rig.sketch->GetContext().strokeSamples;
        for (const auto& s : samples) region += s.surfacePoint / float(samples.size());
        float radius = 0.0f;
        for (const auto& s : samples) radius = std::max(radius, (s.surfacePoint - region).Length());

        rig.Press(c.button);
        ASSERT_NE(nullptr, rig.sketch->GetLastCreatedObject());
        EXPECT_EQ(1u, rig.TopLevelCount());
        const vynmesh::VFTriangleMesh& after = *rig.surfaces.GetChainTop(0)->GetMesh();
        ASSERT_GT(after.GetNumTriangles(), 50u);
        EXPECT_TRUE(Closed(after));

        // Away from the outline's tube along the view the old surface is
        // still the surface; near the outline it is not.
        const Vector3f view = rig.camera.GetDirection();
        auto across = [&](const Vector3f& d) { return (d - view * d.Dot(view)).Length(); };
        for (const auto& s : samples) radius = std::max(radius, across(s.surfacePoint - region));
        vynbt::RootNode* root = rig.Root()->GetRootNode();
        float farError = 0.0f, nearChange = 0.0f;
        unsigned farCount = 0;
        for (unsigned v = 0; v < before.GetNumVertices(); ++v) {
            Vector3f p;
            before.GetVertex(v, p);
            const float value = root->Value(p.X(), p.Y(), p.Z());
            const float d = across(p - region);
            if (d > 2.5f * radius + 0.5f) {
                farError = std::max(farError, std::fabs(value - 0.5f));
                ++farCount;
            } else if (d < radius) {
                nearChange = std::max(nearChange, c.grows ? value - 0.5f : 0.5f - value);
            }
        }
        EXPECT_GT(farCount, before.GetNumVertices() / 3);
        EXPECT_LT(farError, 0.01f);
        EXPECT_GT(nearChange, 0.05f);
    }
}

TEST(SketchShapes, SurfacePointsFollowTheOutlineOnTheShape)
{
    SketchRig rig;
    rig.Drag(Mouse(Ellipse(kCentre, 160.0f, 160.0f), 3));
    rig.Press(CSketchManager::BlobbySweepButton);
    rig.scene.ClearSelection();
    rig.Drag(Mouse(Ellipse(kCentre + Vector2f(20.0f, 10.0f), 50.0f, 40.0f), 8));
    ASSERT_TRUE(rig.Offers("SurfacePointsLineButton"));
    std::vector<Vector3f> expected;
    for (const auto& s : rig.sketch->GetContext().polylineSamples)
        if (s.object) expected.push_back(s.surfacePoint);
    rig.Press(CSketchManager::SurfacePointsLineButton);
    ASSERT_NE(nullptr, rig.sketch->GetLastCreatedObject());
    EXPECT_EQ(CSketchManager::SurfacePointsLine, rig.sketch->GetLastOperation());
    EXPECT_EQ(2u, rig.TopLevelCount());
    // The points lie on the shape's surface.
    vynbt::BlobTreeNode* shape =
        static_cast<vynui_bt::BlobTreeNodeSceneObject*>(rig.Root()->GetChildren().front())->GetNode();
    ASSERT_GT(expected.size(), 8u);
    for (const Vector3f& p : expected) EXPECT_NEAR(0.5f, shape->Value(p.X(), p.Y(), p.Z()), 0.02f);
}

TEST(SketchShapes, StrokeAlongASelectedSweepSetsItsLength)
{
    SketchRig rig;
    rig.Drag(Mouse(Ellipse(kCentre, 120.0f, 60.0f), 3));
    rig.Press(CSketchManager::LinearSweepButton);
    auto* sweep = dynamic_cast<vynui_bt::BlobTreeNodeSceneObject*>(rig.sketch->GetLastCreatedObject());
    ASSERT_NE(nullptr, sweep);
    ASSERT_EQ(1u, rig.scene.GetObjectManager()->GetSelection().Size());
    // Never suggested; run from its button with the stroke across the sweep.
    rig.Drag(Mouse(Bowed(kCentre - Vector2f(80.0f, 0.0f), kCentre + Vector2f(80.0f, 0.0f), 10.0f), 4));
    EXPECT_FALSE(rig.Offers("ResizeSweepButton"));
    auto length = [&] {
        std::string text;
        sweep->GetParameterList()->Find("Falloff Length")->GetValueAsText(text);
        return text;
    };
    const std::string before = length();
    rig.Press(CSketchManager::ResizeSweepButton);
    EXPECT_EQ(sweep, rig.sketch->GetLastCreatedObject());
    EXPECT_NE(before, length());
    EXPECT_EQ(0u, rig.sketch->GetStrokeFactory().GetNumStrokes());
    // Nothing selected: nothing to resize.
    rig.scene.ClearSelection();
    rig.Drag(Mouse(Bowed(kCentre - Vector2f(80.0f, 0.0f), kCentre + Vector2f(80.0f, 0.0f), 10.0f), 4));
    EXPECT_EQ(nullptr, rig.sketch->RunOperation(CSketchManager::ResizeSweep));
    EXPECT_EQ(1u, rig.sketch->GetStrokeFactory().GetNumStrokes());
}
