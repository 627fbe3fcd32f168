#include "wml/DeprecatedSerializer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "RecordTestSupport.h"
#include "wml/ExtendedWmlCamera.h"

using RecordTest::FillEverything;
using RecordTest::Mutate;
using RecordTest::SameFields;
using RecordTest::Slurp;
using RecordTest::Spit;
using RecordTest::TempDir;
using Wml::ExtendedWmlCamera;
using Wml::Frame3;
using Wml::Matrix3;
using Wml::Vector2;
using Wml::Vector3;
using WmlDeprecated::Serializer;
using WmlDeprecated::SerializerRecord;

namespace {

Frame3<float> SomeFrame()
{
    Matrix3<float> m;
    m.FromEulerAnglesXYZ(0.1f, 0.2f, -0.3f);
    Frame3<float> frame(Vector3<float>(4, 5, 6), m);
    frame.SetScale(Vector3<float>(1, 2, 0.5f));
    return frame;
}

// The layout of an older scene: tree list, a node with children, a view.
void FillScene(Serializer& s)
{
    SerializerRecord* tree = s.CreateRecord(1, 20481);
    tree->SetValue("TreeListSize", 1u);
    tree->SetValue("TreeList", std::vector<unsigned int>{10});
    SerializerRecord* node = s.CreateRecord(10, 1009);
    node->SetValue("NodeType", 9);
    node->SetValue("NodeFrame", SomeFrame());
    node->SetValue("Radius", 0.25f);
    node->SetValue("Name", std::string("blend \xFF\0 x", 10));
    FillEverything(node->Values());
    node->SetValue("NumChildren", 2u);
    node->SetValue("ChildrenIDs", std::vector<unsigned int>{12, 11});
    node->SetValue("Weights", std::vector<float>{NAN, -0.0f, 1e-45f});
    node->SetValue("Outline", std::vector<Vector2<float>>{Vector2<float>(1, 2)});
    node->SetValue("Points", std::vector<Vector3<float>>{Vector3<float>(1, 2, 3), Vector3<float>(4, 5, 6)});
    node->SetValue("Empty", std::vector<Vector3<float>>());
    node->SetValue("Blank", std::string());
    s.CreateRecord(12, 1001)->SetValue("NodeType", -1);
    s.CreateRecord(11, 1001)->SetValue("Center", Vector3<float>(0.5f, 0, 0));
}

std::string WriteSample(const TempDir& dir, const char* name)
{
    Serializer s;
    FillScene(s);
    std::string path = dir.File(name);
    EXPECT_TRUE(s.Write(path.c_str())) << s.GetLastError();
    return path;
}

void PutU32(std::string& data, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) data[at + i] = char((v >> (8 * i)) & 0xFF);
}

}  // namespace

TEST(DeprecatedSerializer, RecordsKeepIdsTypesAndValues)
{
    TempDir dir;
    Serializer written;
    FillScene(written);
    EXPECT_EQ(written.CreateRecord(10, 5), nullptr);  // ID in use
    SerializerRecord* next = written.CreateRecord(20483);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetID(), 13u);
    int item = 0;
    written.AddItem(10, &item);
    EXPECT_EQ(written.FindItem(10), &item);
    EXPECT_EQ(written.FindItem(11), nullptr);
    std::string path = dir.File("scene.kfn");
    ASSERT_TRUE(written.Write(path.c_str())) << written.GetLastError();

    Serializer s;
    ASSERT_TRUE(s.Read(path.c_str())) << s.GetLastError();
    ASSERT_EQ(s.GetNumRecords(), 5u);
    EXPECT_EQ(s.GetRecord(2)->GetID(), 12u);  // file order kept
    EXPECT_EQ(s.GetRecord(5), nullptr);
    SerializerRecord* node = s.FindRecord(10);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetType(), 1009u);
    EXPECT_EQ(s.FindRecord(2), nullptr);
    EXPECT_EQ(s.FindRecord(13)->GetType(), 20483u);

    for (unsigned int r = 0; r < s.GetNumRecords(); ++r)
        EXPECT_TRUE(SameFields(s.GetRecord(r)->Values(), written.GetRecord(r)->Values())) << "record " << r;

    // The same Get semantics as current records.
    int i = 0;
    float f = 0;
    EXPECT_TRUE(node->GetValue("NodeType", i, 0) && i == 9);
    EXPECT_FALSE(node->GetValue("NodeType", f, 3.0f));  // an int is not a float
    EXPECT_EQ(f, 3.0f);
    EXPECT_FALSE(node->GetValue("nodetype", i, 4));
    EXPECT_EQ(i, 4);
    unsigned int count = 0;
    std::vector<unsigned int> children;
    ASSERT_TRUE(node->GetValue("ChildrenIDs", children, count));
    children.resize(count);
    ASSERT_TRUE(node->GetValue("ChildrenIDs", children, count));
    EXPECT_EQ(children, (std::vector<unsigned int>{12, 11}));
    unsigned int length = 0;
    EXPECT_TRUE(node->GetStringValue("Name", nullptr, length) && length == 11);

    // Restore code written for current records reads older ones too.
    ExtendedWmlCamera camera(300, 200);
    camera.UpdateTurntable(-0.4f, 0.2f, false);
    Serializer view;
    camera.Store(view.CreateRecord(3, 20483)->Values());
    ASSERT_TRUE(view.Write(path.c_str()));
    ASSERT_TRUE(view.Read(path.c_str()));
    ExtendedWmlCamera restored;
    ASSERT_TRUE(restored.Restore(view.FindRecord(3)->Values()));
    EXPECT_EQ(restored.GetLocation(), camera.GetLocation());
    EXPECT_EQ(restored.GetUp(), camera.GetUp());
}

TEST(DeprecatedSerializer, RefusesDamagedFilesAndEndsEmpty)
{
    TempDir dir;
    std::string good = Slurp(WriteSample(dir, "good.kfn"));
    std::string path = dir.File("bad.kfn");
    auto refuses = [&](const std::string& content) {
        Spit(path, content);
        Serializer s;
        s.CreateRecord(1, 1);
        bool read = s.Read(path.c_str());
        return !read && s.GetNumRecords() == 0 && s.FindRecord(1) == nullptr && !s.GetLastError().empty();
    };
    EXPECT_FALSE(refuses(good));
    EXPECT_TRUE(refuses(""));
    std::string data = good;
    data[1] = 'X';
    EXPECT_TRUE(refuses(data));  // magic
    data = good;
    PutU32(data, 8, 2);
    EXPECT_TRUE(refuses(data));  // version
    EXPECT_TRUE(refuses(good + "x"));
    // Every truncation.
    for (std::size_t n = 0; n < good.size(); ++n) EXPECT_TRUE(refuses(good.substr(0, n))) << "cut at " << n;

    // Large counts at every 4-byte position either fail or (where the bytes
    // were not a count) are refused for another reason; never a crash.
    for (std::size_t at = 8; at + 4 <= good.size(); ++at) {
        data = good;
        PutU32(data, at, 0xFFFFFFF0u);
        Spit(path, data);
        Serializer s;
        if (!s.Read(path.c_str())) {
            EXPECT_EQ(s.GetNumRecords(), 0u);
        }
    }
    // The record count (after magic and version) and the first key length.
    data = good;
    PutU32(data, 12, 1000000);
    EXPECT_TRUE(refuses(data));
    data = good;
    PutU32(data, 28, 0x7FFFFFFF);
    EXPECT_TRUE(refuses(data));

    // Duplicate IDs, unknown kinds and non-finite frames.
    Serializer s;
    s.CreateRecord(5, 1);
    std::string twice = dir.File("twice.kfn");
    ASSERT_TRUE(s.Write(twice.c_str()));
    data = Slurp(twice);
    std::string record = data.substr(16);
    data += record;
    PutU32(data, 12, 2);
    EXPECT_TRUE(refuses(data));

    s.FindRecord(5)->SetValue("k", 1u);
    ASSERT_TRUE(s.Write(twice.c_str()));
    data = Slurp(twice);
    data[data.size() - 5] = char(99);  // the kind byte
    EXPECT_TRUE(refuses(data));

    s.FindRecord(5)->SetValue("f", Frame3<float>(Vector3<float>(INFINITY, 0, 0)));
    EXPECT_FALSE(s.Write(twice.c_str()));  // never written ...
    s.FindRecord(5)->SetValue("f", SomeFrame());
    ASSERT_TRUE(s.Write(twice.c_str()));
    data = Slurp(twice);
    PutU32(data, data.size() - 60, 0x7FC00000u);  // ... and never read
    EXPECT_TRUE(refuses(data));

    EXPECT_FALSE(s.Read(dir.Path().string().c_str()));
    EXPECT_FALSE(s.Read(dir.File("missing.kfn").c_str()));
    EXPECT_EQ(s.GetNumRecords(), 0u);
}

TEST(DeprecatedSerializer, RandomDamageNeverCrashes)
{
    TempDir dir;
    std::string original = Slurp(WriteSample(dir, "sample.kfn"));
    std::string path = dir.File("mutant.kfn");
    std::mt19937 random(777);
    for (int round = 0; round < 2000; ++round) {
        std::string data = original;
        Mutate(data, random);
        if (!data.empty() && round % 2) data[random() % data.size()] = char(0xFF);  // hostile count bytes
        Spit(path, data);
        Serializer s;
        if (s.Read(path.c_str())) {
            EXPECT_TRUE(s.Write(dir.File("again.kfn").c_str())) << s.GetLastError();
        } else {
            EXPECT_EQ(s.GetNumRecords(), 0u);
        }
    }
}
