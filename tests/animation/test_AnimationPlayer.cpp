// Playback as the view drives it: the playback commands, one step per drawn
// frame, and the frames written as PNG files under the resource root.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "animation/AnimationManager.h"
#include "animation/AnimationPlayer.h"
#include "animation/FrameImage.h"
#include "interact/ResourceRoot.h"
#include "scene/RGBAImage.h"
#include "tests/animation/AnimationTestSupport.h"
#include "tests/scene/test_SceneManagerSupport.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using vynui::CAnimationManager;
using vynui::CAnimationPlayer;
using vynui::FrameImage;

/// A read-back frame: rows from the bottom, rows padded to stride bytes.
/// Pixel (x, y) (y from the bottom) is (frame, x, y, 255); padding is 0xEE.
struct ReadBack {
    std::vector<unsigned char> bytes;
    FrameImage image;

    ReadBack(unsigned frame, int width, int height, int channels, std::size_t stride)
    {
        bytes.assign(stride * height, 0xEE);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                unsigned char* p = &bytes[y * stride + x * channels];
                const unsigned char rgba[4] = {static_cast<unsigned char>(frame),
                                               static_cast<unsigned char>(x), static_cast<unsigned char>(y),
                                               255};
                for (int c = 0; c < channels; ++c) p[c] = rgba[c];
            }
        image.data = bytes.data();
        image.size = bytes.size();
        image.width = width;
        image.height = height;
        image.channels = channels;
        image.rowStride = stride;
    }
};

class AnimationPlayerTest : public ::testing::Test {
protected:
    AnimationPlayerTest() : animation(rig.scene.get()), player(&animation)
    {
        previousRoot = vynui::GetResourceRoot();
        vynui::SetResourceRoot(root.Path().string());
        animation.SetUserInterface(&rig.ui);
        player.SetUserInterface(&rig.ui);
        rig.Objects().AddObject(&object, false);
    }
    ~AnimationPlayerTest() override
    {
        rig.Objects().RemoveObject(&object);
        vynui::SetResourceRoot(previousRoot);
    }

    fs::path Frames() const { return root.Path() / "animations"; }
    std::size_t FileCount() const
    {
        if (!fs::is_directory(Frames())) return 0;
        return std::distance(fs::directory_iterator(Frames()), fs::directory_iterator());
    }

    scenemgr_test::SceneRig rig;
    CAnimationManager animation;
    CAnimationPlayer player;
    animtest::KeyedObject object;
    kftest::TempFolder root{"anim"};
    std::string previousRoot;
};

TEST_F(AnimationPlayerTest, PlayingTenFramesWithSaveFramesWritesTenPngs)
{
    struct Case {
        const char* name;
        int channels;
        std::size_t stride;  // as glReadPixels packs rows with alignment 4
    };
    const Case cases[] = {{"RGBA", 4, 7 * 4}, {"RGB, padded rows", 3, 24}};
    for (const Case& c : cases) {
        fs::remove_all(Frames());
        animation.SetCurrentFrame(0);
        animation.SetLength(10);
        object.height->SetFloatValue(0.0f);
        animation.SetKeyframe();
        animation.SetCurrentFrame(10);
        object.height->SetFloatValue(10.0f);
        animation.SetKeyframe();
        animation.SetCurrentFrame(0);

        ASSERT_TRUE(player.OnCommand("Save Frames"));
        ASSERT_TRUE(player.OnCommand("Play"));
        int steps = 0;
        std::vector<float> heights;
        while (player.IsPlaying() && steps < 100) {
            heights.push_back(object.heightValue);  // what the view drew
            ASSERT_TRUE(player.WantsPixels());
            ReadBack frame(animation.GetCurrentFrame(), 7, 5, c.channels, c.stride);
            EXPECT_TRUE(player.StepFrame(&frame.image));
            ++steps;
        }
        EXPECT_EQ(steps, 10) << c.name;
        EXPECT_EQ(animation.GetCurrentFrame(), 10u);
        EXPECT_FLOAT_EQ(object.heightValue, 10.0f);
        EXPECT_EQ(heights.front(), 0.0f);
        EXPECT_EQ(heights.back(), 9.0f);
        EXPECT_EQ(rig.ui.StatusText(), "Frame 10 of 10");
        EXPECT_TRUE(rig.ui.Messages().empty());
        EXPECT_FALSE(player.StepFrame(nullptr));

        EXPECT_EQ(FileCount(), 10u) << c.name;
        for (unsigned f = 0; f < 10; ++f)
            EXPECT_TRUE(fs::exists(Frames() / CAnimationPlayer::FrameFileName(f)));
        vynui::RGBAImage decoded;
        std::string error;
        ASSERT_TRUE(decoded.Load((Frames() / "frame0003.png").string(), &error)) << error;
        EXPECT_EQ(decoded.width, 7);
        EXPECT_EQ(decoded.height, 5);
        // The file's top-left pixel is the last read-back row's first pixel.
        const unsigned char* topLeft = &decoded.pixels[0];
        EXPECT_EQ(topLeft[0], 3);
        EXPECT_EQ(topLeft[1], 0);
        EXPECT_EQ(topLeft[2], 4);
        EXPECT_EQ(topLeft[3], 255);
        const unsigned char* bottomRight = &decoded.pixels[(4 * 7 + 6) * 4];
        EXPECT_EQ(bottomRight[1], 6);
        EXPECT_EQ(bottomRight[2], 0);
        player.SetSaveFrames(false);
    }
}

TEST_F(AnimationPlayerTest, FrameThatCannotBeSavedIsReportedOnceAndStopsPlayback)
{
    struct Case {
        const char* name;
        void (*spoil)(const fs::path& frames);
        bool pixels;
    };
    const Case cases[] = {
        {"animations is a file", [](const fs::path& frames) { std::ofstream(frames.string()) << "x"; }, true},
        {"frame file is a folder",
         [](const fs::path& frames) { fs::create_directories(frames / CAnimationPlayer::FrameFileName(2)); },
         true},
        {"no pixels read back", [](const fs::path&) {}, false},
    };
    for (const Case& c : cases) {
        fs::remove_all(Frames());
        c.spoil(Frames());
        rig.ui.ClearEvents();
        animation.SetLength(10);
        animation.SetCurrentFrame(2);
        player.SetSaveFrames(true);
        player.Play();
        ReadBack frame(2, 4, 4, 4, 16);
        EXPECT_FALSE(player.StepFrame(c.pixels ? &frame.image : nullptr)) << c.name;
        EXPECT_FALSE(player.IsPlaying()) << c.name;
        EXPECT_FALSE(player.StepFrame(&frame.image));
        EXPECT_EQ(animation.GetCurrentFrame(), 2u) << c.name;
        const auto messages = rig.ui.EventsOf("message");
        ASSERT_EQ(messages.size(), 1u) << c.name;
        EXPECT_EQ(messages[0].title, "Save Frames");
        EXPECT_TRUE(player.IsSavingFrames());
    }
}

TEST_F(AnimationPlayerTest, PlaybackCommandsMoveTheCurrentFrame)
{
    animation.SetLength(3);
    vynui::CommandState state;
    ASSERT_TRUE(player.OnUpdateCommand("Stop", state));
    EXPECT_FALSE(state.enabled);

    // Without saving, steps need no pixels and write nothing.
    player.OnCommand("Play");
    EXPECT_FALSE(player.WantsPixels());
    player.OnUpdateCommand("Stop", state);
    EXPECT_TRUE(state.enabled);
    EXPECT_TRUE(player.StepFrame());
    EXPECT_EQ(animation.GetCurrentFrame(), 1u);
    player.OnCommand("Stop");
    EXPECT_FALSE(player.StepFrame());
    EXPECT_EQ(animation.GetCurrentFrame(), 1u);

    player.OnCommand("Play One Frame");
    EXPECT_TRUE(player.StepFrame());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(animation.GetCurrentFrame(), 2u);

    player.OnCommand("Play");
    EXPECT_TRUE(player.StepFrame());
    EXPECT_FALSE(player.IsPlaying());  // reached the length
    EXPECT_EQ(animation.GetCurrentFrame(), 3u);

    player.OnCommand("Play");  // at the end: from frame 0 again
    EXPECT_EQ(animation.GetCurrentFrame(), 0u);
    EXPECT_TRUE(player.IsPlaying());
    player.StepFrame();
    player.OnCommand("Rewind");
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(animation.GetCurrentFrame(), 0u);
    EXPECT_EQ(FileCount(), 0u);

    player.OnUpdateCommand("Save Frames", state);
    EXPECT_FALSE(state.checked);
    player.OnCommand("Save Frames");
    player.OnUpdateCommand("Save Frames", state);
    EXPECT_TRUE(state.checked);
    EXPECT_FALSE(player.OnCommand("Set Keyframe"));
}

TEST(FrameImage, UnusableFramesAreRefusedWithoutAFile)
{
    kftest::TempFolder folder("frameimage");
    std::vector<unsigned char> bytes(4 * 4 * 4, 0);
    auto make = [&](int w, int h, int channels, std::size_t size, std::size_t stride) {
        FrameImage image;
        image.data = bytes.data();
        image.size = size;
        image.width = w;
        image.height = h;
        image.channels = channels;
        image.rowStride = stride;
        return image;
    };
    const FrameImage cases[] = {
        make(4, 4, 4, bytes.size() - 1, 0),  // too few bytes
        make(4, 4, 2, bytes.size(), 0),      // two channels
        make(0, 4, 4, bytes.size(), 0),      // empty
        make(4, 2, 4, bytes.size(), 8),      // rows shorter than the width
        make(100000, 100000, 4, bytes.size(), 0),
    };
    const std::string path = folder.File("out.png");
    for (const FrameImage& image : cases) {
        std::string error;
        EXPECT_FALSE(image.WritePng(path, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(fs::exists(path)) << error;
    }
    EXPECT_TRUE(make(4, 4, 4, bytes.size(), 0).WritePng(path));
}

}  // namespace
