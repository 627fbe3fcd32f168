// Field storage of a record, shared by the current and the older format.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "wml/Serializer.h"

namespace Wml {

namespace {

std::size_t FloatsPerElement(SerializerValue::Kind kind)
{
    switch (kind) {
        case SerializerValue::Vector2f:
        case SerializerValue::Vector2fArray:
            return 2;
        case SerializerValue::Vector3f:
        case SerializerValue::Vector3fArray:
            return 3;
        default:
            return 1;
    }
}

SerializerValue MakeFloats(SerializerValue::Kind kind, const float* data, std::size_t n)
{
    SerializerValue v;
    v.kind = kind;
    v.floats.assign(data, data + n);
    return v;
}

bool ElementCount(const SerializerValue* v, SerializerValue::Kind kind, unsigned int& count)
{
    if (!v || v->kind != kind || !v->IsWellFormed()) return false;
    std::size_t n =
        kind == SerializerValue::UIntArray ? v->uints.size() : v->floats.size() / FloatsPerElement(kind);
    count = static_cast<unsigned int>(n);
    return true;
}

}  // namespace

bool SerializerValue::IsWellFormed() const
{
    switch (kind) {
        case UInt:
        case Int:
        case Float:
        case String:
        case UIntArray:
            return true;
        case Vector2f:
            return floats.size() == 2;
        case Vector3f:
            return floats.size() == 3;
        case Frame3f:
            return floats.size() == 15;
        case FloatArray:
        case Vector2fArray:
        case Vector3fArray:
            // The count a reader learns must fit an unsigned int.
            return floats.size() % FloatsPerElement(kind) == 0 &&
                   floats.size() / FloatsPerElement(kind) <= 0xFFFFFFFFu;
    }
    return false;
}

// ---- setting -----------------------------------------------------------------

void SerializerRecord::SetField(const std::string& key, const SerializerValue& value)
{
    auto it = m_index.find(key);
    if (it != m_index.end()) {
        m_fields[it->second].second = value;
        return;
    }
    m_index.emplace(key, m_fields.size());
    m_fields.emplace_back(key, value);
}

void SerializerRecord::SetValue(const std::string& key, unsigned int value)
{
    SerializerValue v;
    v.kind = SerializerValue::UInt;
    v.u = value;
    SetField(key, v);
}

void SerializerRecord::SetValue(const std::string& key, int value)
{
    SerializerValue v;
    v.kind = SerializerValue::Int;
    v.i = value;
    SetField(key, v);
}

void SerializerRecord::SetValue(const std::string& key, float value)
{
    SerializerValue v;
    v.kind = SerializerValue::Float;
    v.f = value;
    SetField(key, v);
}

void SerializerRecord::SetValue(const std::string& key, const std::string& value)
{
    SerializerValue v;
    v.kind = SerializerValue::String;
    v.s = value;
    SetField(key, v);
}

void SerializerRecord::SetValue(const std::string& key, const Vector2<float>& value)
{
    SetField(key, MakeFloats(SerializerValue::Vector2f, value, 2));
}

void SerializerRecord::SetValue(const std::string& key, const Vector3<float>& value)
{
    SetField(key, MakeFloats(SerializerValue::Vector3f, value, 3));
}

void SerializerRecord::SetValue(const std::string& key, const Frame3<float>& value)
{
    SerializerValue v;
    v.kind = SerializerValue::Frame3f;
    v.floats.reserve(15);
    for (int i = 0; i < 3; ++i) v.floats.push_back(value.Origin()[i]);
    for (int i = 0; i < 3; ++i) v.floats.push_back(value.Scale()[i]);
    const float* r = value.GetRotation().Data();
    v.floats.insert(v.floats.end(), r, r + 9);
    SetField(key, v);
}

void SerializerRecord::SetValue(const std::string& key, const std::vector<unsigned int>& values)
{
    SerializerValue v;
    v.kind = SerializerValue::UIntArray;
    v.uints = values;
    SetField(key, v);
}

void SerializerRecord::SetValue(const std::string& key, const std::vector<float>& values)
{
    SetField(key, MakeFloats(SerializerValue::FloatArray, values.data(), values.size()));
}

void SerializerRecord::SetValue(const std::string& key, const std::vector<Vector2<float>>& values)
{
    SerializerValue v;
    v.kind = SerializerValue::Vector2fArray;
    v.floats.reserve(values.size() * 2);
    for (const Vector2<float>& p : values) v.floats.insert(v.floats.end(), {p.X(), p.Y()});
    SetField(key, v);
}

void SerializerRecord::SetValue(const std::string& key, const std::vector<Vector3<float>>& values)
{
    SerializerValue v;
    v.kind = SerializerValue::Vector3fArray;
    v.floats.reserve(values.size() * 3);
    for (const Vector3<float>& p : values) v.floats.insert(v.floats.end(), {p.X(), p.Y(), p.Z()});
    SetField(key, v);
}

// ---- getting -----------------------------------------------------------------

const SerializerValue* SerializerRecord::Find(const std::string& key) const
{
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : &m_fields[it->second].second;
}

bool SerializerRecord::HasKey(const std::string& key) const
{
    return m_index.count(key) != 0;
}

std::vector<std::string> SerializerRecord::GetKeys() const
{
    std::vector<std::string> keys;
    keys.reserve(m_fields.size());
    for (const auto& field : m_fields) keys.push_back(field.first);
    return keys;
}

bool SerializerRecord::GetValue(const std::string& key, unsigned int& value, unsigned int defaultValue) const
{
    const SerializerValue* v = Find(key);
    bool ok = v && v->kind == SerializerValue::UInt;
    value = ok ? v->u : defaultValue;
    return ok;
}

bool SerializerRecord::GetValue(const std::string& key, int& value, int defaultValue) const
{
    const SerializerValue* v = Find(key);
    bool ok = v && v->kind == SerializerValue::Int;
    value = ok ? v->i : defaultValue;
    return ok;
}

bool SerializerRecord::GetValue(const std::string& key, float& value, float defaultValue) const
{
    const SerializerValue* v = Find(key);
    bool ok = v && v->kind == SerializerValue::Float;
    value = ok ? v->f : defaultValue;
    return ok;
}

bool SerializerRecord::GetValue(const std::string& key, std::string& value,
                                const std::string& defaultValue) const
{
    const SerializerValue* v = Find(key);
    bool ok = v && v->kind == SerializerValue::String;
    value = ok ? v->s : defaultValue;
    return ok;
}

bool SerializerRecord::GetValue(const std::string& key, Vector2<float>& value,
                                const Vector2<float>& defaultValue) const
{
    const SerializerValue* v = Find(key);
    bool ok = v && v->kind == SerializerValue::Vector2f && v->IsWellFormed();
    value = ok ? Vector2<float>(v->floats.data()) : defaultValue;
    return ok;
}

bool SerializerRecord::GetValue(const std::string& key, Vector3<float>& value,
                                const Vector3<float>& defaultValue) const
{
    const SerializerValue* v = Find(key);
    bool ok = v && v->kind == SerializerValue::Vector3f && v->IsWellFormed();
    value = ok ? Vector3<float>(v->floats.data()) : defaultValue;
    return ok;
}

bool SerializerRecord::GetValue(const std::string& key, Frame3<float>& value,
                                const Frame3<float>& defaultValue) const
{
    const SerializerValue* v = Find(key);
    bool ok = v && v->kind == SerializerValue::Frame3f && v->IsWellFormed();
    // A frame with NaN or infinity would poison every point placed through
    // it; such a field reads as absent.
    if (ok)
        for (float x : v->floats) ok = ok && std::isfinite(x);
    if (!ok) {
        value = defaultValue;
        return false;
    }
    const float* f = v->floats.data();
    Frame3<float> frame{Vector3<float>(f)};
    frame.SetScale(Vector3<float>(f + 3));
    Matrix3<float> rotation;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) rotation(r, c) = f[6 + 3 * r + c];
    frame.SetRotation(rotation, true);
    value = frame;
    return true;
}

bool SerializerRecord::GetValue(const std::string& key, std::vector<unsigned int>& values,
                                unsigned int& count) const
{
    const SerializerValue* v = Find(key);
    if (!ElementCount(v, SerializerValue::UIntArray, count)) return false;
    if (values.size() >= count) std::copy(v->uints.begin(), v->uints.end(), values.begin());
    return true;
}

bool SerializerRecord::GetValue(const std::string& key, std::vector<float>& values, unsigned int& count) const
{
    const SerializerValue* v = Find(key);
    if (!ElementCount(v, SerializerValue::FloatArray, count)) return false;
    if (values.size() >= count) std::copy(v->floats.begin(), v->floats.end(), values.begin());
    return true;
}

bool SerializerRecord::GetValue(const std::string& key, std::vector<Vector2<float>>& values,
                                unsigned int& count) const
{
    const SerializerValue* v = Find(key);
    if (!ElementCount(v, SerializerValue::Vector2fArray, count)) return false;
    if (values.size() >= count)
        for (unsigned int i = 0; i < count; ++i)
            values[i] = Vector2<float>(v->floats.data() + 2 * std::size_t(i));
    return true;
}

bool SerializerRecord::GetValue(const std::string& key, std::vector<Vector3<float>>& values,
                                unsigned int& count) const
{
    const SerializerValue* v = Find(key);
    if (!ElementCount(v, SerializerValue::Vector3fArray, count)) return false;
    if (values.size() >= count)
        for (unsigned int i = 0; i < count; ++i)
            values[i] = Vector3<float>(v->floats.data() + 3 * std::size_t(i));
    return true;
}

bool SerializerRecord::GetStringValue(const std::string& key, char* buffer, unsigned int& length) const
{
    const SerializerValue* v = Find(key);
    if (!v || v->kind != SerializerValue::String) return false;
    if (!buffer) {
        // Strings longer than an unsigned int can describe cannot be handed out.
        if (v->s.size() >= 0xFFFFFFFFu) return false;
        length = static_cast<unsigned int>(v->s.size() + 1);
        return true;
    }
    if (length == 0) return false;  // no room even for the terminator
    std::size_t n = std::min<std::size_t>(v->s.size(), length - 1);
    std::memcpy(buffer, v->s.data(), n);
    buffer[n] = '\0';
    return true;
}

// ---- polygons and splines ----------------------------------------------------

void SerializerRecord::AppendPolygon(const Polygon2<float>& polygon)
{
    m_polygons.push_back(polygon);
}

bool SerializerRecord::GetPolygon(unsigned int index, Polygon2<float>& polygon) const
{
    if (index >= m_polygons.size()) return false;
    polygon = m_polygons[index];
    return true;
}

void SerializerRecord::AppendSpline3(const Spline3<float>& spline)
{
    m_splines.push_back(spline);
}

bool SerializerRecord::GetSpline3(unsigned int index, Spline3<float>& spline) const
{
    if (index >= m_splines.size()) return false;
    spline = m_splines[index];
    return true;
}

}  // namespace Wml
