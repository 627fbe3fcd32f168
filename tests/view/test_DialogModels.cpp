// The models behind the caching dialog, the field image window and the
// ray-trace window, driven without any window.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "blobtree/cache/FieldCacheManager.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"
#include "implicit/primitives/Point.h"
#include "tests/support/TempFolder.h"
#include "view/CachingControlDialogModel.h"
#include "view/FieldImageModel.h"
#include "view/RayTracer.h"
#include "wml/DebugOutput.h"

using vynui::CachingControlDialogModel;
using vynui::FieldImageModel;
using vynui::RayTracer;

namespace {

// ==== Caching Control ======================================================

// The manager is process-wide: every test puts back what it found.
class CachingDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m = vynbt::FieldCacheManager::Get();
        enabled = m->IsCachingEnabled();
        valueMode = m->GetDefaultValueMode();
        gradientMode = m->GetDefaultGradientMode();
        resolution = m->GetDefaultCacheResolution();
        for (int i = 0; i < 2; ++i) {
            caches.push_back(m->CreateCache(&source, vynbt::FieldCache::AdaptiveUniformGrid));
            caches.back()->SetBounds(nullptr);
        }
    }
    void TearDown() override
    {
        for (vynbt::FieldCache* cache : caches) m->FreeCache(cache);
        m->EnableCaching(enabled);
        m->SetDefaultValueMode(valueMode, false);
        m->SetDefaultGradientMode(gradientMode, false);
        m->SetDefaultCacheResolution(resolution, false);
    }

    vynbt::FieldCacheManager* m = nullptr;
    vynimplicit::Point source;
    std::vector<vynbt::FieldCache*> caches;
    bool enabled = true;
    vynbt::FieldCache::SampleMode valueMode{}, gradientMode{};
    unsigned int resolution = 0;
};

TEST_F(CachingDialogTest, LoadShowsTheManagersDefaults)
{
    m->EnableCaching(false);
    m->SetDefaultValueMode(vynbt::FieldCache::TriQuadratic, false);
    m->SetDefaultGradientMode(vynbt::FieldCache::TriLinear, false);
    m->SetDefaultCacheResolution(200, false);
    CachingControlDialogModel dialog;
    dialog.Load(*m);
    EXPECT_FALSE(dialog.cachingEnabled);
    EXPECT_EQ(CachingControlDialogModel::TRIQUADRATIC, dialog.valueSampling);
    EXPECT_EQ(CachingControlDialogModel::TRILINEAR, dialog.gradientSampling);
    EXPECT_EQ("200", dialog.resolutionText);
}

TEST_F(CachingDialogTest, ApplyWritesModesIntoEveryCacheAndResizesOnlyOnChange)
{
    CachingControlDialogModel dialog;
    dialog.Load(*m);
    // Give one cache a size of its own: an unchanged resolution leaves it.
    caches[0]->SetResolution(16);
    const float ownSize = caches[0]->GetGrid()->GetVoxelSize();
    dialog.valueSampling = CachingControlDialogModel::TRIQUADRATIC;
    dialog.gradientSampling = CachingControlDialogModel::TRILINEAR;
    dialog.cachingEnabled = false;
    ASSERT_TRUE(dialog.Apply(*m));
    EXPECT_FALSE(m->IsCachingEnabled());
    for (vynbt::FieldCache* cache : caches) {
        EXPECT_EQ(vynbt::FieldCache::TriQuadratic, cache->GetValueSampleMode());
        EXPECT_EQ(vynbt::FieldCache::TriLinear, cache->GetGradientSampleMode());
    }
    EXPECT_EQ(ownSize, caches[0]->GetGrid()->GetVoxelSize());

    // A new resolution goes to the default and to every cache.
    const unsigned int other = resolution == 64 ? 32 : 64;
    dialog.resolutionText = std::to_string(other);
    ASSERT_TRUE(dialog.Apply(*m));
    EXPECT_EQ(other, m->GetDefaultCacheResolution());
    EXPECT_NE(ownSize, caches[0]->GetGrid()->GetVoxelSize());
    EXPECT_EQ(caches[1]->GetGrid()->GetVoxelSize(), caches[0]->GetGrid()->GetVoxelSize());
}

TEST_F(CachingDialogTest, OutOfRangeResolutionIsRefusedAndNothingApplied)
{
    for (const char* text : {"3", "1025", "-8", "", "12x", "1e3", "99999999999999999999"}) {
        CachingControlDialogModel dialog;
        dialog.Load(*m);
        dialog.cachingEnabled = !m->IsCachingEnabled();
        dialog.valueSampling = 1 - dialog.valueSampling;
        dialog.resolutionText = text;
        std::string message;
        EXPECT_FALSE(dialog.Apply(*m, &message)) << text;
        EXPECT_EQ("Please enter an integer between 4 and 1024.", message) << text;
        EXPECT_EQ(enabled, m->IsCachingEnabled()) << text;
        EXPECT_EQ(valueMode, m->GetDefaultValueMode()) << text;
        EXPECT_EQ(resolution, m->GetDefaultCacheResolution()) << text;
    }
    CachingControlDialogModel edges;
    edges.Load(*m);
    for (const char* text : {"4", "1024"}) {
        edges.resolutionText = text;
        EXPECT_TRUE(edges.Apply(*m)) << text;
        EXPECT_EQ(unsigned(std::stoul(text)), m->GetDefaultCacheResolution());
    }
}

// ==== Field Image ==========================================================

// A ball of radius 1 around c: bounds [c - 1, c + 1] on every axis.
struct BallField {
    explicit BallField(const Wml::Vector3<float>& c = Wml::Vector3<float>(0.0f, 0.0f, 0.0f)) : point(c, 1.0f)
    {
    }
    vynimplicit::Point point;
};

TEST(FieldImageModel, StartsWithTheDocumentedDefaults)
{
    FieldImageModel image;
    EXPECT_EQ(256u, image.GetResolution());
    EXPECT_EQ(FieldImageModel::PLANE_XY, image.GetPlane());
    EXPECT_EQ(FieldImageModel::VALUE, image.GetImageType());
    EXPECT_TRUE(image.GetShowIsoSurface());
    EXPECT_TRUE(image.GetSinFilter());
    EXPECT_TRUE(image.GetNormalizeValues());
    EXPECT_FALSE(image.GetStretchToFit());
    EXPECT_FALSE(image.SetResolution(127));
    EXPECT_FALSE(image.SetResolution(2049));
    EXPECT_FALSE(image.SetPlane(3));
    EXPECT_FALSE(image.SetImageType(-1));
    EXPECT_EQ(256u, image.GetResolution());
}

TEST(FieldImageModel, StepAndSamplePositionsFollowTheResolutionAndPlane)
{
    // Off the origin so that each plane's axes are told apart.
    BallField ball(Wml::Vector3<float>(2.0f, 3.0f, 4.0f));
    struct Case {
        int plane;
        int h, v;  // axes across and up
    };
    for (const Case& c : {Case{FieldImageModel::PLANE_XY, 0, 1}, Case{FieldImageModel::PLANE_XZ, 0, 2},
                          Case{FieldImageModel::PLANE_YZ, 2, 1}}) {
        FieldImageModel image;
        ASSERT_TRUE(image.SetResolution(128));
        ASSERT_TRUE(image.SetPlane(c.plane));
        image.Sample(ball.point);
        const float mins[3] = {1.0f, 2.0f, 3.0f};
        EXPECT_FLOAT_EQ(2.0f / 129.0f, image.GetHorizontalStep());
        EXPECT_FLOAT_EQ(2.0f / 129.0f, image.GetVerticalStep());
        for (unsigned int i : {0u, 1u, 64u, 127u}) {
            const Wml::Vector3<float> p = image.GetSamplePoint(i, 127u - i);
            EXPECT_FLOAT_EQ(mins[c.h] + float(i) * 2.0f / 129.0f, p[c.h]) << c.plane;
            EXPECT_FLOAT_EQ(mins[c.v] + float(127u - i) * 2.0f / 129.0f, p[c.v]) << c.plane;
            EXPECT_EQ(0.0f, p[3 - c.h - c.v]) << "through the origin " << c.plane;
        }
    }
}

TEST(FieldImageModel, ValueGradientAndNormalizationErrorImages)
{
    BallField ball;
    FieldImageModel image;
    image.Sample(ball.point);
    ASSERT_EQ(256u, image.GetSampledResolution());
    // The sample nearest the centre holds the field there, and the largest value.
    const Wml::Vector3<float> centre = image.GetSamplePoint(128, 128);
    EXPECT_NEAR(0.0f, centre.Length(), 0.01f);
    EXPECT_FLOAT_EQ(ball.point.Value(centre.X(), centre.Y(), centre.Z()), image.GetSample(128, 128));
    EXPECT_GT(image.GetSample(128, 128), 0.99f);
    EXPECT_FLOAT_EQ(image.GetMaximum(), image.GetSample(128, 128));
    EXPECT_EQ(0.0f, image.GetSample(0, 0)) << "the corner lies outside the ball";

    // A resample cancelled half way keeps the picture that was there.
    const float before = image.GetSample(128, 128);
    ASSERT_TRUE(image.SetResolution(512));
    ASSERT_TRUE(image.SetPlane(FieldImageModel::PLANE_XZ));
    float reached = 0.0f;
    EXPECT_FALSE(image.Sample(ball.point, [&](float done) {
        reached = done;
        return done < 0.5f;
    }));
    EXPECT_GE(reached, 0.5f);
    EXPECT_LT(reached, 0.51f);
    EXPECT_EQ(256u, image.GetSampledResolution());
    EXPECT_EQ(before, image.GetSample(128, 128));
    EXPECT_EQ(centre, image.GetSamplePoint(128, 128));
    ASSERT_TRUE(image.SetResolution(256));
    ASSERT_TRUE(image.SetPlane(FieldImageModel::PLANE_XY));

    for (int type : {FieldImageModel::GRADIENT, FieldImageModel::NORMALIZATION_ERROR}) {
        ASSERT_TRUE(image.SetImageType(type));
        image.Sample(ball.point);
        for (unsigned int i : {40u, 100u, 128u, 200u}) {
            const Wml::Vector3<float> p = image.GetSamplePoint(i, 128);
            float g[3] = {0, 0, 0}, value = -1;
            ball.point.Gradient(p.X(), p.Y(), p.Z(), g[0], g[1], g[2], &value);
            const float length = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
            const float expected = type == FieldImageModel::GRADIENT ? length : std::fabs(1.0f - length);
            EXPECT_NEAR(expected, image.GetSample(i, 128), 1e-5f) << type << " " << i;
            // The clamped field value stays beside it whatever the type.
            EXPECT_NEAR(std::max(0.0f, value), image.GetClampedValue(i, 128), 1e-6f);
        }
    }
    // The centre of a ball has no slope: the error there is 1.
    EXPECT_NEAR(1.0f, image.GetSample(128, 128), 0.05f);
}

TEST(FieldImageModel, TogglesRebuildThePictureWithoutResampling)
{
    BallField ball;
    FieldImageModel image;
    ASSERT_TRUE(image.SetResolution(128));
    image.Sample(ball.point);
    const std::vector<unsigned char> first = image.GetRGB();
    ASSERT_EQ(128u * 128u * 3u, first.size());
    const unsigned int builds = image.GetBuildCount();
    // A changed resolution waits for the next Sample.
    ASSERT_TRUE(image.SetResolution(256));
    image.SetShowIsoSurface(false);
    EXPECT_EQ(builds + 1, image.GetBuildCount());
    EXPECT_EQ(128u, image.GetSampledResolution());
    EXPECT_EQ(first.size(), image.GetRGB().size());
    // The iso-surface marks are red and only they go away.
    int red = 0, changed = 0;
    for (std::size_t k = 0; k < first.size(); k += 3) {
        const bool wasRed = first[k] == 255 && first[k + 1] == 0 && first[k + 2] == 0;
        red += wasRed;
        changed += first[k] != image.GetRGB()[k] || first[k + 1] != image.GetRGB()[k + 1];
        if (!wasRed) {
            EXPECT_EQ(first[k + 1], image.GetRGB()[k + 1]);
        }
    }
    EXPECT_GT(red, 100);
    EXPECT_EQ(red, changed);
    // Without normalizing, the brightest pixel is the clamped value itself.
    image.SetSinFilter(false);
    image.SetNormalizeValues(false);
    const std::size_t centre = (std::size_t(64) * 128 + 64) * 3;
    EXPECT_NEAR(std::lround(255.0f * image.GetSample(64, 64)), image.GetRGB()[centre], 1);
}

TEST(FieldImageModel, SavesThePictureAndTheValuesAndReportsFailures)
{
    BallField ball;
    kftest::TempFolder folder("fieldimage");
    FieldImageModel image;
    std::string error;
    EXPECT_FALSE(image.SaveImage(folder.File("early.png"), &error)) << "nothing sampled yet";
    EXPECT_EQ("Error Saving File", error);
    ASSERT_TRUE(image.SetResolution(128));
    image.Sample(ball.point);

    EXPECT_TRUE(image.SaveImage(folder.File("field.png"), &error));
    const std::string png = kftest::ReadFile(folder.File("field.png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ("\x89PNG", png.substr(0, 4));

    ASSERT_TRUE(image.SaveValueField(folder.File("field.txt"), &error));
    const std::string text = kftest::ReadFile(folder.File("field.txt"));
    const std::size_t start = text.find("values\n");
    ASSERT_NE(std::string::npos, start);
    EXPECT_NE(std::string::npos, text.find("resolution 128\n"));
    EXPECT_NE(std::string::npos, text.find("plane X/Y Plane\n"));
    // Rows bottom first, numbers that read back as the samples.
    std::vector<float> numbers;
    const char* p = text.c_str() + start + 7;
    char* end = nullptr;
    for (float v = std::strtof(p, &end); end != p; v = std::strtof(p, &end)) {
        numbers.push_back(v);
        p = end;
    }
    ASSERT_EQ(128u * 128u, numbers.size());
    EXPECT_FLOAT_EQ(image.GetSample(64, 10), numbers[10 * 128 + 64]);

    // A missing folder, no name, a folder in place of a file.
    for (const std::string& bad : {folder.File("missing/field.png"), std::string(), folder.Path().string()}) {
        error.clear();
        EXPECT_FALSE(image.SaveImage(bad, &error));
        EXPECT_EQ("Error Saving File", error);
        error.clear();
        EXPECT_FALSE(image.SaveValueField(bad, &error));
        EXPECT_EQ("Error Saving File", error);
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path()));
}

TEST(FieldImageModel, AFailedSaveRemovesOnlyAPlainFileOfItsOwn)
{
    // A link to a device that is always full: writing fails at the end. The
    // link (and what it points to) must survive the failure.
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    BallField ball;
    FieldImageModel image;
    ASSERT_TRUE(image.SetResolution(128));
    image.Sample(ball.point);
    kftest::TempFolder folder("fieldimage_full");
    const std::string link = folder.File("full");
    std::filesystem::create_symlink("/dev/full", link);
    std::string error;
    EXPECT_FALSE(image.SaveImage(link, &error));
    EXPECT_EQ("Error Saving File", error);
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the picture's failure removed the link";
    error.clear();
    EXPECT_FALSE(image.SaveValueField(link, &error));
    EXPECT_EQ("Error Saving File", error);
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the values' failure removed the link";
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST(FieldImageModel, EmptyFieldGivesABlackImage)
{
    // A field with nothing in it (an empty scene).
    struct Empty : vynimplicit::ScalarField {
        float Value(float, float, float) override { return 0.0f; }
        void FieldBounds(Wml::AxisAlignedBox3<float>& box) override { box = Wml::AxisAlignedBox3<float>(); }
    } empty;
    FieldImageModel image;
    ASSERT_TRUE(image.SetResolution(128));
    image.Sample(empty);
    EXPECT_EQ(0.0f, image.GetMaximum());
    EXPECT_EQ(0.0f, image.GetHorizontalStep());
    for (unsigned char byte : image.GetRGB()) ASSERT_EQ(0, byte);
}

// ==== RayTrace =============================================================

struct TraceRig {
    static constexpr int W = 32, H = 24;
    vynimplicit::Point ball;
    Wml::ExtendedWmlCamera camera{1.0f, 1.0f};
    RayTracer tracer;
    TraceRig()
    {
        // The view's camera as the program starts it, looking at the ball.
        camera.SetFrameLookAt(Wml::Vector3<float>(0.0f, 0.0f, 5.0f), Wml::Vector3<float>(-1.0f, 0.0f, 0.0f),
                              Wml::Vector3<float>(0.0f, 1.0f, 0.0f), Wml::Vector3<float>(0.0f, 0.0f, 0.0f));
        camera.SetViewport(W, H);
        camera.SetFrustum(30.0f, float(W) / float(H), 0.1f, 100.0f);
    }
};

TEST(RayTracer, SphereIsGreenLitInTheMiddleAndBlackInTheCorners)
{
    TraceRig rig;
    std::vector<std::string> lines;
    Wml::ScopedDebugOutputSink sink([&](const char* line) { lines.push_back(line); });
    ASSERT_TRUE(rig.tracer.Start(&rig.ball, rig.camera));
    rig.tracer.Finish();
    EXPECT_TRUE(rig.tracer.IsComplete());
    EXPECT_FALSE(rig.tracer.IsRunning());

    const Wml::Vector3<float> centre = rig.tracer.GetColour(16, 12);
    EXPECT_EQ(0.0f, centre.X());
    EXPECT_EQ(0.0f, centre.Z());
    EXPECT_GT(centre.Y(), 0.5f) << "lit from the front";
    for (int x : {0, TraceRig::W - 1})
        for (int y : {0, TraceRig::H - 1})
            EXPECT_EQ(0.0f, rig.tracer.GetColour(x, y).Length()) << x << " " << y;

    // The light comes from the viewer's upper left: brighter there, and the
    // shading is mirrored across the diagonal from upper left to lower right
    // ((u, v) -> (-v, -u) about the centre).
    EXPECT_GT(rig.tracer.GetColour(14, 14).Y(), rig.tracer.GetColour(18, 10).Y() + 0.1f);
    int lit = 0;
    for (int y = 0; y < TraceRig::H; ++y) {
        for (int x = 0; x < TraceRig::W; ++x) {
            const int mx = 27 - y, my = 27 - x;
            if (mx < 0 || mx >= TraceRig::W || my < 0 || my >= TraceRig::H) continue;
            EXPECT_NEAR(rig.tracer.GetColour(x, y).Y(), rig.tracer.GetColour(mx, my).Y(), 0.02f)
                << x << " " << y;
            lit += rig.tracer.GetColour(x, y).Y() > 0.0f;
        }
    }
    EXPECT_GT(lit, 20);

    // One progress line per whole percent, the last at 100.
    ASSERT_EQ(100u, lines.size());
    EXPECT_EQ("Raytrace: Done 100.000000 percent\n", lines.back());
    EXPECT_EQ(0u, lines.front().find("Raytrace: Done 1."));
}

TEST(RayTracer, StepsInSlicesAndCancels)
{
    TraceRig rig;
    Wml::ScopedDebugOutputSink quiet([](const char*) {});
    ASSERT_TRUE(rig.tracer.Start(&rig.ball, rig.camera));
    // A zero budget still moves on by one pixel.
    EXPECT_TRUE(rig.tracer.Step(std::chrono::milliseconds(0)));
    EXPECT_DOUBLE_EQ(1.0 / (TraceRig::W * TraceRig::H), rig.tracer.GetProgress());
    rig.tracer.Cancel();
    EXPECT_FALSE(rig.tracer.IsRunning());
    EXPECT_FALSE(rig.tracer.Step(std::chrono::milliseconds(10)));
    EXPECT_FALSE(rig.tracer.IsComplete());
    EXPECT_EQ(0.0f, rig.tracer.GetColour(16, 12).Length()) << "never traced";

    // Nothing to trace: refused, the old image kept.
    Wml::ExtendedWmlCamera empty(1.0f, 1.0f);
    empty.SetViewport(0, 0);
    EXPECT_FALSE(rig.tracer.Start(&rig.ball, empty));
    EXPECT_FALSE(rig.tracer.Start(nullptr, rig.camera));
    EXPECT_EQ(TraceRig::W, rig.tracer.GetWidth());
}

}  // namespace
