// Parameters: the value flow of each generic kind, text parsing, ranges,
// records in both formats, copying between lists, and the frame and name
// parameters, including the orientation conversion of old files.

#include <gtest/gtest.h>

#include <limits>

#include <climits>
#include <cmath>

#include "scene/BasicParameterOrientation.h"
#include "scene/BasicParameterOrigin.h"
#include "scene/BasicParameterOriginCoordinate.h"
#include "scene/BasicParameterScale.h"
#include "scene/FileVersion.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericIntegerParameter.h"
#include "scene/GenericNamedIntParameter.h"
#include "scene/GenericStringParameter.h"
#include "scene/GenericVector3fParameter.h"
#include "test_SceneFixtures.h"
#include "wml/DeprecatedSerializer.h"
#include "wml/Serializer.h"

using namespace vynui;
using kilnform_test::FramedObject;
using kilnform_test::Near;
using kilnform_test::RecordingListener;
using V3 = Wml::Vector3<float>;

namespace {

// The targets do not keep exactly what they are given, so a cache taken from
// the argument instead of ReadValue shows.
struct IntParam : GenericIntegerParameter {
    int target = 0, applied = 0, min = -5, max = 10;
    explicit IntParam(const std::string& name = "Count") : GenericIntegerParameter(name) {}
    void GetRange(int& lo, int& hi) override { lo = min, hi = max; }
    void ApplyValue(int v) override { target = v - v % 2, ++applied; }  // keeps even values
    int ReadValue() override { return target; }
};
struct FloatParam : GenericFloatParameter {
    float target = 1.0f, min = -1.0f, max = 4.0f;
    bool ownRange = true;
    explicit FloatParam(const std::string& name = "Radius") : GenericFloatParameter(name) {}
    void GetRange(float& lo, float& hi) override
    {
        if (ownRange)
            lo = min, hi = max;
        else
            GenericFloatParameter::GetRange(lo, hi);
    }
    void ApplyValue(float v) override { target = std::round(v * 2.0f) / 2.0f; }  // half steps
    float ReadValue() override { return target; }
};
struct TextParam : GenericStringParameter {
    std::string target;
    TextParam() : GenericStringParameter("Label") {}
    bool IsValid(const std::string& v) override { return v.find('/') == std::string::npos; }
    void ApplyValue(const std::string& v) override { target = v; }
    std::string ReadValue() override { return target; }
};
struct CapStyle : GenericNamedIntParameter {
    int target = 0;
    CapStyle() : GenericNamedIntParameter("CapStyle")
    {
        AddValueName(0, "FlatRound");
        AddValueName(1, "Blobby");
        AddValueName(2, "FlatSharp");
    }
    void ApplyValue(int v) override { target = v; }
    int ReadValue() override { return target; }
};
struct VecParam : GenericVector3fParameter {
    V3 target;
    int applied = 0;
    explicit VecParam(const std::string& name = "Offset") : GenericVector3fParameter(name) {}
    void ApplyValue(const V3& v) override { target = v * 2.0f, ++applied; }  // doubles
    V3 ReadValue() override { return target; }
};

// One parameter of every kind in one list.
struct AllKinds {
    IntParam i;
    FloatParam f;
    TextParam s;
    CapStyle c;
    VecParam v;
    ParameterList list;
    AllKinds()
    {
        for (IParameter* p : std::vector<IParameter*>{&i, &f, &s, &c, &v}) list.Add(p);
    }
};

std::string Text(IParameter& p)
{
    std::string s;
    p.GetValueAsText(s);
    return s;
}

class ScopedFileVersion {
public:
    explicit ScopedFileVersion(const FileVersion& v) : m_saved(GetFileVersion()) { SetFileVersion(v); }
    ~ScopedFileVersion() { SetFileVersion(m_saved); }

private:
    FileVersion m_saved;
};

}  // namespace

// ---------------------------------------------------------------- value flow per kind

TEST(IntegerParameter, RangeCacheAndStrtolText)
{
    IntParam p;
    p.SetIntValue(7);
    EXPECT_EQ(p.GetCachedValue(), 6);  // re-read from the target, not the argument
    p.SetIntValue(11);
    p.SetIntValue(-6);
    EXPECT_EQ(p.applied, 1);
    // The getter and the text answer the live value; the cache waits for Refresh.
    p.target = 4;
    EXPECT_EQ(Text(p), "4");
    EXPECT_EQ(p.GetCachedValue(), 6);
    p.Refresh();
    EXPECT_EQ(p.GetCachedValue(), 4);

    for (const char* ignored : {"abc", "", "12"}) p.SetValueFromText(ignored);
    EXPECT_EQ(p.target, 4);
    p.SetValueFromText("0");
    EXPECT_EQ(p.target, 0);
    p.SetValueFromText("  -4xyz");
    EXPECT_EQ(p.target, -4);

    // Beyond int: refused rather than wrapped or clamped.
    p.min = INT_MIN, p.max = INT_MAX;
    p.SetValueFromText("2147483648");
    p.SetValueFromText("-99999999999999999999");
    EXPECT_EQ(p.target, -4);
    p.SetValueFromText("-2147483648");
    EXPECT_EQ(p.target, INT_MIN);
}

TEST(FloatParameter, RangeTextAndFormatting)
{
    FloatParam p;
    EXPECT_EQ(p.GetMinimum(), -1.0f);
    EXPECT_EQ(p.GetMaximum(), 4.0f);
    p.SetFloatValue(2.3f);
    EXPECT_EQ(p.GetCachedValue(), 2.5f);
    EXPECT_EQ(Text(p), "2.500000");
    p.SetValueFromText("abc");
    EXPECT_EQ(p.target, 2.5f);
    p.SetValueFromText("0");
    EXPECT_EQ(p.target, 0.0f);
    for (const char* ignored : {"4.5", "1e39", "nan", "inf"}) p.SetValueFromText(ignored);
    EXPECT_EQ(p.target, 0.0f);

    // A subclass range that does not exclude NaN or infinity by itself.
    p.min = -INFINITY, p.max = INFINITY;
    p.SetFloatValue(std::nanf(""));
    p.SetFloatValue(INFINITY);
    EXPECT_EQ(p.target, 0.0f);

    // The default range starts above zero.
    p.ownRange = false;
    p.SetValueFromText("0");
    p.SetFloatValue(-2.0f);
    EXPECT_EQ(p.target, 0.0f);
    p.SetFloatValue(1.0e38f);
    EXPECT_EQ(Text(p).size(), 45u);  // 38 digits, the point and 6 decimals
}

TEST(RangedParameters, TheConstructorsRangeIsTheValidityTest)
{
    struct Width : GenericFloatParameter {
        float target = 1.0f;
        Width() : GenericFloatParameter("Width", 0.0f, 2.0f, true) {}
        void ApplyValue(float v) override { target = v; }
        float ReadValue() override { return target; }
    } width;
    EXPECT_EQ(width.GetMinimum(), 0.0f);
    EXPECT_EQ(width.GetMaximum(), 2.0f);
    EXPECT_TRUE(width.IsExcluded());
    // Zero is inside this range, unlike the default one.
    width.SetValueFromText("0");
    EXPECT_EQ(width.target, 0.0f);
    for (float refused : {2.5f, -0.1f, std::nanf(""), INFINITY}) width.SetFloatValue(refused);
    EXPECT_EQ(width.target, 0.0f);
    width.SetFloatValue(2.0f);
    EXPECT_EQ(width.GetCachedValue(), 2.0f);

    struct Steps : GenericIntegerParameter {
        int target = 0;
        Steps() : GenericIntegerParameter("Steps", -3, 3) {}
        void ApplyValue(int v) override { target = v; }
        int ReadValue() override { return target; }
    } steps;
    int lo = 0, hi = 0;
    steps.GetRange(lo, hi);
    EXPECT_EQ(lo, -3);
    EXPECT_EQ(hi, 3);
    EXPECT_FALSE(steps.IsExcluded());
    steps.SetIntValue(-3);
    steps.SetIntValue(4);
    steps.SetValueFromText("-4");
    EXPECT_EQ(steps.target, -3);
}

TEST(StringAndNamedParameters, TextNamesAndErrorText)
{
    TextParam s;
    s.SetValueFromText("  spaced 12 ");
    EXPECT_EQ(s.target, "  spaced 12 ");
    s.SetStringValue("a/b");  // invalid
    EXPECT_EQ(Text(s), "  spaced 12 ");
    EXPECT_EQ(s.GetIntValue(), 0);  // kinds answer neutrally for what they lack
    std::string v;
    s.GetVectorValue(v);
    EXPECT_EQ(v, "");

    CapStyle c;
    c.SetIntValue(1);
    EXPECT_EQ(Text(c), "Blobby");
    c.SetIntValue(3);  // has no name
    EXPECT_EQ(c.target, 1);
    c.SetValueFromText("2");
    EXPECT_EQ(Text(c), "FlatSharp");
    c.SetValueFromText("Blobby");  // the shown text can be written back
    c.SetValueFromText("blobby");
    EXPECT_EQ(c.target, 1);
    c.target = 7;
    c.Refresh();
    EXPECT_EQ(Text(c), "ERROR!");
}

TEST(VectorParameter, ThreeFiniteNumbersOrNothing)
{
    VecParam p;
    p.SetValueFromText("1 2.5 -3");
    EXPECT_TRUE(Near(p.target, V3(2, 5, -6)));
    EXPECT_EQ(p.GetCachedText(), "2.0000 5.0000 -6.0000");
    for (const char* ignored : {"1 2", "x y z", "nan 1 2", "1 inf 2", ""}) p.SetValueFromText(ignored);
    EXPECT_EQ(p.applied, 1);
    p.target = V3(0.5f, -0.0f, 1);  // reading re-reads the target
    std::string s;
    p.GetVectorValue(s);
    EXPECT_EQ(s, "0.5000 0.0000 1.0000");
}

// ---------------------------------------------------------------- records and copies

TEST(ParameterRecords, CurrentFormatRoundTripAndHostileValues)
{
    AllKinds a;
    a.i.target = 4, a.f.target = 3.5f, a.s.target = "hello <world> & \"more\"", a.c.target = 2;
    a.v.target = V3(1, -2, 3);
    Wml::SerializerRecord record(1, "Test");
    EXPECT_TRUE(a.list.Store(&record));
    EXPECT_EQ(record.GetKeys(), (std::vector<std::string>{"Count", "Radius", "Label", "CapStyle", "Offset"}));
    int iv = 0;
    EXPECT_FALSE(record.GetValue("Radius", iv, -1));  // a float, not an int

    AllKinds b;
    EXPECT_TRUE(b.list.Restore(&record));
    EXPECT_EQ(b.i.target, 4);
    EXPECT_EQ(b.f.target, 3.5f);
    EXPECT_EQ(b.s.target, a.s.target);
    EXPECT_EQ(b.c.target, 2);
    EXPECT_TRUE(Near(b.v.target, V3(2, -4, 6)));  // through ApplyValue

    // Values the parameters refuse, and missing keys, change nothing.
    Wml::SerializerRecord hostile(2, "Test");
    hostile.SetValue("Count", 50);
    hostile.SetValue("CapStyle", 9);
    hostile.SetValue("Radius", std::nanf(""));
    hostile.SetValue("Offset", V3(INFINITY, 0, 0));
    EXPECT_TRUE(b.list.Restore(&hostile));
    EXPECT_EQ(b.i.target, 4);
    EXPECT_EQ(b.c.target, 2);
    EXPECT_EQ(b.f.target, 3.5f);
    EXPECT_EQ(b.s.target, a.s.target);
    EXPECT_TRUE(Near(b.v.target, V3(2, -4, 6)));
    EXPECT_FALSE(b.list.Restore(nullptr));
}

TEST(ParameterRecords, OlderFormatKeepsNumbersOnly)
{
    AllKinds a;
    a.i.target = -4, a.f.target = 0.5f, a.s.target = "label", a.c.target = 1;
    WmlDeprecated::SerializerRecord record(7, 1001);
    a.list.StoreOld(&record);
    std::string text;
    EXPECT_TRUE(record.GetValue("Label", text, std::string()));
    EXPECT_EQ(text, "label");
    V3 unused;
    EXPECT_FALSE(record.GetValue("Offset", unused, V3::ZERO));

    AllKinds b;
    b.list.RestoreOld(&record);
    EXPECT_EQ(b.i.target, -4);
    EXPECT_EQ(b.f.target, 0.5f);
    EXPECT_EQ(b.c.target, 1);
    EXPECT_EQ(b.s.target, "");  // strings are not read back from the older format
    EXPECT_EQ(b.v.applied, 0);
}

TEST(ParameterList, CopyValuesMatchesNameAndType)
{
    AllKinds to;
    FloatParam countAsFloat("Count");  // same name, other type: skipped
    IntParam firstCount, secondCount;
    FloatParam radiusLower("radius");  // names are case-sensitive
    CapStyle cap;
    VecParam offset;
    ParameterList from;
    for (IParameter* p :
         std::vector<IParameter*>{&countAsFloat, &firstCount, &secondCount, &radiusLower, &cap, &offset})
        from.Add(p);
    countAsFloat.target = 3.0f, firstCount.target = 8, secondCount.target = 2, radiusLower.target = 2.0f;
    cap.target = 2;
    cap.Refresh();
    offset.target = V3(1, 2, 3);

    to.list.CopyValuesFrom(from);
    EXPECT_EQ(to.i.target, 8);
    EXPECT_EQ(to.f.target, 1.0f);
    EXPECT_EQ(to.c.target, 2);  // copied through its name
    EXPECT_TRUE(Near(to.v.target, V3(2, 4, 6)));
}

// ---------------------------------------------------------------- frame and name parameters

TEST(FrameParameters, PositionOrientationScaleAndCoordinates)
{
    FramedObject o;
    BasicParameterOrigin position(&o);
    BasicParameterOrientation orientation(&o);
    BasicParameterScale scale(&o);
    BasicParameterOriginCoordinate y("Y", &o, 1, true), bad("W", &o, 3);
    EXPECT_TRUE(y.IsExcluded());
    EXPECT_FALSE(position.IsExcluded());
    RecordingListener listener;
    o.AddListener(&listener);

    position.SetValueFromText("1 2 3");
    EXPECT_TRUE(Near(o.frame.Origin(), V3(1, 2, 3)));
    orientation.SetValueFromText("90 0 0");
    orientation.SetValueFromText("90 0 0");  // absolute: no accumulation
    EXPECT_EQ(Text(orientation), "90.0000 0.0000 0.0000");
    scale.SetValueFromText("2 3 4");
    EXPECT_TRUE(Near(o.frame.Scale(), V3(2, 3, 4)));
    EXPECT_EQ(listener.Kinds(), (std::vector<int>{0, 1, 1, 2}));
    EXPECT_FALSE(listener.entries[1].relative);

    y.SetFloatValue(-7.0f);
    EXPECT_TRUE(Near(o.frame.Origin(), V3(1, -7, 3)));
    y.SetValueFromText("100001");
    y.SetFloatValue(-100000.5f);
    EXPECT_EQ(y.GetFloatValue(), -7.0f);
    y.SetValueFromText("100000");
    EXPECT_EQ(o.frame.Origin().Y(), 100000.0f);
    EXPECT_EQ(bad.GetFloatValue(), 0.0f);
    bad.SetFloatValue(1.0f);
    EXPECT_TRUE(Near(o.frame.Origin(), V3(1, 100000, 3)));
    y.ApplyValue(std::numeric_limits<float>::quiet_NaN());  // as playback or undo would
    EXPECT_TRUE(Near(o.frame.Origin(), V3(1, 100000, 3)));
}

TEST(FrameParameters, OrientationFromFilesBefore301IsTransposed)
{
    auto restore = [](const FileVersion& version, const V3& stored, FramedObject& o) {
        ScopedFileVersion scoped(version);
        BasicParameterOrientation p(&o);
        Wml::SerializerRecord record(1, "Test");
        record.SetValue("Orientation", stored);
        EXPECT_TRUE(p.Restore(&record));
        return p.GetCachedValue();
    };
    FramedObject o;
    EXPECT_TRUE(Near(restore(FileVersion(3, 0, 0), V3(90, 0, 0), o), V3(-90, 0, 0), 1e-3f));
    for (FileVersion v : {FileVersion(3, 0, 1), FileVersion(3, 1, 0), FileVersion(4, 0, 0)})
        EXPECT_TRUE(Near(restore(v, V3(90, 0, 0), o), V3(90, 0, 0), 1e-3f)) << v.ToString();

    // 2.9.9 is older although its minor and revision are larger; the object
    // ends with the transposed rotation.
    restore(FileVersion(2, 9, 9), V3(10, 20, 30), o);
    Wml::Matrix3<float> stored;
    const float k = Wml::Math<float>::DEG_TO_RAD;
    stored.FromEulerAnglesXYZ(10 * k, 20 * k, 30 * k);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(o.frame.GetRotation()(r, c), stored(c, r), 1e-5f);

    // A missing key changes nothing.
    const Wml::Matrix3<float> before = o.frame.GetRotation();
    BasicParameterOrientation p(&o);
    Wml::SerializerRecord empty(3, "Test");
    EXPECT_TRUE(p.Restore(&empty));
    EXPECT_EQ(o.frame.GetRotation(), before);

    FileVersion v;
    EXPECT_TRUE(v.Parse("3.0.1"));
    EXPECT_EQ(v, FileVersion::Current());
    for (const char* bad : {"3.0", "a.b.c", "99999999999.0.0"}) EXPECT_FALSE(v.Parse(bad));
}

TEST(NameParameter, RenamesOnlyToFreeNamesAndStoresTheCurrentName)
{
    SceneObject o, other;
    o.InitializeParameters();
    ASSERT_EQ(o.GetParameterList()->GetCount(), 1u);
    IParameter* name = o.GetParameterList()->Get(0);
    EXPECT_EQ(name->GetName(), "Name");
    EXPECT_EQ(Text(*name), o.GetName());  // filled when added

    RecordingListener listener;
    o.AddListener(&listener);
    const std::string old = o.GetName();
    name->SetValueFromText(other.GetName());
    EXPECT_EQ(Text(*name), old);
    EXPECT_EQ(listener.Kinds(), std::vector<int>{-1});  // told even when refused
    name->SetValueFromText("NameParameterTest_Fresh");
    EXPECT_EQ(o.GetName(), "NameParameterTest_Fresh");

    // Renamed behind the parameter's back: the record still gets the name.
    ASSERT_TRUE(o.SetName("NameParameterTest_Direct"));
    Wml::SerializerRecord record(1, "SceneObject");
    name->Store(&record);
    std::string stored;
    record.GetValue("Name", stored, std::string());
    EXPECT_EQ(stored, "NameParameterTest_Direct");
}

TEST(SceneObjectRecords, IdentityThenParametersInOrder)
{
    auto make = [](FramedObject& o) {
        o.AddParameter(new BasicParameterOrigin(&o));
        o.AddParameter(new BasicParameterOrientation(&o));
        o.AddParameter(new BasicParameterScale(&o));
        o.InitializeParameters();
    };
    FramedObject o, copy;
    make(o);
    make(copy);
    o.frame.Origin() = V3(1, 2, 3);
    o.frame.Scale() = V3(2, 2, 2);

    Wml::SerializerRecord record(5, o.GetTypeName());
    ASSERT_TRUE(o.Store(nullptr, &record));
    EXPECT_EQ(record.GetKeys(),
              (std::vector<std::string>{"ObjectID", "TypeName", "Position", "Orientation", "Scale", "Name"}));
    unsigned int id = 0;
    EXPECT_TRUE(record.GetValue("ObjectID", id, 0u));
    EXPECT_EQ(id, o.GetObjectID());

    ASSERT_TRUE(copy.Restore(nullptr, &record));
    EXPECT_TRUE(Near(copy.frame.Origin(), V3(1, 2, 3)));
    EXPECT_TRUE(Near(copy.frame.Scale(), V3(2, 2, 2)));
    EXPECT_NE(copy.GetName(), o.GetName());  // the original holds the name
    EXPECT_FALSE(copy.Store(nullptr, nullptr));
}
