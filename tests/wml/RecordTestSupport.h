#pragma once
// Shared by the record file tests: a scratch folder, whole-file helpers, a
// record holding every kind of awkward value, a bitwise record comparison and
// the random damage applied by the fuzz tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"
#include "wml/Matrix3.h"
#include "wml/Serializer.h"

namespace RecordTest {

using namespace Wml;

using TempDir = kftest::TempFolder;

inline std::string Slurp(const std::string& path)
{
    return kftest::ReadFile(path);
}

inline void Spit(const std::string& path, const std::string& data)
{
    // A new file rather than a truncated one: the file system flushes a
    // truncated file to disk, which makes thousands of variants slow.
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), std::streamsize(data.size()));
}

inline bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline Frame3<float> TurnedFrame()
{
    Frame3<float> frame(Vector3<float>(1.5f, -2.25f, 1e-7f));
    Matrix3<float> m;
    m.FromEulerAnglesXYZ(0.3f, -1.1f, 2.0f);
    frame.SetRotation(m, true);
    frame.SetScale(Vector3<float>(2.0f, 0.5f, 3.0f));
    return frame;
}

// Every kind of field, with the values most likely to be lost on the way.
inline void FillEverything(SerializerRecord& r)
{
    r.SetValue("uint", 4294967295u);
    r.SetValue("int", std::numeric_limits<int>::min());
    r.SetValue("tiny", 1e-38f);
    r.SetValue("huge", 3.4e38f);
    r.SetValue("negzero", -0.0f);
    r.SetValue("denormal", std::numeric_limits<float>::denorm_min());
    r.SetValue("third", 1.0f / 3.0f);
    r.SetValue("empty", std::string());
    r.SetValue("xml", std::string("<a href=\"x\">&amp;</a> 'q'"));
    r.SetValue("utf8", std::string("Gr\xC3\xB6\xC3\x9F"
                                   "e \xE2\x82\xAC"));
    r.SetValue("bytes", std::string("\xFF\xFE\x01\n\r\t", 6) + std::string(1, '\0') + "z");
    r.SetValue("blanks", std::string("  padded  "));
    r.SetValue("v2", Vector2<float>(-1.5f, 1e30f));
    r.SetValue("v3", Vector3<float>(0.1f, 0.2f, 0.3f));
    r.SetValue("frame", TurnedFrame());
    r.SetValue("uints", std::vector<unsigned int>{0u, 7u, 4294967295u});
    r.SetValue("floats", std::vector<float>{0.1f, -0.0f, 1e-45f});
    r.SetValue("noFloats", std::vector<float>());
    r.SetValue("points2", std::vector<Vector2<float>>{Vector2<float>(1, 2), Vector2<float>(3, 4)});
    r.SetValue("points3", std::vector<Vector3<float>>{Vector3<float>(1, 2, 3)});
    r.SetValue("noPoints3", std::vector<Vector3<float>>());
}

// Same keys in the same order, same kinds, same bits.
inline ::testing::AssertionResult SameFields(const SerializerRecord& a, const SerializerRecord& b)
{
    const auto& fa = a.GetFields();
    const auto& fb = b.GetFields();
    if (fa.size() != fb.size())
        return ::testing::AssertionFailure() << fa.size() << " vs " << fb.size() << " fields";
    for (std::size_t i = 0; i < fa.size(); ++i) {
        const SerializerValue& va = fa[i].second;
        const SerializerValue& vb = fb[i].second;
        bool floatsSame = va.floats.size() == vb.floats.size() &&
                          std::equal(va.floats.begin(), va.floats.end(), vb.floats.begin(), SameBits);
        if (fa[i].first != fb[i].first || va.kind != vb.kind || va.u != vb.u || va.i != vb.i ||
            !SameBits(va.f, vb.f) || va.s != vb.s || va.uints != vb.uints || !floatsSame)
            return ::testing::AssertionFailure() << "field " << i << " ('" << fa[i].first << "') differs";
    }
    return ::testing::AssertionSuccess();
}

// One to four random edits: overwrite a byte, cut the rest, copy a range
// elsewhere, or erase a range.
inline void Mutate(std::string& data, std::mt19937& random)
{
    int edits = 1 + int(random() % 4);
    for (int e = 0; e < edits && !data.empty(); ++e) {
        std::size_t at = random() % data.size();
        switch (random() % 4) {
            case 0:
                data[at] = char(random());
                break;
            case 1:
                data.resize(at);
                break;
            case 2:
                data.insert(random() % data.size(), data.substr(at, random() % 64));
                break;
            default:
                data.erase(at, random() % 16);
                break;
        }
    }
}

}  // namespace RecordTest
