// The detail managers the view wires in: the texture manager's flags, modes
// and record, and the listeners that pass everything on.

#include <functional>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "detail/DecalManager.h"
#include "detail/MeshEditManager.h"
#include "detail/TextureManager.h"
#include "tests/support/TempFolder.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

namespace {

using vynui_tex::CTextureManager;

// The view registers the decal manager with the surface and scene managers.
static_assert(std::is_base_of<vynui::ISurfaceManagerListener, vynui_tex::CDecalManager>::value, "");
static_assert(std::is_base_of<vynui::IChangeListener, vynui_tex::CDecalManager>::value, "");

vynui::InputEvent Key(int key)
{
    vynui::InputEvent e;
    e.kind = vynui::InputEvent::KEY;
    e.key = key;
    return e;
}

vynui::InputEvent LeftPress(int x, int y)
{
    vynui::InputEvent e;
    e.kind = vynui::InputEvent::MOUSE;
    e.x = x;
    e.y = y;
    e.leftDown = true;
    return e;
}

TEST(TextureManager, StartsWithEverythingOff)
{
    CTextureManager textures;
    EXPECT_FALSE(textures.IsTexturingEnabled());
    EXPECT_FALSE(textures.GetShowTexturePatches());
    EXPECT_EQ(textures.GetMode(), 0);
}

TEST(TextureManager, NumberKeysChooseTheMode)
{
    struct Case {
        int key;
        bool taken;
        int mode;  // after the key, starting from mode 1
    };
    const Case cases[] = {
        {'1', true, 0},  {'2', true, 1},  {'3', true, 2},  {'0', false, 1},
        {'4', false, 1}, {'a', false, 1}, {'p', false, 1}, {-1, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        CTextureManager textures;
        ASSERT_TRUE(textures.SetMode(1));
        EXPECT_EQ(textures.OnKey(c.key), c.taken);
        EXPECT_EQ(textures.GetMode(), c.mode);
    }

    CTextureManager textures;
    for (int bad : {-1, 3, 1000}) {
        EXPECT_FALSE(textures.SetMode(bad));
        EXPECT_EQ(textures.GetMode(), 0);
    }
}

TEST(TextureManager, PassesInputGesturesAndCommandsOn)
{
    CTextureManager textures;
    for (const vynui::InputEvent& e : {Key('1'), Key('a'), LeftPress(10, 10)})
        EXPECT_EQ(textures.OnInputEvent(e), vynui::INPUT_NOT_HANDLED);
    EXPECT_EQ(textures.GetMode(), 0);  // the view hands keys over, not the stream
    EXPECT_FALSE(textures.OnTap(Wml::Vector2<float>(1, 1)));
    EXPECT_FALSE(textures.OnLine(vynui::GestureSegment()));
    EXPECT_FALSE(textures.OnStroke(vynui::GestureStroke()));
    for (const char* command : {"Suggest Texture Decals", "Bake Patches", "Show Texture Patches"}) {
        EXPECT_FALSE(textures.OnCommand(command));
        vynui::CommandState state;
        EXPECT_FALSE(textures.OnUpdateCommand(command, state));
    }
}

TEST(TextureManager, RecordRoundTripThroughAFile)
{
    kftest::TempFolder folder("texrecord");
    const std::string path = folder.File("scene.xml");
    CTextureManager textures;
    textures.SetTexturingEnabled(true);
    textures.SetShowTexturePatches(true);
    ASSERT_TRUE(textures.SetMode(2));
    {
        Wml::Serializer out;
        ASSERT_TRUE(textures.Store(&out, out.CreateRecord("TextureManager")));
        ASSERT_TRUE(out.Write(path.c_str()));
    }
    Wml::Serializer in;
    ASSERT_TRUE(in.Read(path.c_str()));
    CTextureManager copy;
    ASSERT_TRUE(copy.Restore(&in, in.GetRecord(0)));
    EXPECT_TRUE(copy.IsTexturingEnabled());
    EXPECT_TRUE(copy.GetShowTexturePatches());
    EXPECT_EQ(copy.GetMode(), 2);

    // An empty record (an older scene) changes nothing.
    Wml::SerializerRecord empty(1, "TextureManager");
    EXPECT_TRUE(copy.Restore(&in, &empty));
    EXPECT_EQ(copy.GetMode(), 2);
    EXPECT_FALSE(copy.Store(nullptr, nullptr));
    EXPECT_FALSE(copy.Restore(nullptr, nullptr));
}

TEST(TextureManager, HostileRecordsAreRefusedWhole)
{
    using Fill = std::function<void(Wml::SerializerRecord&)>;
    struct Case {
        const char* name;
        Fill fill;
    };
    const Case cases[] = {
        {"mode too large", [](Wml::SerializerRecord& r) { r.SetValue("Mode", 3); }},
        {"mode negative", [](Wml::SerializerRecord& r) { r.SetValue("Mode", -1); }},
        {"mode as text", [](Wml::SerializerRecord& r) { r.SetValue("Mode", std::string("2")); }},
        {"flag of 2",
         [](Wml::SerializerRecord& r) {
             r.SetValue("Mode", 2);  // good, but the record is refused whole
             r.SetValue("TexturingEnabled", 2u);
         }},
        {"flag as float", [](Wml::SerializerRecord& r) { r.SetValue("ShowTexturePatches", 1.0f); }},
        {"flag huge", [](Wml::SerializerRecord& r) { r.SetValue("ShowTexturePatches", 0xFFFFFFFFu); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wml::SerializerRecord record(1, "TextureManager");
        c.fill(record);
        CTextureManager textures;
        ASSERT_TRUE(textures.SetMode(1));
        EXPECT_FALSE(textures.Restore(nullptr, &record));
        EXPECT_EQ(textures.GetMode(), 1);
        EXPECT_FALSE(textures.IsTexturingEnabled());
        EXPECT_FALSE(textures.GetShowTexturePatches());
    }
}

TEST(TextureManager, OlderRecordFormat)
{
    WmlDeprecated::SerializerRecord good(5, 20484);
    good.SetValue("Mode", 1);
    good.SetValue("TexturingEnabled", 1u);
    CTextureManager textures;
    ASSERT_TRUE(textures.RestoreOld(&good));
    EXPECT_EQ(textures.GetMode(), 1);
    EXPECT_TRUE(textures.IsTexturingEnabled());

    WmlDeprecated::SerializerRecord bad(6, 20484);
    bad.SetValue("Mode", 9);
    EXPECT_FALSE(textures.RestoreOld(&bad));
    EXPECT_EQ(textures.GetMode(), 1);
    EXPECT_FALSE(textures.RestoreOld(nullptr));
}

TEST(MeshEditManager, FlagAndGestures)
{
    vynui_tex::CMeshEditManager edits;
    EXPECT_FALSE(edits.IsMeshEditing());
    EXPECT_TRUE(edits.ToggleMeshEditing());
    EXPECT_TRUE(edits.IsMeshEditing());
    // Nothing to offer yet, on or off: the scene and sketch managers get the gesture.
    EXPECT_FALSE(edits.OnTap(Wml::Vector2<float>(3, 4)));
    EXPECT_FALSE(edits.OnStroke(vynui::GestureStroke()));
    EXPECT_FALSE(edits.ToggleMeshEditing());
    edits.SetMeshEditing(true);
    EXPECT_TRUE(edits.IsMeshEditing());
}

}  // namespace
