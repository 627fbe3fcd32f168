// 2D field files (".mdvalue2d", ".poly2d"), scene records in both formats,
// and the polygon field's values.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "implicit/Falloff.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/fields2d/PolygonField2D.h"
#include "tests/support/FifoTestSupport.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

using namespace vynimplicit;
using Box2 = Wml::AxisAlignedBox2<float>;
using V2 = Wml::Vector2<float>;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

std::string TempPath(const std::string& name)
{
    return ::testing::TempDir() + "fields2d_" + name;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FloatBytes(const std::vector<float>& values)
{
    std::string s;
    for (float v : values) {
        unsigned char b[4];
        std::memcpy(b, &v, 4);  // the test machine is little endian, like the format
        s.append(reinterpret_cast<char*>(b), 4);
    }
    return s;
}

/// A 5 x 4 field with distinct, awkward samples (not exactly representable in decimal).
DiscreteScalarField2D MakeSampled()
{
    DiscreteScalarField2D f(5, 4, Box2(-1.25f, 2.1f, -0.3f, 0.7f));
    for (unsigned j = 0; j < 4; ++j)
        for (unsigned i = 0; i < 5; ++i) f.SetValue(i, j, float(i * 4 + j) / 19.0f / 3.0f);
    f.SetInterpolation(DiscreteScalarField2D::Interpolation::Bilinear);
    return f;
}

void ExpectSameField(const DiscreteScalarField2D& a, const DiscreteScalarField2D& b)
{
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(a.GetBounds().Min(k), b.GetBounds().Min(k));
        EXPECT_EQ(a.GetBounds().Max(k), b.GetBounds().Max(k));
    }
    for (unsigned j = 0; j < a.GetHeight(); ++j)
        for (unsigned i = 0; i < a.GetWidth(); ++i) EXPECT_EQ(a.GetValue(i, j), b.GetValue(i, j));
}

Wml::Polygon2<float> LShape()
{
    return Wml::Polygon2<float>({V2(0, 0), V2(2, 0), V2(2, 1), V2(1, 1), V2(1, 2), V2(0, 2)});
}

/// Exact signed distance (negative inside) by brute force, even-odd inside.
float BruteSignedDistance(const Wml::Polygon2<float>& poly, V2 p)
{
    float best = std::numeric_limits<float>::max();
    const unsigned n = poly.VertexCount();
    for (unsigned i = 0; i < n; ++i) {
        const V2 a = poly.Vertex(i), d = poly.Vertex((i + 1) % n) - a;
        float t = ((p - a).Dot(d)) / d.Dot(d);
        t = std::min(1.0f, std::max(0.0f, t));
        best = std::min(best, (p - (a + d * t)).Length());
    }
    return poly.IsInside(p) ? -best : best;
}

/// A star of `spikes` spikes whose inner vertices sit near the centre, so that
/// every edge runs across about half of the outline's box.
Wml::Polygon2<float> Star(int spikes)
{
    std::vector<V2> v;
    for (int i = 0; i < 2 * spikes; ++i) {
        const float a = 3.14159265f * float(i) / float(spikes);
        const float r = (i % 2) ? 0.05f : 1.0f;
        v.emplace_back(r * std::cos(a), r * std::sin(a));
    }
    return Wml::Polygon2<float>(v);
}

}  // namespace

// ---- .mdvalue2d files -------------------------------------------------------

TEST(MdValue2DFile, RoundTripIsExactAndSavesReplaceWholeFiles)
{
    const DiscreteScalarField2D original = MakeSampled();
    const std::string path = TempPath("round.mdvalue2d");
    ASSERT_TRUE(original.SaveToFile(path.c_str()));
    EXPECT_EQ(ReadBytes(path).rfind("mdvalue2d 1 5 4\n", 0), 0u);

    DiscreteScalarField2D loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path.c_str()));
    ExpectSameField(original, loaded);
    EXPECT_TRUE(loaded.IsReady());

    // Saving again over the same file yields the same bytes and leaves no temp file.
    const std::string first = ReadBytes(path);
    ASSERT_TRUE(loaded.SaveToFile(path.c_str()));
    EXPECT_EQ(ReadBytes(path), first);
    EXPECT_FALSE(std::ifstream(path + ".tmp").good());

    // Nothing to write for an unplaced field; an unwritable place fails cleanly.
    EXPECT_FALSE(DiscreteScalarField2D().SaveToFile(TempPath("empty.mdvalue2d").c_str()));
    EXPECT_FALSE(original.SaveToFile((TempPath("no_such_dir") + "/x.mdvalue2d").c_str()));
    EXPECT_FALSE(original.SaveToFile(nullptr));
}

TEST(MdValue2DFile, HostileFilesAreRefusedAndLeaveTheFieldAsItWas)
{
    const std::string header = "mdvalue2d 1 2 2\n-1 -1 1 1\n";
    const std::string good = header + FloatBytes({0.0f, 0.25f, 0.5f, 1.0f});
    const std::string path = TempPath("hostile.mdvalue2d");
    WriteBytes(path, good);
    DiscreteScalarField2D check;
    ASSERT_TRUE(check.LoadFromFile(path.c_str())) << "the baseline file must be valid";

    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty file", ""},
        {"header only", header},
        {"wrong magic", "mdvalue3d 1 2 2\n-1 -1 1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"wrong version", "mdvalue2d 2 2 2\n-1 -1 1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"negative width", "mdvalue2d 1 -2 2\n-1 -1 1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"zero height", "mdvalue2d 1 2 0\n-1 -1 1 1\n"},
        {"size past the limit", "mdvalue2d 1 9000 9000\n-1 -1 1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"size that overflows", "mdvalue2d 1 18446744073709551617 2\n-1 -1 1 1\n"},
        {"non-numeric size", "mdvalue2d 1 two 2\n-1 -1 1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"non-numeric bounds", "mdvalue2d 1 2 2\n-1 x 1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"NaN bounds", "mdvalue2d 1 2 2\n-1 nan 1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"empty bounds", "mdvalue2d 1 2 2\n1 -1 -1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"three bounds", "mdvalue2d 1 2 2\n-1 -1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"extra header token", "mdvalue2d 1 2 2 7\n-1 -1 1 1\n" + FloatBytes({0, 0, 0, 0})},
        {"truncated samples", good.substr(0, good.size() - 1)},
        {"trailing garbage", good + "x"},
        {"NaN sample", header + FloatBytes({0.0f, NaN, 0.5f, 1.0f})},
        {"sample above one", header + FloatBytes({0.0f, 1.5f, 0.5f, 1.0f})},
        {"negative sample", header + FloatBytes({0.0f, -0.1f, 0.5f, 1.0f})},
        {"no line ends", std::string(5000, 'm')},
    };
    DiscreteScalarField2D field = MakeSampled();
    const DiscreteScalarField2D before = field;
    for (const auto& c : cases) {
        WriteBytes(path, c.second);
        EXPECT_FALSE(field.LoadFromFile(path.c_str())) << c.first;
        ExpectSameField(before, field);
    }
    EXPECT_FALSE(field.LoadFromFile(TempPath("missing.mdvalue2d").c_str()));
    EXPECT_FALSE(field.LoadFromFile(nullptr));
    EXPECT_FALSE(field.LoadFromFile(::testing::TempDir().c_str()));
    ExpectSameField(before, field);

    // A pipe would block the load until someone writes to it: it is refused
    // without being opened.
    FeedingFifo pipe(TempPath("pipe.mdvalue2d"), good);
    ASSERT_TRUE(pipe.Made());
    EXPECT_FALSE(field.LoadFromFile(pipe.Path().c_str()));
    EXPECT_FALSE(pipe.WasOpened());
    ExpectSameField(before, field);
}

// ---- .poly2d files ----------------------------------------------------------

TEST(Poly2DFile, PolygonFieldLoadsOutlinesAndKeepsItsOwnOnFailure)
{
    const std::string path = TempPath("shape.poly2d");
    ASSERT_TRUE(LShape().Save(path.c_str()));
    PolygonField2D field;
    ASSERT_TRUE(field.LoadFromFile(path.c_str()));
    EXPECT_EQ(field.GetPolygon().Vertices(), LShape().Vertices());
    EXPECT_NEAR(field.Value(1.5f, 0.0f), 0.5f, 1e-5f);

    // A clockwise file is turned around; the field is the same.
    Wml::Polygon2<float> flipped = LShape();
    flipped.FlipOrientation();
    ASSERT_TRUE(flipped.Save(path.c_str()));
    PolygonField2D fromFlipped;
    ASSERT_TRUE(fromFlipped.LoadFromFile(path.c_str()));
    EXPECT_FALSE(fromFlipped.GetPolygon().IsClockwise());
    EXPECT_NEAR(fromFlipped.Value(0.5f, 0.5f), field.Value(0.5f, 0.5f), 1e-6f);

    const std::vector<std::string> bad = {
        "poly2d 1\n3\n0 0\n1 0\n",            // truncated
        "poly2d 1\n3\n0 0\n1 0\n1 1\n2 2\n",  // more than declared
        "poly2d 1\n3\n0 0\n1 0\n2 0\n",       // no area
        "poly2d 1\n3\n0 0\n1 0\nnan 1\n",     // NaN
        "poly2d 1\n4000000000\n0 0\n",        // huge count
    };
    for (const std::string& text : bad) {
        WriteBytes(path, text);
        EXPECT_FALSE(field.LoadFromFile(path.c_str())) << text;
        EXPECT_EQ(field.GetPolygon().Vertices(), LShape().Vertices());
    }
}

// ---- records ----------------------------------------------------------------

TEST(Field2DRecords, CreateByTypeNameKnowsTheThreeTemplates)
{
    for (const char* name : {"DiscreteScalarField2D", "DynDiscreteScalarField2D", "PolygonField2D"}) {
        std::unique_ptr<ScalarField2D> f(ScalarField2D::CreateByTypeName(name));
        ASSERT_NE(f, nullptr) << name;
        EXPECT_EQ(f->GetTypeName(), name);
        EXPECT_EQ(f->Value(0.0f, 0.0f), 0.0f) << "a new field is empty";
    }
    EXPECT_EQ(ScalarField2D::CreateByTypeName("Point"), nullptr);
    EXPECT_EQ(ScalarField2D::CreateByTypeName(""), nullptr);
}

TEST(Field2DRecords, CurrentFormatRoundTripsThroughAFile)
{
    DiscreteScalarField2D sampled = MakeSampled();
    PolygonField2D polygon(LShape(), 0.4f);
    const std::string path = TempPath("records.xml");
    {
        Wml::Serializer out;
        ASSERT_TRUE(sampled.Store(out.CreateRecord(sampled.GetTypeName())));
        ASSERT_TRUE(polygon.Store(out.CreateRecord(polygon.GetTypeName())));
        EXPECT_FALSE(DiscreteScalarField2D().Store(out.CreateRecord("DiscreteScalarField2D")));
        EXPECT_FALSE(PolygonField2D().Store(out.CreateRecord("PolygonField2D")));
        ASSERT_TRUE(out.Write(path.c_str())) << out.GetLastError();
    }
    Wml::Serializer in;
    ASSERT_TRUE(in.Read(path.c_str())) << in.GetLastError();
    ASSERT_EQ(in.GetNumRecords(), 4u);

    std::unique_ptr<ScalarField2D> a(ScalarField2D::CreateByTypeName(in.GetRecord(0)->GetTypeName()));
    ASSERT_TRUE(a && a->Restore(in.GetRecord(0)));
    auto* restoredSampled = dynamic_cast<DiscreteScalarField2D*>(a.get());
    ASSERT_NE(restoredSampled, nullptr);
    ExpectSameField(sampled, *restoredSampled);
    EXPECT_EQ(restoredSampled->GetInterpolation(), DiscreteScalarField2D::Interpolation::Bilinear);

    std::unique_ptr<ScalarField2D> b(ScalarField2D::CreateByTypeName(in.GetRecord(1)->GetTypeName()));
    ASSERT_TRUE(b && b->Restore(in.GetRecord(1)));
    auto* restoredPolygon = dynamic_cast<PolygonField2D*>(b.get());
    ASSERT_NE(restoredPolygon, nullptr);
    EXPECT_EQ(restoredPolygon->GetPolygon().Vertices(), polygon.GetPolygon().Vertices());
    EXPECT_EQ(restoredPolygon->GetBandWidth(), 0.4f);
    EXPECT_EQ(restoredPolygon->Value(0.3f, 1.7f), polygon.Value(0.3f, 1.7f));

    // The records of unready fields hold nothing a field could come back from.
    EXPECT_FALSE(DiscreteScalarField2D().Restore(in.GetRecord(2)));
    EXPECT_FALSE(PolygonField2D().Restore(in.GetRecord(3)));
}

TEST(Field2DRecords, InvalidRecordsAreRefusedAndChangeNothing)
{
    DiscreteScalarField2D source = MakeSampled();
    auto fresh = [&]() {
        auto r = std::make_unique<Wml::SerializerRecord>(1, "DiscreteScalarField2D");
        source.Store(r.get());
        return r;
    };
    std::vector<std::pair<const char*, std::unique_ptr<Wml::SerializerRecord>>> bad;
    auto add = [&](const char* what, auto edit) {
        auto r = fresh();
        edit(*r);
        bad.emplace_back(what, std::move(r));
    };
    add("too few samples",
        [](Wml::SerializerRecord& r) { r.SetValue("Samples", std::vector<float>(19, 0.5f)); });
    add("too many samples",
        [](Wml::SerializerRecord& r) { r.SetValue("Samples", std::vector<float>(21, 0.5f)); });
    add("NaN sample", [](Wml::SerializerRecord& r) {
        std::vector<float> s(20, 0.5f);
        s[7] = NaN;
        r.SetValue("Samples", s);
    });
    add("huge size", [](Wml::SerializerRecord& r) {
        r.SetValue("Width", 8193u);
        r.SetValue("Height", 8193u);
    });
    add("size one", [](Wml::SerializerRecord& r) { r.SetValue("Width", 1u); });
    add("size of another kind", [](Wml::SerializerRecord& r) { r.SetValue("Width", 5.0f); });
    add("unknown interpolation", [](Wml::SerializerRecord& r) { r.SetValue("Interpolation", 7u); });
    add("NaN bounds", [](Wml::SerializerRecord& r) { r.SetValue("BoundsMax", V2(NaN, 1.0f)); });
    add("flat bounds", [](Wml::SerializerRecord& r) { r.SetValue("BoundsMax", V2(-1.25f, 1.0f)); });
    add("no samples", [](Wml::SerializerRecord& r) {
        Wml::SerializerRecord copy(1, "DiscreteScalarField2D");
        for (const auto& f : r.GetFields())
            if (f.first != "Samples") copy.SetField(f.first, f.second);
        r = copy;
    });

    DiscreteScalarField2D target(3, 3, Box2(0, 1, 0, 1));
    target.SetValue(1, 1, 0.75f);
    const DiscreteScalarField2D before = target;
    for (auto& c : bad) {
        EXPECT_FALSE(target.Restore(c.second.get())) << c.first;
        ExpectSameField(before, target);
    }
    EXPECT_FALSE(target.Restore(nullptr));

    // Polygon records: too few vertices, a bad band, a NaN vertex.
    PolygonField2D polygon(LShape());
    const float valueBefore = polygon.Value(0.5f, 0.5f);
    Wml::SerializerRecord noPolygon(1, "PolygonField2D");
    noPolygon.SetValue("BandWidth", 0.5f);
    Wml::SerializerRecord badBand(2, "PolygonField2D");
    badBand.AppendPolygon(LShape());
    badBand.SetValue("BandWidth", -1.0f);
    Wml::SerializerRecord nanVertex(3, "PolygonField2D");
    std::vector<V2> vertices = LShape().Vertices();
    vertices[2] = V2(NaN, 0.0f);
    nanVertex.SetValue("PolygonVertices", vertices);
    Wml::SerializerRecord twoVertices(4, "PolygonField2D");
    twoVertices.SetValue("PolygonVertices", std::vector<V2>{V2(0, 0), V2(1, 1)});
    for (Wml::SerializerRecord* r : {&noPolygon, &badBand, &nanVertex, &twoVertices}) {
        EXPECT_FALSE(polygon.Restore(r)) << r->GetID();
        EXPECT_EQ(polygon.GetPolygon().Vertices(), LShape().Vertices());
        EXPECT_EQ(polygon.Value(0.5f, 0.5f), valueBefore);
    }
}

TEST(Field2DRecords, OlderFormatRoundTripsThroughAFile)
{
    DiscreteScalarField2D sampled = MakeSampled();
    PolygonField2D polygon(LShape(), 0.3f);
    const std::string path = TempPath("records.kfn");
    unsigned sampledID = 0, polygonID = 0;
    {
        WmlDeprecated::Serializer out;
        ASSERT_TRUE(sampled.Serialize_Old(&out, sampledID));
        ASSERT_TRUE(polygon.Serialize_Old(&out, polygonID));
        EXPECT_NE(sampledID, polygonID);
        ASSERT_TRUE(out.Write(path.c_str())) << out.GetLastError();
    }
    WmlDeprecated::Serializer in;
    ASSERT_TRUE(in.Read(path.c_str())) << in.GetLastError();

    std::unique_ptr<ScalarField2D> a(ScalarField2D::RestoreField_Old(&in, sampledID));
    auto* restoredSampled = dynamic_cast<DiscreteScalarField2D*>(a.get());
    ASSERT_NE(restoredSampled, nullptr);
    ExpectSameField(sampled, *restoredSampled);

    std::unique_ptr<ScalarField2D> b(ScalarField2D::RestoreField_Old(&in, polygonID));
    auto* restoredPolygon = dynamic_cast<PolygonField2D*>(b.get());
    ASSERT_NE(restoredPolygon, nullptr);
    EXPECT_EQ(restoredPolygon->GetPolygon().Vertices(), polygon.GetPolygon().Vertices());
    EXPECT_EQ(restoredPolygon->GetBandWidth(), 0.3f);

    // Missing records, records of other types and a name that contradicts the type.
    EXPECT_EQ(ScalarField2D::RestoreField_Old(&in, 999), nullptr);
    EXPECT_EQ(ScalarField2D::RestoreField_Old(nullptr, sampledID), nullptr);
    WmlDeprecated::SerializerRecord* node = in.CreateRecord(1001);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(ScalarField2D::RestoreField_Old(&in, node->GetID()), nullptr);
    in.FindRecord(sampledID)->SetValue("TypeName", "PolygonField2D");
    EXPECT_EQ(ScalarField2D::RestoreField_Old(&in, sampledID), nullptr);
    // A damaged sample list yields no field rather than a broken one.
    in.FindRecord(polygonID)->SetValue("PolygonVertices", std::vector<V2>{V2(0, 0)});
    EXPECT_EQ(ScalarField2D::RestoreField_Old(&in, polygonID), nullptr);
}

// ---- the polygon field ------------------------------------------------------

TEST(PolygonField2D, OutlineIsTheHalfContourWithZeroBeyondTheBand)
{
    const Wml::Polygon2<float> shape = LShape();
    PolygonField2D field(shape, 0.5f);
    ASSERT_TRUE(field.HasPolygon());
    Box2 box;
    field.FieldBounds(box);
    EXPECT_FLOAT_EQ(box.Min(0), -0.5f);
    EXPECT_FLOAT_EQ(box.Max(1), 2.5f);

    // Along every edge, including the reflex corner at (1, 1).
    for (unsigned i = 0; i < shape.VertexCount(); ++i) {
        const V2 a = shape.Vertex(i), b = shape.Vertex((i + 1) % shape.VertexCount());
        for (int k = 0; k <= 20; ++k) {
            const V2 p = a + (b - a) * (float(k) / 20.0f);
            EXPECT_NEAR(field.Value(p.X(), p.Y()), 0.5f, 1e-5f) << p.X() << "," << p.Y();
        }
    }
    EXPECT_GT(field.Value(0.5f, 1.5f), 0.5f);
    EXPECT_GT(field.Value(1.5f, 0.9f), 0.5f);
    EXPECT_LT(field.Value(1.2f, 1.2f), 0.5f);  // the notch is outside
    EXPECT_GT(field.Value(1.2f, 1.2f), 0.0f);
    EXPECT_EQ(field.Value(1.5f, 1.5f), 0.0f);  // more than the band from the reflex corner
    EXPECT_LT(field.Value(2.1f, 0.5f), 0.5f);
    EXPECT_EQ(field.Value(2.5f, 0.5f), 0.0f);    // exactly the band away
    EXPECT_EQ(field.Value(2.45f, 2.45f), 0.0f);  // inside the box, beyond the band
    EXPECT_EQ(field.Value(-3.0f, 0.5f), 0.0f);
    EXPECT_EQ(field.Value(NaN, 0.5f), 0.0f);
    // Deep enough inside, the value saturates.
    PolygonField2D thinBand(shape, 0.1f);
    EXPECT_EQ(thinBand.Value(0.5f, 0.5f), 1.0f);

    // Values stay in [0, 1] and vanish outside the bounds.
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-1.0f, 3.0f);
    for (int k = 0; k < 2000; ++k) {
        const float x = u(rng), y = u(rng), v = field.Value(x, y);
        EXPECT_GE(v, 0.0f);
        EXPECT_LE(v, 1.0f);
        if (!box.Contains(V2(x, y))) {
            EXPECT_EQ(v, 0.0f);
        }
    }

    // Refused outlines leave an empty field.
    EXPECT_FALSE(PolygonField2D().SetPolygon(Wml::Polygon2<float>({V2(0, 0), V2(1, 0), V2(0, 0)})));
    EXPECT_FALSE(field.SetPolygon(shape, NaN));
    EXPECT_FALSE(field.SetBandWidth(0.0f));
    EXPECT_EQ(field.GetBandWidth(), 0.5f);
}

TEST(PolygonField2D, GradientMatchesFiniteDifferences)
{
    PolygonField2D field(LShape(), 0.6f);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> u(-0.7f, 2.7f);
    const float h = 1e-3f;
    int checked = 0;
    for (int k = 0; k < 3000 && checked < 400; ++k) {
        const float x = u(rng), y = u(rng);
        const float v = field.Value(x, y);
        if (v <= 0.0f || v >= 1.0f) continue;
        // Stay off the creases of the distance (the medial axis), where its
        // differences no longer have unit length.
        const V2 p(x, y);
        const float sx =
            BruteSignedDistance(LShape(), p + V2(h, 0)) - BruteSignedDistance(LShape(), p - V2(h, 0));
        const float sy =
            BruteSignedDistance(LShape(), p + V2(0, h)) - BruteSignedDistance(LShape(), p - V2(0, h));
        if (std::fabs(std::sqrt(sx * sx + sy * sy) / (2 * h) - 1.0f) > 0.01f) continue;
        float gx, gy;
        field.Gradient(x, y, gx, gy);
        const float fx = (field.Value(x + h, y) - field.Value(x - h, y)) / (2 * h);
        const float fy = (field.Value(x, y + h) - field.Value(x, y - h)) / (2 * h);
        const float tol = 0.02f + 0.01f * std::max(std::fabs(fx), std::fabs(fy));
        EXPECT_NEAR(gx, fx, tol) << x << "," << y;
        EXPECT_NEAR(gy, fy, tol) << x << "," << y;
        ++checked;
    }
    EXPECT_GT(checked, 300);

    // The gradient points into the shape across the outline.
    float gx, gy;
    field.Gradient(1.5f, 0.02f, gx, gy);
    EXPECT_GT(gy, 0.0f);
    field.Gradient(1.5f, -0.02f, gx, gy);
    EXPECT_GT(gy, 0.0f);
}

TEST(PolygonField2D, LargeOutlinesMatchBruteForceDistances)
{
    // A wavy 3000-vertex outline exercises the edge grid, its empty cells and
    // the crossing fallback.
    std::vector<V2> v;
    const int n = 3000;
    for (int i = 0; i < n; ++i) {
        const float a = 2.0f * 3.14159265f * float(i) / n;
        const float r = 1.0f + 0.3f * std::sin(7.0f * a);
        v.emplace_back(r * std::cos(a), r * std::sin(a));
    }
    const Wml::Polygon2<float> shape(v);
    for (float band : {0.4f, 0.02f}) {
        PolygonField2D field(shape, band);
        ASSERT_TRUE(field.HasPolygon());
        const float k = (1.0f - FALLOFF_SURFACE_RADIUS) / band;
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> u(-1.6f, 1.6f);
        for (int i = 0; i < 3000; ++i) {
            const V2 p(u(rng), u(rng));
            const float s = BruteSignedDistance(shape, p);
            const float r = std::min(1.0f, std::max(0.0f, FALLOFF_SURFACE_RADIUS + k * s));
            EXPECT_NEAR(field.Value(p.X(), p.Y()), Falloff(r), 2e-4f)
                << p.X() << "," << p.Y() << " band " << band;
        }
    }
}

TEST(PolygonField2D, LongEdgesKeepTheEdgeGridBoundedAndTheValuesExact)
{
    // Twenty-four thousand edges that each cross half the box: with a thin band
    // from a scene record, and with the default band from a ".poly2d" file.
    const Wml::Polygon2<float> star = Star(12000);
    Wml::Serializer serializer;
    Wml::SerializerRecord* record = serializer.CreateRecord("PolygonField2D");
    record->SetValue("BandWidth", 1e-4f);
    record->AppendPolygon(star);
    PolygonField2D thin;
    ASSERT_TRUE(thin.Restore(record));
    const std::string path = TempPath("star.poly2d");
    ASSERT_TRUE(star.Save(path.c_str()));
    PolygonField2D wide;
    ASSERT_TRUE(wide.LoadFromFile(path.c_str()));

    std::mt19937 rng(11);
    std::uniform_real_distribution<float> u(-1.05f, 1.05f);
    std::vector<V2> probes;
    for (int i = 0; i < 60; ++i) probes.emplace_back(u(rng), u(rng));
    for (int i = 0; i < 30; ++i)
        probes.emplace_back(0.02f * u(rng), 0.02f * u(rng));  // where the edges crowd
    for (PolygonField2D* field : {&thin, &wide}) {
        SCOPED_TRACE(field == &thin ? "thin band" : "default band");
        ASSERT_TRUE(field->HasPolygon());
        EXPECT_LE(field->GetGridWork(), PolygonField2D::MAX_GRID_WORK);
        EXPECT_GT(field->GetGridCellCount(), 100u);
        // Distances are exact within the band; beyond it the side is right.
        const float band = field->GetBandWidth();
        for (const V2& p : probes) {
            const float s = BruteSignedDistance(star, p);
            float gx, gy;
            const float d = field->SignedDistance(p.X(), p.Y(), gx, gy);
            if (std::fabs(s) < band) {
                EXPECT_NEAR(d, s, 2e-6f) << p.X() << "," << p.Y();
            } else {
                EXPECT_EQ(d > 0.0f, s > 0.0f) << p.X() << "," << p.Y();
                EXPECT_GE(std::fabs(d), 0.999f * band) << p.X() << "," << p.Y();
            }
        }
        // Midpoints of edges lie on the outline (a thin band magnifies rounding).
        for (unsigned e = 0; e < star.VertexCount(); e += 997) {
            const V2 m = (star.Vertex(e) + star.Vertex((e + 1) % star.VertexCount())) * 0.5f;
            EXPECT_NEAR(field->Value(m.X(), m.Y()), 0.5f, 2e-3f) << e;
        }
    }
    std::remove(path.c_str());
}

TEST(PolygonField2D, OutlinesTooLargeToHoldAreRefused)
{
    // Past the vertex limit the edges and their grid would not fit the
    // memory a profile may take.
    std::vector<V2> many;
    const unsigned n = PolygonField2D::MAX_VERTICES + 1;
    many.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        const float a = 6.2831853f * float(i) / float(n);
        many.emplace_back(std::cos(a), std::sin(a));
    }
    PolygonField2D field(LShape());
    EXPECT_FALSE(field.SetPolygon(Wml::Polygon2<float>(many)));
    EXPECT_EQ(field.GetPolygon().Vertices(), LShape().Vertices());

    // Every coordinate is a float, but the extents (or their squares) are
    // not: the grid would see infinite cells and convert NaN to int.
    const std::vector<std::string> huge = {
        "poly2d 1\n3\n-1.5e38 -1.5e38\n1.5e38 -1.5e38\n0 1.5e38\n",
        "poly2d 1\n3\n-3e38 0\n3e38 0\n0 1\n",
        "poly2d 1\n3\n0 0\n1e20 0\n0 1e20\n",
    };
    const std::string path = TempPath("huge.poly2d");
    for (const std::string& text : huge) {
        WriteBytes(path, text);
        EXPECT_FALSE(field.LoadFromFile(path.c_str())) << text;
        EXPECT_EQ(field.GetPolygon().Vertices(), LShape().Vertices());
        EXPECT_NEAR(field.Value(1.5f, 0.0f), 0.5f, 1e-5f);
    }
    // A far query point, or bounds that cannot hold distances, change nothing.
    float gx, gy;
    EXPECT_EQ(field.SignedDistance(3e38f, -3e38f, gx, gy), field.GetBandWidth());
    EXPECT_EQ(field.SignedDistance(NaN, 0.5f, gx, gy), field.GetBandWidth());
    field.SetBounds(Box2(-3e38f, 3e38f, 0.0f, 1.0f));
    EXPECT_EQ(field.GetPolygon().Vertices(), LShape().Vertices());
    std::remove(path.c_str());
}

TEST(PolygonField2D, SetBoundsFitsTheFieldIntoTheBox)
{
    PolygonField2D field(LShape());
    field.SetBounds(Box2(-1, 1, -1, 1));
    Box2 box;
    field.FieldBounds(box);
    EXPECT_NEAR(box.Min(0), -1.0f, 1e-5f);
    EXPECT_NEAR(box.Max(0), 1.0f, 1e-5f);
    EXPECT_NEAR(box.Min(1), -1.0f, 1e-5f);
    EXPECT_NEAR(box.Max(1), 1.0f, 1e-5f);
    // Still an L: its corners lie on the 0.5 contour.
    for (const V2& p : field.GetPolygon().Vertices()) EXPECT_NEAR(field.Value(p.X(), p.Y()), 0.5f, 1e-5f);

    // A flat box squeezes the band with the short axis; the outline stays inside.
    field.SetBounds(Box2(-0.2f, 0.2f, -0.05f, 0.05f));
    field.FieldBounds(box);
    EXPECT_NEAR(box.Extent(0), 0.4f, 1e-5f);
    EXPECT_NEAR(box.Extent(1), 0.1f, 1e-5f);
    EXPECT_GT(field.Value(box.Center().X() - 0.05f, box.Center().Y() - 0.01f), 0.5f);

    const std::vector<V2> before = field.GetPolygon().Vertices();
    field.SetBounds(Box2(0, NaN, 0, 1));
    field.SetBounds(Box2(0, 0, 0, 1));
    EXPECT_EQ(field.GetPolygon().Vertices(), before);
}
