#include "wml/Serializer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "RecordTestSupport.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/FrameRecords.h"

using namespace RecordTest;

namespace {

// A small file with one record of each feature, for the damage tests.
std::string WriteSample(const TempDir& dir, const char* name)
{
    Serializer s;
    SerializerRecord* a = s.CreateRecord("FormatVersion");
    FillEverything(*a);
    SerializerRecord* b = s.CreateRecord("Shape");
    b->AppendPolygon(Polygon2<float>({Vector2<float>(0, 0), Vector2<float>(1, 0), Vector2<float>(0, 1)}));
    b->AppendSpline3(Spline3<float>(
        {Vector3<float>(0, 0, 0), Vector3<float>(1, 0, 0), Vector3<float>(1, 1, 0), Vector3<float>(0, 1, 1)},
        3, false));
    std::string path = dir.File(name);
    EXPECT_TRUE(s.Write(path.c_str())) << s.GetLastError();
    return path;
}

class CountingReader : public SerializerRecordReader {
public:
    explicit CountingReader(unsigned int refuseID = 0) : m_refuseID(refuseID) {}
    bool ReadRecord(Serializer* serializer, SerializerRecord* record) override
    {
        EXPECT_NE(serializer, nullptr);
        seen.push_back(record->GetID());
        return record->GetID() != m_refuseID;
    }
    std::vector<unsigned int> seen;

private:
    unsigned int m_refuseID;
};

}  // namespace

// ---- fields in memory -----------------------------------------------------------

TEST(SerializerRecord, GetAndSetFollowKeyKindAndOrder)
{
    SerializerRecord r(1, "T");
    FillEverything(r);

    // Each kind reads back through its own GetValue.
    unsigned int u = 0;
    int i = 0;
    float f = 0;
    std::string text;
    Vector2<float> v2;
    Frame3<float> frame;
    EXPECT_TRUE(r.GetValue("uint", u, 0u) && u == 4294967295u);
    EXPECT_TRUE(r.GetValue("int", i, 0) && i == std::numeric_limits<int>::min());
    EXPECT_TRUE(r.GetValue("negzero", f, 1.0f) && SameBits(f, -0.0f));
    EXPECT_TRUE(r.GetValue("bytes", text, "") && text.size() == 8 && text[6] == '\0');
    EXPECT_TRUE(r.GetValue("v2", v2, Vector2<float>()) && v2 == Vector2<float>(-1.5f, 1e30f));
    EXPECT_TRUE(r.GetValue("frame", frame, Frame3<float>()) && frame == TurnedFrame());
    std::vector<Vector2<float>> points(2);
    unsigned int count = 0;
    EXPECT_TRUE(r.GetValue("points2", points, count) && count == 2 && points[1] == Vector2<float>(3, 4));

    // Absent keys, other kinds and other case give the default and false.
    EXPECT_FALSE(r.GetValue("missing", i, 42));
    EXPECT_EQ(i, 42);
    EXPECT_FALSE(r.GetValue("int", f, 7.0f));
    EXPECT_EQ(f, 7.0f);
    EXPECT_FALSE(r.GetValue("int", u, 9u));
    EXPECT_FALSE(r.GetValue("Int", i, 1));
    EXPECT_EQ(i, 1);
    Vector3<float> v3;
    EXPECT_FALSE(r.GetValue("v2", v3, Vector3<float>(1, 1, 1)));
    EXPECT_EQ(v3, Vector3<float>(1, 1, 1));

    // Setting again replaces the value (and kind) in place.
    std::vector<std::string> before = r.GetKeys();
    EXPECT_EQ(before.front(), "uint");
    EXPECT_EQ(before.back(), "noPoints3");
    r.SetValue("int", 2.5f);
    EXPECT_TRUE(r.GetValue("int", f, 0.0f));
    EXPECT_EQ(f, 2.5f);
    EXPECT_EQ(r.GetKeys(), before);
    r.SetValue("Int", 3);  // a different key
    EXPECT_EQ(r.GetKeys().size(), before.size() + 1);
}

TEST(SerializerRecord, TwoStepVectorAndLengthFirstStringReads)
{
    SerializerRecord r(1, "T");
    r.SetValue("ids", std::vector<unsigned int>{4, 5, 6});
    r.SetValue("name", std::string("KilnformSceneFile"));

    std::vector<unsigned int> ids;
    unsigned int count = 0;
    ASSERT_TRUE(r.GetValue("ids", ids, count));
    EXPECT_EQ(count, 3u);
    EXPECT_TRUE(ids.empty());  // first call only learns the count
    ids.assign(count + 1, 77u);
    ASSERT_TRUE(r.GetValue("ids", ids, count));
    EXPECT_EQ(ids, (std::vector<unsigned int>{4, 5, 6, 77}));
    std::vector<float> floats;
    EXPECT_FALSE(r.GetValue("ids", floats, count));
    EXPECT_FALSE(r.GetValue("none", ids, count));

    unsigned int length = 0;
    ASSERT_TRUE(r.GetStringValue("name", nullptr, length));
    EXPECT_EQ(length, 18u);
    std::vector<char> buffer(length, 'x');
    ASSERT_TRUE(r.GetStringValue("name", buffer.data(), length));
    EXPECT_STREQ(buffer.data(), "KilnformSceneFile");
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    length = 5;
    ASSERT_TRUE(r.GetStringValue("name", small, length));
    EXPECT_STREQ(small, "Kiln");  // cut, still terminated
    EXPECT_FALSE(r.GetStringValue("ids", nullptr, length));
    EXPECT_FALSE(r.GetStringValue("none", nullptr, length));

    // Raw values whose data does not fit their kind are refused, not read
    // past their end.
    SerializerValue bad;
    bad.kind = SerializerValue::Vector3fArray;
    bad.floats = {1, 2, 3, 4};
    r.SetField("bad", bad);
    std::vector<Vector3<float>> points(10);
    EXPECT_FALSE(r.GetValue("bad", points, count));
    bad.kind = SerializerValue::Frame3f;
    r.SetField("badFrame", bad);
    Frame3<float> frame;
    EXPECT_FALSE(r.GetValue("badFrame", frame, Frame3<float>()));
}

// ---- the serializer ----------------------------------------------------------------

TEST(Serializer, RecordsItemsAndRestorePasses)
{
    Serializer s;
    SerializerRecord* a = s.CreateRecord("A");
    SerializerRecord* b = s.CreateRecord("B");
    SerializerRecord* c = s.CreateRecord("C");
    EXPECT_EQ(a->GetID(), 1u);
    EXPECT_EQ(b->GetID(), 2u);
    EXPECT_EQ(s.FindRecord(3), c);
    EXPECT_EQ(s.FindRecord(4), nullptr);
    EXPECT_EQ(s.GetRecord(1), b);
    EXPECT_EQ(s.GetRecord(3), nullptr);

    int x = 0, y = 0;
    s.AddItem(2, &x);
    EXPECT_EQ(s.FindItem(2), &x);
    EXPECT_EQ(s.FindItem(1), nullptr);
    s.AddItem(2, &y);
    EXPECT_EQ(s.FindItem(2), &y);

    // Every pass hands every record, in order, to every reader; a refusal is
    // reported but does not stop the pass.
    CountingReader first, second(2);
    s.AddReader(&first);
    s.AddReader(&second);
    EXPECT_FALSE(s.RestoreRecords());
    EXPECT_FALSE(s.RestoreRecords());
    std::vector<unsigned int> twice = {1, 2, 3, 1, 2, 3};
    EXPECT_EQ(first.seen, twice);
    EXPECT_EQ(second.seen, twice);

    s.Clear();
    EXPECT_EQ(s.GetNumRecords(), 0u);
    EXPECT_EQ(s.FindItem(2), nullptr);
    EXPECT_TRUE(s.RestoreRecords());  // readers dropped too
    EXPECT_EQ(first.seen.size(), 6u);
    EXPECT_EQ(s.CreateRecord("A")->GetID(), 1u);
}

TEST(Serializer, AttachmentsLastAsLongAsTheRecords)
{
    struct Counts {
        int n = 0;
    };
    struct Other {
        int n = 7;
    };
    Serializer s;
    s.Attachments().Get<Counts>().n = 3;
    EXPECT_EQ(s.Attachments().Get<Counts>().n, 3);  // one instance per type
    EXPECT_EQ(s.Attachments().Get<Other>().n, 7);

    // Something an attachment shares outlives it.
    struct Keeper {
        std::shared_ptr<int> kept = std::make_shared<int>(5);
    };
    std::shared_ptr<int> share = s.Attachments().Get<Keeper>().kept;
    s.Clear();
    EXPECT_EQ(s.Attachments().Get<Counts>().n, 0);
    EXPECT_EQ(share.use_count(), 1);
    EXPECT_EQ(*share, 5);

    s.Attachments().Get<Counts>().n = 4;
    EXPECT_FALSE(s.Read("/nonexistent/kilnform/attachments.xml"));
    EXPECT_EQ(s.Attachments().Get<Counts>().n, 0);

    WmlDeprecated::Serializer old;
    old.Attachments().Get<Counts>().n = 2;
    old.Clear();
    EXPECT_EQ(old.Attachments().Get<Counts>().n, 0);
}

TEST(Serializer, FileRoundTripKeepsEverything)
{
    TempDir dir;
    std::string path = dir.File("scene.xml");
    {
        Serializer s;
        s.SetFilename(path.c_str());
        FillEverything(*s.CreateRecord("FormatVersion"));
        SerializerRecord* shapes = s.CreateRecord("Shapes \xC3\xA9");
        shapes->SetValue("zeta", 1u);
        shapes->SetValue("Alpha", 2u);
        shapes->SetValue("alpha", 3u);
        shapes->AppendPolygon(
            Polygon2<float>({Vector2<float>(0, 0), Vector2<float>(2, 0), Vector2<float>(1, 1e-30f)}));
        shapes->AppendPolygon(Polygon2<float>());
        Spline3<float> knotted;
        ASSERT_TRUE(knotted.Set({Vector3<float>(0, 0, 0), Vector3<float>(1, 0, 0), Vector3<float>(1, 1, 0),
                                 Vector3<float>(0, 1, 0.5f)},
                                2, false, {0.0f, 0.0f, 0.0f, 0.3f, 1.0f, 1.0f, 1.0f}));
        shapes->AppendSpline3(knotted);
        shapes->AppendSpline3(Spline3<float>(
            {Vector3<float>(0, 0, 0), Vector3<float>(1, 0, 0), Vector3<float>(0, 1, 0)}, 2, true));
        shapes->AppendSpline3(Spline3<float>());  // never valid; kept as such
        s.CreateRecord("type with \"quotes\" & <brackets>");
        ASSERT_TRUE(s.Write()) << s.GetLastError();
    }
    std::string text = Slurp(path);
    // Indented, plain text a person can read; numbers short but exact.
    EXPECT_NE(text.find("\n    <Field key=\"uint\" kind=\"uint\">4294967295</Field>"), std::string::npos);
    EXPECT_NE(text.find(">0.1 -0 1e-45<"), std::string::npos);

    Serializer s;
    ASSERT_TRUE(s.Read(path.c_str())) << s.GetLastError();
    ASSERT_EQ(s.GetNumRecords(), 3u);
    EXPECT_EQ(s.GetRecord(0)->GetTypeName(), "FormatVersion");
    EXPECT_EQ(s.GetRecord(2)->GetTypeName(), "type with \"quotes\" & <brackets>");
    SerializerRecord expected(1, "x");
    FillEverything(expected);
    EXPECT_TRUE(SameFields(*s.GetRecord(0), expected));
    SerializerRecord* original = s.FindRecord(2);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(original->GetTypeName(), "Shapes \xC3\xA9");
    EXPECT_EQ(original->GetKeys(), (std::vector<std::string>{"zeta", "Alpha", "alpha"}));
    unsigned int u = 0;
    EXPECT_TRUE(original->GetValue("alpha", u, 0u));
    EXPECT_EQ(u, 3u);

    ASSERT_EQ(original->GetNumPolygons(), 2u);
    Polygon2<float> polygon;
    ASSERT_TRUE(original->GetPolygon(0, polygon));
    EXPECT_EQ(polygon.Vertex(2), Vector2<float>(1, 1e-30f));
    EXPECT_TRUE(original->GetPolygon(1, polygon));
    EXPECT_TRUE(polygon.IsEmpty());
    EXPECT_FALSE(original->GetPolygon(2, polygon));
    ASSERT_EQ(original->GetNumSplines3(), 3u);
    Spline3<float> spline;
    ASSERT_TRUE(original->GetSpline3(0, spline));
    EXPECT_EQ(spline.GetDegree(), 2);
    EXPECT_EQ(spline.GetKnots()[3], 0.3f);
    EXPECT_EQ(spline.GetControlPoint(3), Vector3<float>(0, 1, 0.5f));
    ASSERT_TRUE(original->GetSpline3(1, spline));
    EXPECT_TRUE(spline.IsClosed() && spline.IsValid());
    ASSERT_TRUE(original->GetSpline3(2, spline));
    EXPECT_FALSE(spline.IsValid());

    // New records continue after the largest ID read.
    EXPECT_EQ(s.CreateRecord("Later")->GetID(), 4u);
}

TEST(Serializer, FailedWriteKeepsTheOldFile)
{
    TempDir dir;
    std::string path = WriteSample(dir, "keep.xml");
    std::string before = Slurp(path);

    Serializer s;
    s.CreateRecord("A")->SetValue("frame", Frame3<float>(Vector3<float>(NAN, 0, 0)));
    EXPECT_FALSE(s.Write(path.c_str()));
    EXPECT_NE(s.GetLastError().find("frame"), std::string::npos);
    EXPECT_EQ(Slurp(path), before);

    Serializer ok;
    ok.CreateRecord("A");
    EXPECT_FALSE(ok.Write(dir.Path().string().c_str()));  // a directory
    EXPECT_FALSE(ok.Write((dir.File("no/such/dir.xml")).c_str()));
    EXPECT_FALSE(ok.GetLastError().empty());
    Serializer unnamed;
    EXPECT_FALSE(unnamed.Write());

    // Nothing but the sample is left behind (no temporary files).
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

// ---- damaged and hostile files ------------------------------------------------------

TEST(Serializer, RefusesDamagedFilesAndEndsEmpty)
{
    TempDir dir;
    std::string path = dir.File("bad.xml");
    auto refuses = [&](const std::string& content) {
        Spit(path, content);
        Serializer s;
        s.CreateRecord("Old");
        s.AddItem(1, &s);
        bool read = s.Read(path.c_str());
        bool empty = s.GetNumRecords() == 0 && s.FindRecord(1) == nullptr && s.FindItem(1) == nullptr;
        return !read && empty && !s.GetLastError().empty();
    };
    auto record = [](const std::string& fields, const char* attrs = "id=\"1\" type=\"T\"") {
        return std::string("<KilnformRecords version=\"1\"><Record ") + attrs + ">" + fields +
               "</Record></KilnformRecords>";
    };

    EXPECT_FALSE(refuses(record("<Field key=\"a\" kind=\"uint\">5</Field>")));  // the control case
    EXPECT_TRUE(refuses(""));
    EXPECT_TRUE(refuses("   \n"));
    EXPECT_TRUE(refuses("<KilnformRecords version=\"1\"><Record id=\"1\" type=\"T\">"));
    EXPECT_TRUE(refuses("<Records version=\"1\"/>"));
    EXPECT_TRUE(refuses("<KilnformRecords version=\"2\"/>"));
    EXPECT_TRUE(refuses("<KilnformRecords version=\"1\"><Other/></KilnformRecords>"));
    EXPECT_TRUE(refuses(record("", "id=\"0\" type=\"T\"")));
    EXPECT_TRUE(refuses(record("", "id=\"x\" type=\"T\"")));
    EXPECT_TRUE(refuses(record("", "id=\"1\"")));
    EXPECT_TRUE(
        refuses("<KilnformRecords version=\"1\"><Record id=\"1\" type=\"A\"/>"
                "<Record id=\"1\" type=\"B\"/></KilnformRecords>"));
    EXPECT_TRUE(
        refuses(record("<Field key=\"a\" kind=\"uint\">1</Field><Field key=\"a\" kind=\"int\">1</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"double\">1</Field>")));
    EXPECT_TRUE(refuses(record("<Field kind=\"uint\">1</Field>")));
    // Numbers that are not numbers, or out of range for their kind.
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"uint\">five</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"uint\">-1</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"uint\">4294967296</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"int\">1.5</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"float\">1,5</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"float\">1e99</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"float\"></Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"vector3\">1 2</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"vector3\">1 2 3 4</Field>")));
    // Counts that disagree with the data.
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"float_array\" count=\"4000000000\">1 2</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"vector2_array\" count=\"1\">1 2 3</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"a\" kind=\"uint_array\">1 2</Field>")));
    EXPECT_TRUE(refuses(record("<Polygon count=\"99999999\">0 0 1 0 0 1</Polygon>")));
    EXPECT_TRUE(
        refuses(record("<Spline3 degree=\"3\" closed=\"0\"><ControlPoints count=\"2\">0 0 0 1 1 1"
                       "</ControlPoints><Knots count=\"1\">0</Knots></Spline3>")));
    // Values the geometry cannot take.
    EXPECT_TRUE(refuses(record("<Field key=\"f\" kind=\"frame3\">nan 0 0 1 1 1 1 0 0 0 1 0 0 0 1</Field>")));
    EXPECT_TRUE(refuses(record("<Polygon count=\"1\">inf 0</Polygon>")));
    EXPECT_TRUE(refuses(record("<Field key=\"s\" kind=\"string\" encoding=\"hex\">0g</Field>")));
    EXPECT_TRUE(refuses(record("<Field key=\"s\" kind=\"string\" encoding=\"base64\">AA</Field>")));

    // A non-finite plain float is a value like any other.
    EXPECT_FALSE(refuses(record("<Field key=\"a\" kind=\"float\">nan</Field>")));

    // A directory, a missing file.
    Serializer s;
    EXPECT_FALSE(s.Read(dir.Path().string().c_str()));
    EXPECT_FALSE(s.Read(dir.File("missing.xml").c_str()));
    EXPECT_FALSE(s.Read(nullptr));
}

TEST(Serializer, EveryTruncationOfAValidFileIsRefused)
{
    TempDir dir;
    std::string full = Slurp(WriteSample(dir, "full.xml"));
    std::string path = dir.File("cut.xml");
    // The closing tag of the root is the last thing that makes a file whole;
    // every shorter prefix that cuts into the markup must be refused.
    std::size_t end = full.rfind("</KilnformRecords>");
    ASSERT_NE(end, std::string::npos);
    for (std::size_t n = 0; n < end + 17; ++n) {
        Spit(path, full.substr(0, n));
        Serializer s;
        EXPECT_FALSE(s.Read(path.c_str())) << "cut at " << n;
        EXPECT_EQ(s.GetNumRecords(), 0u);
    }
}

TEST(Serializer, HugeAttributeIsRefusedWithoutTrouble)
{
    TempDir dir;
    std::string path = dir.File("huge.xml");
    {
        std::ofstream out(path, std::ios::binary);
        out << "<KilnformRecords version=\"1\"><Record id=\"1\" type=\"";
        std::string chunk(1 << 20, 'A');
        for (int i = 0; i < 100; ++i) out << chunk;
        out << "\"/></KilnformRecords>";
    }
    Serializer s;
    EXPECT_FALSE(s.Read(path.c_str()));
    EXPECT_NE(s.GetLastError().find("too long"), std::string::npos) << s.GetLastError();
    EXPECT_EQ(s.GetNumRecords(), 0u);
}

TEST(Serializer, RandomDamageNeverCrashes)
{
    TempDir dir;
    std::string original = Slurp(WriteSample(dir, "sample.xml"));
    std::string path = dir.File("mutant.xml");
    std::mt19937 random(12345);
    int accepted = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string data = original;
        Mutate(data, random);
        Spit(path, data);
        Serializer s;
        if (s.Read(path.c_str())) {
            ++accepted;
            // Whatever was accepted can be read through and written again.
            for (unsigned int r = 0; r < s.GetNumRecords(); ++r) s.GetRecord(r)->GetKeys();
            EXPECT_TRUE(s.Write(dir.File("again.xml").c_str())) << s.GetLastError();
        } else {
            EXPECT_EQ(s.GetNumRecords(), 0u);
        }
    }
    EXPECT_LT(accepted, 2000);
}

// ---- frames and the camera ------------------------------------------------------

TEST(FrameRecords, FramesComeBackExactlyAndGarbageIsRefused)
{
    SerializerRecord r(1, "T");
    Frame3<float> sheared(Vector3<float>(1, 2, 3), Vector3<float>(1, 0, 0), Vector3<float>(0.5f, 1, 0),
                          Vector3<float>(0, 0, 2));
    StoreFrame(r, "turned", TurnedFrame());
    StoreFrame(r, "sheared", sheared);
    Frame3<float> flat = TurnedFrame();
    flat.SetScale(Vector3<float>(1, 0, 1));
    StoreFrame(r, "flat", flat);
    r.SetValue("number", 1.0f);

    Frame3<float> out;
    EXPECT_TRUE(RestoreFrame(r, "turned", out));
    EXPECT_TRUE(out == TurnedFrame());
    EXPECT_TRUE(RestoreFrame(r, "sheared", out));
    EXPECT_TRUE(out == sheared);
    EXPECT_EQ(out.ToLocalPoint(out.ToWorldPoint(Vector3<float>(1, 1, 1))), Vector3<float>(1, 1, 1));

    Frame3<float> kept = TurnedFrame();
    EXPECT_FALSE(RestoreFrame(r, "flat", kept));
    EXPECT_FALSE(RestoreFrame(r, "number", kept));
    EXPECT_FALSE(RestoreFrame(r, "absent", kept));
    SerializerValue nan;
    nan.kind = SerializerValue::Frame3f;
    nan.floats.assign(15, 1.0f);
    nan.floats[7] = NAN;
    r.SetField("nan", nan);
    EXPECT_FALSE(RestoreFrame(r, "nan", kept));
    EXPECT_TRUE(kept == TurnedFrame());
}

namespace {

void ExpectSameCamera(const ExtendedWmlCamera& a, const ExtendedWmlCamera& b)
{
    EXPECT_EQ(a.GetLocation(), b.GetLocation());
    EXPECT_EQ(a.GetLeft(), b.GetLeft());
    EXPECT_EQ(a.GetUp(), b.GetUp());
    EXPECT_EQ(a.GetDirection(), b.GetDirection());
    EXPECT_EQ(a.GetTarget(), b.GetTarget());
    float fa[6], fb[6];
    a.GetFrustum(fa[0], fa[1], fa[2], fa[3], fa[4], fa[5]);
    b.GetFrustum(fb[0], fb[1], fb[2], fb[3], fb[4], fb[5]);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(fa[i], fb[i]);
    EXPECT_EQ(a.IsPerspective(), b.IsPerspective());
    int va[4], vb[4];
    a.GetViewport(va[0], va[1], va[2], va[3]);
    b.GetViewport(vb[0], vb[1], vb[2], vb[3]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(va[i], vb[i]);
    EXPECT_EQ(a.GetMinimumTargetDistance(), b.GetMinimumTargetDistance());
}

}  // namespace

TEST(CameraRecords, RoundTripIsExactAndGarbageLeavesTheCamera)
{
    ExtendedWmlCamera camera(640, 480);
    camera.UpdateTurntable(0.7f, 0.3f, false);
    camera.PanLateral(1.25f);
    camera.DollyZoom(2.0f);
    camera.SetPerspective(false);
    camera.SetViewport(-3, 7, 640, 480);
    camera.SetFrustum(30.0f, 4.0f / 3.0f, 0.05f, 500.0f);

    TempDir dir;
    std::string path = dir.File("view.xml");
    {
        Serializer s;
        SerializerRecord* r = s.CreateRecord("ViewController");
        camera.Store(*r, "View");
        r->SetValue("WorldScaleFactor", 1.0f);
        ASSERT_TRUE(s.Write(path.c_str()));
    }
    Serializer s;
    ASSERT_TRUE(s.Read(path.c_str()));
    SerializerRecord& record = *s.GetRecord(0);
    EXPECT_EQ(record.GetKeys().back(), "WorldScaleFactor");
    ExtendedWmlCamera restored;
    EXPECT_FALSE(restored.Restore(record));  // wrong prefix
    ASSERT_TRUE(restored.Restore(record, "View"));
    ExpectSameCamera(restored, camera);

    // Each kind of damage is refused and changes nothing.
    auto refused = [&](const std::function<void(SerializerRecord&)>& damage) {
        SerializerRecord copy(1, "ViewController");
        camera.Store(copy);
        damage(copy);
        ExtendedWmlCamera target;
        ExtendedWmlCamera untouched;
        bool ok = target.Restore(copy);
        ExpectSameCamera(target, ok ? camera : untouched);
        return !ok;
    };
    EXPECT_TRUE(
        refused([](SerializerRecord& r) { r.SetValue("CameraLocation", Vector3<float>(NAN, 0, 0)); }));
    EXPECT_TRUE(refused([](SerializerRecord& r) { r.SetValue("CameraLeft", Vector3<float>(0, 0, 0)); }));
    EXPECT_TRUE(refused([](SerializerRecord& r) { r.SetValue("CameraUp", 1.0f); }));
    EXPECT_TRUE(refused([&](SerializerRecord& r) { r.SetValue("CameraLeft", -camera.GetLeft()); }));
    EXPECT_TRUE(refused([&](SerializerRecord& r) {
        r.SetValue("CameraTarget", camera.GetLocation() - camera.GetDirection());  // behind
    }));
    EXPECT_TRUE(refused([&](SerializerRecord& r) {
        r.SetValue("CameraTarget", camera.GetTarget() + camera.GetLeft());  // off the axis
    }));
    EXPECT_TRUE(refused([](SerializerRecord& r) {
        r.SetValue("CameraFrustum", std::vector<float>{-1, 1, -1, 1, 2, 1});
    }));
    EXPECT_TRUE(refused([](SerializerRecord& r) {
        r.SetValue("CameraFrustum", std::vector<float>{-1, 1, -1, 1});
    }));
    EXPECT_TRUE(refused([](SerializerRecord& r) { r.SetValue("CameraViewportWidth", -1); }));
    EXPECT_TRUE(refused([](SerializerRecord& r) { r.SetValue("CameraPerspective", 2u); }));
    EXPECT_TRUE(refused([](SerializerRecord& r) { r.SetValue("CameraMinimumTargetDistance", 1e9f); }));
    EXPECT_FALSE(refused([](SerializerRecord& r) { r.SetValue("Unrelated", 1u); }));
}
