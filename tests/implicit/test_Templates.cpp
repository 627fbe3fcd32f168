// Outline templates: the height field and the variational field made from a
// sketched outline, their placement, and the regenerating field's records.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "implicit/fields2d/DiscreteFieldGenerator2D.h"
#include "implicit/fields2d/DynDiscreteScalarField2D.h"
#include "implicit/sweeps/DiscreteLinearSweep.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Frame3.h"
#include "wml/Serializer.h"

using namespace vynimplicit;
using Box2 = Wml::AxisAlignedBox2<float>;
using V2 = Wml::Vector2<float>;

namespace {

Wml::LinearComplex2<float> Closed(const std::vector<V2>& pts)
{
    Wml::LinearComplex2<float> lc;
    for (const V2& p : pts) lc.AddVertex(p);
    for (unsigned i = 0; i < pts.size(); ++i) lc.AddEdge(i, (i + 1) % unsigned(pts.size()));
    return lc;
}

std::vector<V2> Circle(unsigned n, float r, float cx = 0.0f, float cy = 0.0f)
{
    std::vector<V2> p;
    for (unsigned i = 0; i < n; ++i) {
        const float a = 6.2831853f * float(i) / float(n);
        p.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    return p;
}

std::vector<V2> Rect(float x0, float y0, float x1, float y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// Clockwise on purpose: orientation must not matter.
std::vector<V2> LShape()
{
    return {{0, 0}, {0, 2}, {1, 2}, {1, 1}, {2, 1}, {2, 0}};
}

float CellSize(DiscreteScalarField2D& f)
{
    return std::max(f.GetBounds().Extent(0) / float(f.GetWidth() - 1),
                    f.GetBounds().Extent(1) / float(f.GetHeight() - 1));
}

// Across every edge (away from its corners) the field crosses 0.5 within
// `cells` grid cells, rising inwards. The polygon is taken as the material's
// boundary; `ccw` tells which side is inside.
void ExpectContourOnOutline(DiscreteScalarField2D& f, const std::vector<V2>& poly, bool ccw, float cells,
                            const char* what)
{
    const float d = cells * CellSize(f);
    for (size_t k = 0; k < poly.size(); ++k) {
        const V2 a = poly[k], b = poly[(k + 1) % poly.size()];
        V2 t = b - a;
        const float len = t.Length();
        V2 n(-t.Y() / len, t.X() / len);  // left normal
        if (!ccw) n = -n;
        for (float s : {0.25f, 0.5f, 0.75f}) {
            const V2 p = a + s * t;
            const V2 in = p + d * n, out = p - d * n;
            EXPECT_GT(f.Value(in.X(), in.Y()), 0.5f) << what << " edge " << k << " at " << s;
            EXPECT_LT(f.Value(out.X(), out.Y()), 0.5f) << what << " edge " << k << " at " << s;
        }
    }
}

}  // namespace

// ---- contour placement -----------------------------------------------------------

TEST(Templates, HeightFieldContourFollowsOutline)
{
    struct Case {
        const char* name;
        std::vector<V2> poly;
        bool ccw;
        V2 inside, outside;
    };
    const Case cases[] = {
        {"circle", Circle(64, 3.0f, 10.0f, -4.0f), true, V2(10.0f, -4.0f), V2(13.5f, -4.0f)},
        {"square", Rect(-1, -1, 1, 1), true, V2(0.2f, -0.3f), V2(1.3f, 0.0f)},
        {"L", LShape(), false, V2(0.5f, 1.5f), V2(1.5f, 1.5f)},
    };
    for (const Case& c : cases) {
        const auto lc = Closed(c.poly);
        DiscreteFieldGenerator2D gen(lc);
        Box2 box;
        std::unique_ptr<DiscreteScalarField2D> f(gen.MakeField(128, box, 0.35f));
        ASSERT_TRUE(f) << c.name;
        EXPECT_EQ(f->GetWidth(), 128u);
        // The reported box is the outline's, and the field is centred on it.
        const Box2 expect = lc.ComputeBounds();
        EXPECT_NEAR(box.Min(0), expect.Min(0), 1e-5f);
        EXPECT_NEAR(box.Max(1), expect.Max(1), 1e-5f);
        const Box2 b = f->GetBounds();
        EXPECT_NEAR(b.Min(0) + b.Max(0), box.Min(0) + box.Max(0), 1e-4f) << c.name;
        EXPECT_NEAR(b.Extent(0), 1.7f * std::max(box.Extent(0), box.Extent(1)), 1e-3f) << c.name;

        ExpectContourOnOutline(*f, c.poly, c.ccw, 2.0f, c.name);
        EXPECT_GT(f->Value(c.inside.X(), c.inside.Y()), 0.5f) << c.name;
        EXPECT_LT(f->Value(c.outside.X(), c.outside.Y()), 0.5f) << c.name;
        // Zero border, so the field is continuous where it ends.
        EXPECT_EQ(f->GetValue(0, 0), 0.0f);
        EXPECT_EQ(f->GetValue(127, 64), 0.0f);
    }
    // The deepest point of a disc reaches 1: the dome is full height.
    DiscreteFieldGenerator2D gen(Closed(Circle(64, 1.0f)));
    Box2 box;
    std::unique_ptr<DiscreteScalarField2D> f(gen.MakeField(129, box, 0.35f));
    ASSERT_TRUE(f);
    EXPECT_NEAR(f->Value(0.0f, 0.0f), 1.0f, 0.02f);
}

TEST(Templates, HeightFieldHonoursHoles)
{
    auto lc = Closed(Circle(48, 2.0f));
    const unsigned base = lc.GetNumVertices();
    for (const V2& p : Circle(32, 0.8f)) lc.AddVertex(p);
    for (unsigned i = 0; i < 32; ++i) lc.AddEdge(base + i, base + (i + 1) % 32);
    DiscreteFieldGenerator2D gen(lc);
    EXPECT_EQ(gen.GetNumLoops(), 2u);
    Box2 box;
    std::unique_ptr<DiscreteScalarField2D> f(gen.MakeField(128, box, 0.35f));
    ASSERT_TRUE(f);
    EXPECT_LT(f->Value(0.0f, 0.0f), 0.5f);  // the hole
    EXPECT_GT(f->Value(1.4f, 0.0f), 0.5f);  // the ring
    EXPECT_LT(f->Value(2.4f, 0.0f), 0.5f);
}

TEST(Templates, VariationalContourFollowsOutline)
{
    struct Case {
        const char* name;
        std::vector<V2> poly;
        bool ccw;
        V2 inside, outside;
    };
    const Case cases[] = {
        {"circle", Circle(40, 5.0f, 1.0f, 2.0f), true, V2(1.0f, 2.0f), V2(7.0f, 2.0f)},
        {"square", Rect(0, 0, 4, 4), true, V2(2.0f, 2.0f), V2(4.6f, 2.0f)},
        {"L", LShape(), false, V2(0.5f, 0.5f), V2(1.6f, 1.6f)},
    };
    for (const Case& c : cases) {
        DiscreteFieldGenerator2D gen(Closed(c.poly));
        std::unique_ptr<DynDiscreteScalarField2D> f(gen.MakeDynFieldVariational(128, true, 0.01f, nullptr));
        ASSERT_TRUE(f) << c.name;
        EXPECT_EQ(f->GetRecipe(), DynDiscreteScalarField2D::Recipe::Variational);
        const Box2 box = Closed(c.poly).ComputeBounds();
        // Working square: the box centre +- 3 x the larger half extent.
        EXPECT_NEAR(f->GetBounds().Extent(0), 3.0f * std::max(box.Extent(0), box.Extent(1)), 1e-3f);
        ExpectContourOnOutline(*f, c.poly, c.ccw, 2.0f, c.name);
        EXPECT_GT(f->Value(c.inside.X(), c.inside.Y()), 0.5f) << c.name;
        EXPECT_LT(f->Value(c.outside.X(), c.outside.Y()), 0.5f) << c.name;
        for (unsigned i = 0; i < 128; i += 9) EXPECT_EQ(f->GetValue(i, 0), 0.0f) << c.name;
    }
}

// ---- placement: bounds, crop, clamp ------------------------------------------------

TEST(Templates, PlacementKeepsOutlineAndResolution)
{
    // A 2 x 1 rectangle about the origin, placed as the sketch does it: crop
    // factors from the box, bounds +-1.7 x the larger half extent.
    const auto poly = Rect(-1.0f, -0.5f, 1.0f, 0.5f);
    DiscreteFieldGenerator2D gen(Closed(poly));
    Box2 box;
    std::unique_ptr<DynDiscreteScalarField2D> f(gen.MakeField(96, box, 0.35f));
    ASSERT_TRUE(f);
    const float cellBefore = CellSize(*f);
    ASSERT_TRUE(f->SetBoundsCropScalingFactors(box.Extent(0), box.Extent(1)));
    ASSERT_TRUE(f->SetFieldBounds(Box2(-1.7f, 1.7f, -1.7f, 1.7f)));
    EXPECT_NEAR(f->GetBounds().Max(0), 1.7f, 1e-5f);
    EXPECT_NEAR(f->GetBounds().Max(1), 0.85f, 1e-5f);  // trimmed, not stretched
    EXPECT_LT(CellSize(*f), 0.6f * cellBefore + cellBefore * 0.01f + 0.04f);
    ExpectContourOnOutline(*f, poly, true, 2.0f, "cropped");
    EXPECT_EQ(f->GetValue(48, 0), 0.0f);

    // Scaling the bounds scales the template with them.
    ASSERT_TRUE(f->SetFieldBounds(Box2(-3.4f, 3.4f, -3.4f, 3.4f)));
    ExpectContourOnOutline(*f, Rect(-2.0f, -1.0f, 2.0f, 1.0f), true, 2.0f, "scaled");
    EXPECT_FALSE(f->SetFieldBounds(Box2(0.0f, 0.0f, 0.0f, 1.0f)));
    EXPECT_FALSE(f->SetFieldBounds(Box2(0.0f, NAN, 0.0f, 1.0f)));
    EXPECT_FALSE(f->SetBoundsCropScalingFactors(-1.0f, 1.0f));
    EXPECT_NEAR(f->GetBounds().Max(0), 3.4f, 1e-5f);

    // Generator-wide placement applies to the fields made afterwards.
    DiscreteFieldGenerator2D placed(Closed(poly));
    ASSERT_TRUE(placed.SetBoundsCropScalingFactors(2.0f, 1.0f));
    ASSERT_TRUE(placed.SetFieldBounds(Box2(-1.7f, 1.7f, -1.7f, 1.7f)));
    std::unique_ptr<DynDiscreteScalarField2D> g(placed.MakeField(96, box, 0.35f));
    ASSERT_TRUE(g);
    for (unsigned j = 0; j < 96; j += 5)
        for (unsigned i = 0; i < 96; i += 5) EXPECT_NEAR(g->GetValue(i, j), f->GetValue(i, j), 1e-5f);
}

TEST(Templates, ClampShrinksToNonZeroRegion)
{
    const auto poly = Circle(40, 1.0f);
    DiscreteFieldGenerator2D gen(Closed(poly));
    std::unique_ptr<DynDiscreteScalarField2D> f(gen.MakeDynFieldVariational(128, true, 0.01f, nullptr));
    ASSERT_TRUE(f);
    // As the sketch does: bounds +-3 x the half extent, then clamp.
    ASSERT_TRUE(f->SetFieldBounds(Box2(-3.0f, 3.0f, -3.0f, 3.0f)));
    const float cellBefore = CellSize(*f);
    ASSERT_TRUE(DiscreteFieldGenerator2D::ClampBoundsToZeroContour(f.get()));
    const Box2 b = f->GetBounds();
    EXPECT_LT(b.Extent(0), 6.0f);
    EXPECT_GT(b.Max(0), 1.0f);
    EXPECT_LT(b.Min(1), -1.0f);
    EXPECT_LT(CellSize(*f), cellBefore);
    ExpectContourOnOutline(*f, poly, true, 2.0f, "clamped");
    // Everything non-zero stayed inside the new bounds.
    for (unsigned i = 0; i < 128; ++i) EXPECT_EQ(f->GetValue(i, 0), 0.0f);

    // A plain sampled field is clamped by re-interpolation.
    DiscreteScalarField2D plain(64, 64, Box2(-4.0f, 4.0f, -4.0f, 4.0f));
    for (unsigned j = 20; j <= 30; ++j)
        for (unsigned i = 10; i <= 40; ++i) plain.SetValue(i, j, 0.8f);
    ASSERT_TRUE(DiscreteFieldGenerator2D::ClampBoundsToZeroContour(&plain));
    EXPECT_NEAR(plain.Value(0.0f, -1.0f), 0.8f, 1e-3f);
    EXPECT_LT(plain.GetBounds().Extent(0), 8.0f);

    DiscreteScalarField2D empty(8, 8, Box2(0, 1, 0, 1));
    EXPECT_FALSE(DiscreteFieldGenerator2D::ClampBoundsToZeroContour(&empty));
    EXPECT_FALSE(DiscreteFieldGenerator2D::ClampBoundsToZeroContour(nullptr));
}

// ---- inflation -------------------------------------------------------------------

TEST(Templates, BlobbySweepOfDiscIsRounded)
{
    DiscreteFieldGenerator2D gen(Closed(Circle(100, 1.0f)));
    Box2 box;
    std::unique_ptr<DiscreteScalarField2D> f(gen.MakeField(128, box, 0.35f));
    ASSERT_TRUE(f);
    DiscreteLinearSweep sweep(f.get(), Wml::Frame3<float>(), 0.001f);
    ASSERT_TRUE(sweep.SetCapStyle(1));
    sweep.SetFalloffLength(1.0f);
    auto thickness = [&](float x) {
        if (sweep.Value(x, 0.0f, 0.0f) < 0.5f) return 0.0f;
        float lo = 0.0f, hi = 5.0f;
        for (int k = 0; k < 40; ++k) {
            const float mid = 0.5f * (lo + hi);
            (sweep.Value(x, 0.0f, mid) >= 0.5f ? lo : hi) = mid;
        }
        return lo;
    };
    float prev = thickness(0.0f);
    EXPECT_NEAR(prev, 1.0f, 0.05f);
    for (float x = 0.05f; x < 0.99f; x += 0.05f) {
        const float t = thickness(x);
        EXPECT_LE(t, prev + 1e-4f) << "at " << x;
        EXPECT_GT(t, 0.0f) << "at " << x;
        prev = t;
    }
    // Round, not a cone: the side is still steep near the rim.
    EXPECT_GT(thickness(0.9f), 0.3f);
    EXPECT_LT(thickness(0.995f), 0.2f);
    EXPECT_EQ(thickness(1.03f), 0.0f);
}

// ---- bad outlines ----------------------------------------------------------------

TEST(Templates, DegenerateOutlinesGiveNull)
{
    std::vector<Wml::LinearComplex2<float>> bad(4);
    // [0] empty.  [1] open chain.
    for (const V2& p : {V2(0, 0), V2(1, 0), V2(1, 1)}) bad[1].AddVertex(p);
    bad[1].AddEdge(0, 1);
    bad[1].AddEdge(1, 2);
    // [2] two vertices joined twice.
    bad[2].AddVertex(V2(0, 0));
    bad[2].AddVertex(V2(1, 0));
    bad[2].AddEdge(0, 1);
    bad[2].AddEdge(1, 0);
    // [3] a closed loop without area.
    bad[3] = Closed({V2(0, 0), V2(1, 0), V2(2, 0)});
    for (size_t k = 0; k < bad.size(); ++k) {
        DiscreteFieldGenerator2D gen(bad[k]);
        Box2 box(5, 6, 5, 6);
        EXPECT_EQ(gen.MakeField(64, box, 0.35f), nullptr) << k;
        EXPECT_EQ(box.Min(0), 5.0f);
        EXPECT_EQ(gen.MakeDynFieldVariational(64, true, 0.01f, nullptr), nullptr) << k;
    }
    DiscreteFieldGenerator2D gen(Closed(Rect(0, 0, 1, 1)));
    Box2 box;
    EXPECT_EQ(gen.MakeField(1, box, 0.35f), nullptr);
    EXPECT_EQ(gen.MakeField(1u << 30, box, 0.35f), nullptr);
    EXPECT_EQ(gen.MakeDynFieldVariational(64, true, NAN, nullptr), nullptr);
    EXPECT_EQ(gen.MakeField(16, box, NAN), nullptr);
    std::unique_ptr<DiscreteScalarField2D> ok(gen.MakeField(16, box, 0.35f));
    EXPECT_TRUE(ok);
}

TEST(Templates, HeightFieldOfAnOutlineFarFromATinyWindowIsAllOutside)
{
    // Regenerating data comes from records, so any window may meet any
    // loops: an outline a million units from a window 1e-30 wide puts its
    // cells far beyond the range of an int, on either side.
    for (float at : {1e6f, -1e6f}) {
        const std::vector<Wml::Polygon2<float>> far = {
            Wml::Polygon2<float>(Rect(at, at, at + 1.0f, at + 1.0f))};
        DynDiscreteScalarField2D f;
        ASSERT_TRUE(f.Generate(DynDiscreteScalarField2D::Recipe::HeightField, far, 8, 8,
                               Box2(0, 1e-30f, 0, 1e-30f), 0.35f, false, 1.0f))
            << at;
        for (unsigned j = 0; j < 8; ++j)
            for (unsigned i = 0; i < 8; ++i) EXPECT_EQ(f.GetValue(i, j), 0.0f) << at;
    }
}

// ---- records ---------------------------------------------------------------------

TEST(Templates, DynFieldRecordsRoundTrip)
{
    DiscreteFieldGenerator2D gen(Closed(LShape()));
    std::unique_ptr<DynDiscreteScalarField2D> f(gen.MakeDynFieldVariational(48, true, 0.01f, nullptr));
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->SetBoundsCropScalingFactors(1.0f, 0.8f));
    ASSERT_TRUE(f->SetFieldBounds(Box2(-3.0f, 3.0f, -3.0f, 3.0f)));

    Wml::SerializerRecord rec(1, f->GetTypeName());
    ASSERT_TRUE(f->Store(&rec));
    std::unique_ptr<ScalarField2D> made(ScalarField2D::CreateByTypeName("DynDiscreteScalarField2D"));
    ASSERT_TRUE(made);
    auto* back = dynamic_cast<DynDiscreteScalarField2D*>(made.get());
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->Restore(&rec));
    EXPECT_EQ(back->GetWidth(), 48u);
    EXPECT_EQ(back->GetRecipe(), DynDiscreteScalarField2D::Recipe::Variational);
    for (unsigned j = 0; j < 48; ++j)
        for (unsigned i = 0; i < 48; ++i) ASSERT_EQ(back->GetValue(i, j), f->GetValue(i, j));
    // The generating data came along: both re-sample alike after a move.
    ASSERT_TRUE(f->ClampBoundsToZeroContour());
    ASSERT_TRUE(back->ClampBoundsToZeroContour());
    for (unsigned j = 0; j < 48; j += 3)
        for (unsigned i = 0; i < 48; i += 3) EXPECT_NEAR(back->GetValue(i, j), f->GetValue(i, j), 1e-4f);

    // Older format, through the serializer.
    WmlDeprecated::Serializer ser;
    unsigned id = 0;
    ASSERT_TRUE(f->Serialize_Old(&ser, id));
    std::unique_ptr<ScalarField2D> old(ScalarField2D::RestoreField_Old(&ser, id));
    ASSERT_TRUE(old);
    EXPECT_EQ(old->GetTypeName(), "DynDiscreteScalarField2D");
    EXPECT_NEAR(old->Value(0.3f, 0.2f), f->Value(0.3f, 0.2f), 1e-5f);
}

TEST(Templates, DynFieldRefusesBadRecords)
{
    DiscreteFieldGenerator2D gen(Closed(Rect(0, 0, 2, 1)));
    Box2 box;
    std::unique_ptr<DynDiscreteScalarField2D> f(gen.MakeField(32, box, 0.35f));
    ASSERT_TRUE(f);
    Wml::SerializerRecord good(1, f->GetTypeName());
    ASSERT_TRUE(f->Store(&good));

    DynDiscreteScalarField2D target;
    ASSERT_TRUE(target.Restore(&good));
    const float before = target.Value(1.0f, 0.5f);

    auto corrupt = [&](auto edit) {
        Wml::SerializerRecord r = good;
        edit(r);
        EXPECT_FALSE(target.Restore(&r));
        EXPECT_EQ(target.Value(1.0f, 0.5f), before);
        EXPECT_EQ(target.GetWidth(), 32u);
    };
    corrupt([](Wml::SerializerRecord& r) { r.SetValue("Width", 4000000000u); });
    corrupt([](Wml::SerializerRecord& r) { r.SetValue("Height", 31u); });
    corrupt([](Wml::SerializerRecord& r) { r.SetValue("Samples", std::vector<float>(32 * 32, NAN)); });
    corrupt([](Wml::SerializerRecord& r) { r.SetValue("Samples", std::vector<float>(10, 0.5f)); });
    corrupt([](Wml::SerializerRecord& r) { r.SetValue("Recipe", 7); });
    corrupt([](Wml::SerializerRecord& r) { r.SetValue("Crop", V2(0.0f, 1.0f)); });
    corrupt([](Wml::SerializerRecord& r) { r.SetValue("WindowMax", V2(NAN, 1.0f)); });
    corrupt([](Wml::SerializerRecord& r) { r.SetValue("BoundsMin", V2(INFINITY, 0.0f)); });
    // Generating data without its loops.
    Wml::SerializerRecord noLoops(2, "DynDiscreteScalarField2D");
    for (const auto& kv : good.GetFields()) noLoops.SetField(kv.first, kv.second);
    EXPECT_FALSE(target.Restore(&noLoops));
    EXPECT_FALSE(target.Restore(nullptr));
    EXPECT_EQ(target.Value(1.0f, 0.5f), before);
}
