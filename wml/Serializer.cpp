// The record serializer and its XML file format.
//
// Layout (UTF-8, indented so that a person can read it):
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <KilnformRecords version="1">
//     <Record id="1" type="FormatVersion">
//       <Field key="FileType" kind="string">KilnformSceneFile</Field>
//       <Field key="Count" kind="uint">3</Field>
//       <Field key="Offset" kind="int">-2</Field>
//       <Field key="Radius" kind="float">0.1</Field>
//       <Field key="At" kind="vector2">1 2</Field>
//       <Field key="Position" kind="vector3">1 2 3</Field>
//       <Field key="NodeFrame" kind="frame3">ox oy oz sx sy sz r00 r01 r02 r10 r11 r12 r20 r21 r22</Field>
//       <Field key="Children" kind="uint_array" count="2">4 5</Field>
//       <Field key="Weights" kind="float_array" count="0"/>
//       <Field key="Outline" kind="vector2_array" count="2">x0 y0 x1 y1</Field>
//       <Field key="Points" kind="vector3_array" count="1">x0 y0 z0</Field>
//       <Polygon count="3">x0 y0 x1 y1 x2 y2</Polygon>
//       <Spline3 degree="3" closed="0">
//         <ControlPoints count="4">x0 y0 z0 ...</ControlPoints>
//         <Knots count="8">k0 k1 ...</Knots>
//       </Spline3>
//     </Record>
//   </KilnformRecords>
//
// Records appear in creation order, fields in the order their keys were first
// set, then the record's polygons, then its splines, each in append order.
// Numbers are written in the shortest form that reads back to the same value
// ("nan", "inf", "-inf" included), independent of the C locale. A frame is
// its origin, its scale and the rows of its rotation (the axes). A spline
// without Knots is rebuilt with uniform knots (that is how a spline that was
// never valid is kept). Strings, keys and type names that are valid UTF-8
// without control characters (and, for strings, without leading or trailing
// blanks) are written as they are; any other byte string is written as hex
// digits instead: <Field key="Raw" kind="string" encoding="hex">00ff</Field>,
// keyHex="..." for a key, typeHex="..." for a type name.
//
// Reading refuses the whole file (Read false, no records, GetLastError says
// where) for anything that does not fit this layout: XML that does not parse,
// another root element or version, an unknown element or kind, a missing or
// malformed id, duplicate record IDs or duplicate keys within a record, a
// number that is not a number or is out of range, a count that disagrees
// with the values given, a frame with NaN or infinity, a polygon or spline
// the geometry classes refuse, names, strings or counts of records and fields
// beyond the caps of RecordFileIO.h. A file
// is not half-read: one damaged field means the data cannot be trusted.
// Write refuses, symmetrically, records that Read would refuse, so a save that
// succeeds can always be loaded again.

#include "wml/Serializer.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <sstream>

#include "wml/RecordFileIO.h"

namespace Wml {

namespace {

const char* const ROOT_NAME = "KilnformRecords";
const char* const FORMAT_VERSION = "1";

struct KindName {
    SerializerValue::Kind kind;
    const char* name;
    std::size_t floatsPerElement;  // 0 for the non-float kinds
    bool isArray;
};

const KindName KIND_NAMES[] = {
    {SerializerValue::UInt, "uint", 0, false},
    {SerializerValue::Int, "int", 0, false},
    {SerializerValue::Float, "float", 1, false},
    {SerializerValue::String, "string", 0, false},
    {SerializerValue::Vector2f, "vector2", 2, false},
    {SerializerValue::Vector3f, "vector3", 3, false},
    {SerializerValue::Frame3f, "frame3", 15, false},
    {SerializerValue::UIntArray, "uint_array", 0, true},
    {SerializerValue::FloatArray, "float_array", 1, true},
    {SerializerValue::Vector2fArray, "vector2_array", 2, true},
    {SerializerValue::Vector3fArray, "vector3_array", 3, true},
};

const KindName* FindKind(SerializerValue::Kind kind)
{
    for (const KindName& k : KIND_NAMES)
        if (k.kind == kind) return &k;
    return nullptr;
}

const KindName* FindKind(const char* name)
{
    for (const KindName& k : KIND_NAMES)
        if (std::strcmp(k.name, name) == 0) return &k;
    return nullptr;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Valid UTF-8 (shortest forms, no surrogates) without control characters.
bool IsPlainText(const std::string& s)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char* end = p + s.size();
    while (p < end) {
        unsigned char c = *p;
        if (c < 0x20 || c == 0x7F) return false;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        unsigned int cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra) return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || (cp >= 0x80 && cp <= 0x9F))
            return false;
        p += extra + 1;
    }
    return true;
}

bool IsPlainString(const std::string& s)
{
    if (!s.empty() && (IsBlank(s.front()) || IsBlank(s.back()))) return false;
    return IsPlainText(s);
}

std::string ToHex(const std::string& s)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(s.size() * 2);
    for (unsigned char c : s) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// ---- reading ----------------------------------------------------------------

class XmlReader {
public:
    explicit XmlReader(std::string& error) : m_error(error) {}

    bool ReadDocument(const pugi::xml_node& root, std::vector<std::unique_ptr<SerializerRecord>>& records)
    {
        if (std::strcmp(root.name(), ROOT_NAME) != 0)
            return Fail(std::string("not a record file (root element '") + Clip(root.name()) + "')");
        const char* version = root.attribute("version").value();
        if (std::strcmp(version, FORMAT_VERSION) != 0)
            return Fail(std::string("unsupported record file version '") + Clip(version) + "'");

        std::set<unsigned int> ids;
        for (pugi::xml_node node = root.first_child(); node; node = node.next_sibling()) {
            if (!CheckElement(node, "Record")) return false;
            if (records.size() >= RecordFileIO::MAX_RECORDS) return Fail("too many records");
            std::unique_ptr<SerializerRecord> record;
            if (!ReadRecord(node, record)) return false;
            if (!ids.insert(record->GetID()).second)
                return Fail("record ID " + std::to_string(record->GetID()) + " appears twice");
            records.push_back(std::move(record));
        }
        return true;
    }

private:
    bool Fail(const std::string& message)
    {
        m_error = m_where.empty() ? message : m_where + ": " + message;
        return false;
    }

    // Keeps hostile names from making huge error messages.
    static std::string Clip(const char* s)
    {
        std::string out(s, strnlen(s, 64));
        if (s[out.size()] != '\0') out += "...";
        return out;
    }

    bool CheckElement(const pugi::xml_node& node, const char* expected)
    {
        if (node.type() != pugi::node_element)
            return Fail(std::string("unexpected text where <") + expected + "> belongs");
        if (std::strcmp(node.name(), expected) != 0)
            return Fail(std::string("unexpected element <") + Clip(node.name()) + ">");
        return true;
    }

    // A name given either as plain text in attribute plainName or as hex in
    // plainName + "Hex".
    bool ReadName(const pugi::xml_node& node, const char* plainName, std::string& out)
    {
        std::string hexName = std::string(plainName) + "Hex";
        pugi::xml_attribute plain = node.attribute(plainName);
        pugi::xml_attribute hex = node.attribute(hexName.c_str());
        if (plain && hex) return Fail(std::string("both ") + plainName + " and " + hexName + " given");
        if (!plain && !hex) return Fail(std::string("missing ") + plainName);
        if (plain) {
            std::size_t n = std::strlen(plain.value());
            if (n > RecordFileIO::MAX_NAME_BYTES) return Fail(std::string(plainName) + " too long");
            out.assign(plain.value(), n);
            return true;
        }
        return DecodeHex(hex.value(), RecordFileIO::MAX_NAME_BYTES, out);
    }

    bool DecodeHex(const char* text, std::size_t maxBytes, std::string& out)
    {
        std::size_t n = std::strlen(text);
        if (n % 2 != 0) return Fail("hex text of odd length");
        if (n / 2 > maxBytes) return Fail("hex text too long");
        out.clear();
        out.reserve(n / 2);
        for (std::size_t i = 0; i < n; i += 2) {
            int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
            if (hi < 0 || lo < 0) return Fail("bad hex digit");
            out.push_back(static_cast<char>(hi * 16 + lo));
        }
        return true;
    }

    bool ReadRecord(const pugi::xml_node& node, std::unique_ptr<SerializerRecord>& record)
    {
        m_where.clear();
        const char* idText = node.attribute("id").value();
        unsigned int id = 0;
        if (!RecordFileIO::ParseUInt(idText, idText + std::strlen(idText), id) || id == 0)
            return Fail(std::string("record with a bad id '") + Clip(idText) + "'");
        m_where = "record " + std::to_string(id);
        std::string type;
        if (!ReadName(node, "type", type)) return false;
        record.reset(new SerializerRecord(id, type));

        std::set<std::string> keys;
        std::string recordWhere = m_where;
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            m_where = recordWhere;
            if (child.type() != pugi::node_element) return Fail("unexpected text in a record");
            if (++m_entries > RecordFileIO::MAX_ENTRIES) return Fail("too many fields");
            if (std::strcmp(child.name(), "Field") == 0) {
                std::string key;
                if (!ReadName(child, "key", key)) return false;
                m_where = recordWhere + ", field '" + Clip(key.c_str()) + "'";
                if (!keys.insert(key).second) return Fail("key appears twice");
                SerializerValue value;
                if (!ReadField(child, value)) return false;
                record->SetField(key, value);
            } else if (std::strcmp(child.name(), "Polygon") == 0) {
                m_where = recordWhere + ", polygon " + std::to_string(record->GetNumPolygons());
                std::vector<float> xy;
                if (!ReadNumbers(child, 2, xy)) return false;
                std::vector<Vector2<float>> vertices(xy.size() / 2);
                for (std::size_t i = 0; i < vertices.size(); ++i) vertices[i] = Vector2<float>(&xy[2 * i]);
                Polygon2<float> polygon;
                if (!polygon.SetVertices(vertices)) return Fail("vertex is not finite");
                record->AppendPolygon(polygon);
            } else if (std::strcmp(child.name(), "Spline3") == 0) {
                m_where = recordWhere + ", spline " + std::to_string(record->GetNumSplines3());
                Spline3<float> spline;
                if (!ReadSpline(child, spline)) return false;
                record->AppendSpline3(spline);
            } else {
                return Fail(std::string("unexpected element <") + Clip(child.name()) + ">");
            }
        }
        m_where.clear();
        return true;
    }

    // The value text must be the element's only content.
    bool ValueText(const pugi::xml_node& node, const char*& text)
    {
        text = "";
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if ((child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata) ||
                child != node.first_child())
                return Fail("unexpected content");
            text = child.value();
        }
        return true;
    }

    // Splits text into blank-separated tokens; false when there are more
    // than maxTokens (so hostile text is never stored token by token).
    static bool Tokens(const char* text, std::size_t maxTokens,
                       std::vector<std::pair<const char*, const char*>>* out, std::size_t& count)
    {
        count = 0;
        const char* p = text;
        while (true) {
            while (IsBlank(*p)) ++p;
            if (!*p) return true;
            const char* begin = p;
            while (*p && !IsBlank(*p)) ++p;
            if (++count > maxTokens) return false;
            if (out) out->emplace_back(begin, p);
        }
    }

    // floatsPerElement numbers per element; with a count attribute for
    // arrays. The count is only trusted once the text is seen to hold that
    // many numbers.
    bool ReadFloats(const char* text, std::size_t expected, std::vector<float>& out)
    {
        std::size_t found = 0;
        if (!Tokens(text, expected, nullptr, found) || found != expected)
            return Fail("expected " + std::to_string(expected) + " numbers, found " +
                        (found > expected ? "more" : std::to_string(found)));
        out.clear();
        out.reserve(expected);
        const char* p = text;
        for (std::size_t i = 0; i < expected; ++i) {
            while (IsBlank(*p)) ++p;
            const char* begin = p;
            while (*p && !IsBlank(*p)) ++p;
            float f;
            if (!RecordFileIO::ParseFloat(begin, p, f))
                return Fail("'" + std::string(begin, std::min<std::size_t>(p - begin, 32)) +
                            "' is not a number");
            out.push_back(f);
        }
        return true;
    }

    bool ReadCount(const pugi::xml_node& node, std::size_t perElement, std::size_t& numbers)
    {
        pugi::xml_attribute attr = node.attribute("count");
        if (!attr) return Fail("missing count");
        unsigned int count = 0;
        const char* v = attr.value();
        if (!RecordFileIO::ParseUInt(v, v + std::strlen(v), count)) return Fail("bad count");
        numbers = std::size_t(count) * perElement;
        return true;
    }

    bool ReadNumbers(const pugi::xml_node& node, std::size_t perElement, std::vector<float>& out)
    {
        std::size_t numbers = 0;
        const char* text;
        return ReadCount(node, perElement, numbers) && ValueText(node, text) &&
               ReadFloats(text, numbers, out);
    }

    bool ReadField(const pugi::xml_node& node, SerializerValue& value)
    {
        const KindName* kind = FindKind(node.attribute("kind").value());
        if (!kind) return Fail(std::string("unknown kind '") + Clip(node.attribute("kind").value()) + "'");
        value.kind = kind->kind;
        const char* text;
        if (!ValueText(node, text)) return false;

        switch (kind->kind) {
            case SerializerValue::String: {
                const char* encoding = node.attribute("encoding").value();
                if (std::strcmp(encoding, "hex") == 0)
                    return DecodeHex(text, RecordFileIO::MAX_STRING_BYTES, value.s);
                if (*encoding) return Fail(std::string("unknown encoding '") + Clip(encoding) + "'");
                std::size_t n = std::strlen(text);
                if (n > RecordFileIO::MAX_STRING_BYTES) return Fail("string too long");
                value.s.assign(text, n);
                return true;
            }
            case SerializerValue::UInt:
            case SerializerValue::Int:
            case SerializerValue::UIntArray: {
                std::size_t expected = 1;
                if (kind->isArray && !ReadCount(node, 1, expected)) return false;
                std::size_t found = 0;
                if (!Tokens(text, expected, nullptr, found) || found != expected)
                    return Fail("expected " + std::to_string(expected) + " numbers, found " +
                                (found > expected ? "more" : std::to_string(found)));
                std::vector<std::pair<const char*, const char*>> tokens;
                tokens.reserve(expected);
                Tokens(text, expected, &tokens, found);
                if (kind->kind == SerializerValue::UIntArray) value.uints.reserve(expected);
                for (const auto& t : tokens) {
                    bool ok;
                    if (kind->kind == SerializerValue::Int) {
                        ok = RecordFileIO::ParseInt(t.first, t.second, value.i);
                    } else {
                        unsigned int u = 0;
                        ok = RecordFileIO::ParseUInt(t.first, t.second, u);
                        if (kind->kind == SerializerValue::UInt)
                            value.u = u;
                        else
                            value.uints.push_back(u);
                    }
                    if (!ok)
                        return Fail("'" +
                                    std::string(t.first, std::min<std::size_t>(t.second - t.first, 32)) +
                                    "' is not a valid " + kind->name + " number");
                }
                return true;
            }
            case SerializerValue::Float: {
                std::vector<float> f;
                if (!ReadFloats(text, 1, f)) return false;
                value.f = f[0];
                return true;
            }
            default: {
                std::size_t expected = kind->floatsPerElement;
                if (kind->isArray && !ReadCount(node, kind->floatsPerElement, expected)) return false;
                if (!ReadFloats(text, expected, value.floats)) return false;
                if (kind->kind == SerializerValue::Frame3f)
                    for (float f : value.floats)
                        if (!std::isfinite(f)) return Fail("frame holds a value that is not finite");
                return true;
            }
        }
    }

    bool ReadSpline(const pugi::xml_node& node, Spline3<float>& spline)
    {
        const char* degreeText = node.attribute("degree").value();
        const char* closedText = node.attribute("closed").value();
        int degree = 0;
        if (!RecordFileIO::ParseInt(degreeText, degreeText + std::strlen(degreeText), degree))
            return Fail("bad degree");
        if (std::strcmp(closedText, "0") != 0 && std::strcmp(closedText, "1") != 0)
            return Fail("bad closed flag");
        bool closed = closedText[0] == '1';

        pugi::xml_node pointsNode, knotsNode;
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element) return Fail("unexpected text in a spline");
            pugi::xml_node* slot = std::strcmp(child.name(), "ControlPoints") == 0 ? &pointsNode
                                   : std::strcmp(child.name(), "Knots") == 0       ? &knotsNode
                                                                                   : nullptr;
            if (!slot) return Fail(std::string("unexpected element <") + Clip(child.name()) + ">");
            if (*slot) return Fail(std::string("<") + child.name() + "> given twice");
            *slot = child;
        }
        if (!pointsNode) return Fail("missing control points");
        std::vector<float> xyz;
        if (!ReadNumbers(pointsNode, 3, xyz)) return false;
        std::vector<Vector3<float>> points(xyz.size() / 3);
        for (std::size_t i = 0; i < points.size(); ++i) {
            points[i] = Vector3<float>(&xyz[3 * i]);
            if (!std::isfinite(xyz[3 * i]) || !std::isfinite(xyz[3 * i + 1]) ||
                !std::isfinite(xyz[3 * i + 2]))
                return Fail("control point is not finite");
        }
        if (!knotsNode) {
            spline = Spline3<float>(points, degree, closed);
            return true;
        }
        std::vector<float> knots;
        if (!ReadNumbers(knotsNode, 1, knots)) return false;
        if (knots.empty() || !spline.Set(points, degree, closed, knots))
            return Fail("knots do not make a valid curve");
        return true;
    }

    std::string& m_error;
    std::string m_where;
    std::size_t m_entries = 0;  // fields, polygons and splines so far
};

// ---- writing ----------------------------------------------------------------

class XmlWriter {
public:
    explicit XmlWriter(std::string& error) : m_error(error) {}

    bool Build(const std::vector<std::unique_ptr<SerializerRecord>>& records, pugi::xml_document& doc)
    {
        pugi::xml_node decl = doc.append_child(pugi::node_declaration);
        decl.append_attribute("version") = "1.0";
        decl.append_attribute("encoding") = "UTF-8";
        pugi::xml_node root = doc.append_child(ROOT_NAME);
        root.append_attribute("version") = FORMAT_VERSION;
        for (const auto& record : records)
            if (!WriteRecord(*record, root.append_child("Record"))) return false;
        return true;
    }

private:
    bool Fail(const SerializerRecord& record, const std::string& what)
    {
        m_error = "record " + std::to_string(record.GetID()) + ": " + what;
        return false;
    }

    static void WriteName(pugi::xml_node node, const char* plainName, const std::string& name)
    {
        if (IsPlainText(name) && name.find('\0') == std::string::npos)
            node.append_attribute(plainName) = name.c_str();
        else
            node.append_attribute((std::string(plainName) + "Hex").c_str()) = ToHex(name).c_str();
    }

    static void SetText(pugi::xml_node node, const std::string& text)
    {
        if (!text.empty()) node.append_child(pugi::node_pcdata).set_value(text.c_str());
    }

    static std::string Join(const float* values, std::size_t n)
    {
        std::string text;
        text.reserve(n * 10);
        for (std::size_t i = 0; i < n; ++i) {
            if (i) text.push_back(' ');
            RecordFileIO::AppendFloat(text, values[i]);
        }
        return text;
    }

    bool WriteRecord(const SerializerRecord& record, pugi::xml_node node)
    {
        if (record.GetTypeName().size() > RecordFileIO::MAX_NAME_BYTES)
            return Fail(record, "type name too long");
        node.append_attribute("id") = record.GetID();
        WriteName(node, "type", record.GetTypeName());
        for (const auto& field : record.GetFields())
            if (!WriteField(record, field.first, field.second, node)) return false;
        WritePolygons(record, node);
        return WriteSplines(record, node);
    }

    bool WriteField(const SerializerRecord& record, const std::string& key, const SerializerValue& value,
                    pugi::xml_node node)
    {
        const KindName* kind = FindKind(value.kind);
        if (key.size() > RecordFileIO::MAX_NAME_BYTES) return Fail(record, "key too long");
        if (!kind || !value.IsWellFormed()) return Fail(record, "field '" + key + "' is malformed");
        pugi::xml_node f = node.append_child("Field");
        WriteName(f, "key", key);
        f.append_attribute("kind") = kind->name;
        switch (value.kind) {
            case SerializerValue::UInt:
                SetText(f, std::to_string(value.u));
                return true;
            case SerializerValue::Int:
                SetText(f, std::to_string(value.i));
                return true;
            case SerializerValue::Float:
                SetText(f, RecordFileIO::FormatFloat(value.f));
                return true;
            case SerializerValue::String:
                return WriteString(record, key, value.s, f);
            case SerializerValue::UIntArray:
                WriteUInts(value.uints, f);
                return true;
            default:
                return WriteFloats(record, key, value, *kind, f);
        }
    }

    bool WriteString(const SerializerRecord& record, const std::string& key, const std::string& text,
                     pugi::xml_node f)
    {
        if (text.size() > RecordFileIO::MAX_STRING_BYTES)
            return Fail(record, "field '" + key + "' is too long");
        if (IsPlainString(text)) {
            SetText(f, text);
        } else {
            f.append_attribute("encoding") = "hex";
            SetText(f, ToHex(text));
        }
        return true;
    }

    static void WriteUInts(const std::vector<unsigned int>& values, pugi::xml_node f)
    {
        f.append_attribute("count") = static_cast<unsigned int>(values.size());
        std::string text;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i) text.push_back(' ');
            text += std::to_string(values[i]);
        }
        SetText(f, text);
    }

    // Vectors, frames and the float arrays.
    bool WriteFloats(const SerializerRecord& record, const std::string& key, const SerializerValue& value,
                     const KindName& kind, pugi::xml_node f)
    {
        if (value.kind == SerializerValue::Frame3f)
            for (float x : value.floats)
                if (!std::isfinite(x)) return Fail(record, "frame '" + key + "' is not finite");
        if (kind.isArray)
            f.append_attribute("count") =
                static_cast<unsigned int>(value.floats.size() / kind.floatsPerElement);
        SetText(f, Join(value.floats.data(), value.floats.size()));
        return true;
    }

    static void WritePolygons(const SerializerRecord& record, pugi::xml_node node)
    {
        Polygon2<float> polygon;
        for (unsigned int i = 0; record.GetPolygon(i, polygon); ++i) {
            pugi::xml_node p = node.append_child("Polygon");
            p.append_attribute("count") = polygon.VertexCount();
            std::vector<float> xy;
            xy.reserve(2 * polygon.VertexCount());
            for (const Vector2<float>& v : polygon.Vertices()) xy.insert(xy.end(), {v.X(), v.Y()});
            SetText(p, Join(xy.data(), xy.size()));
        }
    }

    bool WriteSplines(const SerializerRecord& record, pugi::xml_node node)
    {
        Spline3<float> spline;
        for (unsigned int i = 0; record.GetSpline3(i, spline); ++i) {
            pugi::xml_node s = node.append_child("Spline3");
            s.append_attribute("degree") = spline.GetDegree();
            s.append_attribute("closed") = spline.IsClosed() ? "1" : "0";
            std::vector<float> xyz;
            xyz.reserve(3 * spline.GetNumControlPoints());
            for (const Vector3<float>& v : spline.GetControlPoints()) {
                for (int k = 0; k < 3; ++k)
                    if (!std::isfinite(v[k])) return Fail(record, "spline control point is not finite");
                xyz.insert(xyz.end(), {v.X(), v.Y(), v.Z()});
            }
            pugi::xml_node points = s.append_child("ControlPoints");
            points.append_attribute("count") = spline.GetNumControlPoints();
            SetText(points, Join(xyz.data(), xyz.size()));
            // An invalid spline has no knots; it comes back through the
            // uniform-knot constructor, invalid as it was.
            if (spline.IsValid()) {
                const std::vector<float>& knots = spline.GetKnots();
                pugi::xml_node k = s.append_child("Knots");
                k.append_attribute("count") = static_cast<unsigned int>(knots.size());
                SetText(k, Join(knots.data(), knots.size()));
            }
        }
        return true;
    }

    std::string& m_error;
};

// Streams pugixml's output to the temporary file and stops counting past the
// size a reader accepts.
class FileWriter : public pugi::xml_writer {
public:
    explicit FileWriter(std::FILE* file) : m_file(file) {}
    void write(const void* data, size_t size) override
    {
        m_written += size;
        if (m_ok && (m_written > RecordFileIO::MAX_FILE_BYTES || std::fwrite(data, 1, size, m_file) != size))
            m_ok = false;
    }
    bool Ok() const { return m_ok; }
    bool TooLarge() const { return m_written > RecordFileIO::MAX_FILE_BYTES; }

private:
    std::FILE* m_file;
    std::size_t m_written = 0;
    bool m_ok = true;
};

}  // namespace

// ---- Serializer ----------------------------------------------------------------

Serializer::Serializer() = default;
Serializer::~Serializer() = default;

void Serializer::SetFilename(const char* path)
{
    m_filename = path ? path : "";
}

SerializerRecord* Serializer::CreateRecord(const std::string& typeName)
{
    // After reading a file whose IDs reach the top of the range, reuse the
    // lowest free ID rather than wrapping onto one in use.
    unsigned int id = m_nextID;
    if (id == 0 || m_byID.count(id)) {
        id = 1;
        for (const auto& entry : m_byID) {
            if (entry.first != id) break;
            ++id;
        }
        if (id == 0) return nullptr;  // every ID is taken
    }
    m_records.emplace_back(new SerializerRecord(id, typeName));
    SerializerRecord* record = m_records.back().get();
    m_byID[id] = record;
    m_nextID = id + 1;
    return record;
}

SerializerRecord* Serializer::GetRecord(unsigned int index) const
{
    return index < m_records.size() ? m_records[index].get() : nullptr;
}

SerializerRecord* Serializer::FindRecord(unsigned int recordID) const
{
    auto it = m_byID.find(recordID);
    return it == m_byID.end() ? nullptr : it->second;
}

void Serializer::Clear()
{
    m_records.clear();
    m_byID.clear();
    m_readers.clear();
    m_items.clear();
    m_attachments.Clear();
    m_nextID = 1;
}

bool Serializer::Write(const char* path)
{
    m_lastError.clear();
    std::string target = path ? std::string(path) : m_filename;
    if (target.empty()) {
        m_lastError = "no file name given";
        return false;
    }
    pugi::xml_document doc;
    XmlWriter writer(m_lastError);
    if (!writer.Build(m_records, doc)) return false;

    return RecordFileIO::WriteFileAtomically(
        target.c_str(),
        [&](std::FILE* file) {
            FileWriter out(file);
            doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
            if (out.TooLarge())
                m_lastError = "the records would make a file larger than " +
                              std::to_string(RecordFileIO::MAX_FILE_BYTES >> 20) + " MB";
            return out.Ok();
        },
        m_lastError);
}

bool Serializer::Read(const char* path)
{
    std::vector<char> data;
    std::string error;
    if (!RecordFileIO::ReadWholeFile(path, data, 0, error)) {
        Reset();
        m_lastError = error;
        return false;
    }
    if (!Parse(data)) return false;
    // Readers resolve paths stored relative to the file (billboard images).
    m_filename = path;
    return true;
}

bool Serializer::WriteToText(std::string& text)
{
    m_lastError.clear();
    pugi::xml_document doc;
    XmlWriter writer(m_lastError);
    if (!writer.Build(m_records, doc)) return false;
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    text = out.str();
    return true;
}

bool Serializer::ReadFromText(const std::string& text)
{
    if (text.size() > RecordFileIO::MAX_FILE_BYTES) {
        Reset();
        m_lastError = "the text is larger than a record file may be";
        return false;
    }
    std::vector<char> data(text.begin(), text.end());
    return Parse(data);
}

void Serializer::Reset()
{
    m_lastError.clear();
    m_records.clear();
    m_byID.clear();
    m_items.clear();
    m_attachments.Clear();
    m_nextID = 1;
}

bool Serializer::Parse(std::vector<char>& data)
{
    Reset();
    if (data.empty()) {
        m_lastError = "the file is empty";
        return false;
    }

    // The parser's node tree costs far more than the markup it comes from;
    // a file with more markup than the record caps allow is refused before
    // the tree is built. A record needs at most 4 of '<' and '=', a field,
    // polygon or spline at most 10.
    std::size_t markup = 0;
    for (char c : data) markup += (c == '<') + (c == '=');
    if (markup > 4 * RecordFileIO::MAX_RECORDS + 10 * RecordFileIO::MAX_ENTRIES + 64) {
        m_lastError = "too many elements for a record file";
        return false;
    }

    // Parsed in place: no second copy of a large file.
    pugi::xml_document doc;
    pugi::xml_parse_result parsed =
        doc.load_buffer_inplace(data.data(), data.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        m_lastError = std::string("not a valid XML file: ") + parsed.description() + " at byte " +
                      std::to_string(parsed.offset);
        return false;
    }

    std::vector<std::unique_ptr<SerializerRecord>> records;
    XmlReader reader(m_lastError);
    if (!reader.ReadDocument(doc.document_element(), records)) return false;

    m_records = std::move(records);
    unsigned int maxID = 0;
    for (const auto& record : m_records) {
        m_byID[record->GetID()] = record.get();
        maxID = std::max(maxID, record->GetID());
    }
    m_nextID = maxID + 1;  // 0 after the top ID: CreateRecord then searches
    return true;
}

void Serializer::AddReader(SerializerRecordReader* reader)
{
    if (reader) m_readers.push_back(reader);
}

bool Serializer::RestoreRecords()
{
    bool ok = true;
    // By index: a reader may create records (seen from the next pass on) or
    // add readers while a pass runs.
    std::size_t numRecords = m_records.size();
    for (std::size_t r = 0; r < numRecords; ++r) {
        std::vector<SerializerRecordReader*> readers = m_readers;
        for (SerializerRecordReader* reader : readers) {
            // A reader that cleared the serializer ends the pass.
            if (r >= m_records.size()) return false;
            if (!reader->ReadRecord(this, m_records[r].get())) ok = false;
        }
    }
    return ok;
}

void Serializer::AddItem(unsigned int recordID, void* item)
{
    m_items[recordID] = item;
}

void* Serializer::FindItem(unsigned int recordID) const
{
    auto it = m_items.find(recordID);
    return it == m_items.end() ? nullptr : it->second;
}

}  // namespace Wml
