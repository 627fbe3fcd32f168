// The older binary record format.
//
// All integers are little-endian; floats are IEEE-754 single precision stored
// by their bit pattern (so every value, NaN included, comes back bit for bit).
//
//   file    := magic[8] version:u32 recordCount:u32 record*
//   magic   := 0x89 'K' 'F' 'N' '\r' '\n' 0x1A '\n'   (catches text-mode damage)
//   version := 1
//   record  := id:u32 type:u32 fieldCount:u32 field*
//   field   := keyLength:u32 key[keyLength] kind:u8 payload
//   kind / payload:
//     1 uint           u32
//     2 int            i32 (two's complement)
//     3 float          f32
//     4 string         length:u32 bytes[length]
//     5 vector2        f32 x2
//     6 vector3        f32 x3
//     7 frame3         f32 x15: origin, scale, rotation rows (the axes)
//     8 uint array     count:u32 u32 x count
//     9 float array    count:u32 f32 x count
//    10 vector2 array  count:u32 f32 x 2 count
//    11 vector3 array  count:u32 f32 x 3 count
//
// Records follow in creation order and fields in key order. The file ends
// right after the last record. There is no place for polygons or splines;
// Write refuses a record that has them rather than drop them.
//
// Reading checks every count against the bytes that remain before anything
// is allocated for it, and refuses the whole file (Read false, no records)
// for: a bad magic or version, truncation, a count past the end, trailing
// bytes, more records or fields than the caps of RecordFileIO.h, an
// unknown kind, duplicate record IDs or keys, names or strings
// beyond the size caps, and a frame holding NaN or infinity. Write refuses
// what Read would refuse.

#include "wml/DeprecatedSerializer.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>

#include "wml/RecordFileIO.h"

namespace WmlDeprecated {

using Wml::SerializerValue;
namespace IO = Wml::RecordFileIO;

namespace {

const unsigned char MAGIC[8] = {0x89, 'K', 'F', 'N', '\r', '\n', 0x1A, '\n'};
const std::uint32_t FORMAT_VERSION = 1;

enum FileKind : std::uint8_t {
    KIND_UINT = 1,
    KIND_INT,
    KIND_FLOAT,
    KIND_STRING,
    KIND_VECTOR2,
    KIND_VECTOR3,
    KIND_FRAME3,
    KIND_UINT_ARRAY,
    KIND_FLOAT_ARRAY,
    KIND_VECTOR2_ARRAY,
    KIND_VECTOR3_ARRAY
};

struct KindInfo {
    std::uint8_t fileKind;
    SerializerValue::Kind kind;
    std::size_t floats;  // fixed float count, or floats per element for arrays
    bool isArray;
};

const KindInfo KINDS[] = {
    {KIND_UINT, SerializerValue::UInt, 0, false},
    {KIND_INT, SerializerValue::Int, 0, false},
    {KIND_FLOAT, SerializerValue::Float, 0, false},
    {KIND_STRING, SerializerValue::String, 0, false},
    {KIND_VECTOR2, SerializerValue::Vector2f, 2, false},
    {KIND_VECTOR3, SerializerValue::Vector3f, 3, false},
    {KIND_FRAME3, SerializerValue::Frame3f, 15, false},
    {KIND_UINT_ARRAY, SerializerValue::UIntArray, 0, true},
    {KIND_FLOAT_ARRAY, SerializerValue::FloatArray, 1, true},
    {KIND_VECTOR2_ARRAY, SerializerValue::Vector2fArray, 2, true},
    {KIND_VECTOR3_ARRAY, SerializerValue::Vector3fArray, 3, true},
};

const KindInfo* KindFromFile(std::uint8_t fileKind)
{
    for (const KindInfo& k : KINDS)
        if (k.fileKind == fileKind) return &k;
    return nullptr;
}

const KindInfo* KindFromValue(SerializerValue::Kind kind)
{
    for (const KindInfo& k : KINDS)
        if (k.kind == kind) return &k;
    return nullptr;
}

// Bounds-checked reading from the file image.
class Input {
public:
    Input(const unsigned char* data, std::size_t size) : m_p(data), m_end(data + size) {}

    std::size_t Remaining() const { return static_cast<std::size_t>(m_end - m_p); }

    bool Bytes(void* out, std::size_t n)
    {
        if (n > Remaining()) return false;
        std::memcpy(out, m_p, n);
        m_p += n;
        return true;
    }
    bool U8(std::uint8_t& v) { return Bytes(&v, 1); }
    bool U32(std::uint32_t& v)
    {
        unsigned char b[4];
        if (!Bytes(b, 4)) return false;
        v = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
            std::uint32_t(b[3]) << 24;
        return true;
    }
    bool F32(float& f)
    {
        std::uint32_t bits;
        if (!U32(bits)) return false;
        std::memcpy(&f, &bits, 4);
        return true;
    }
    // A string of n bytes, only when the file really holds them.
    bool Text(std::size_t n, std::string& s)
    {
        if (n > Remaining()) return false;
        s.assign(reinterpret_cast<const char*>(m_p), n);
        m_p += n;
        return true;
    }

private:
    const unsigned char* m_p;
    const unsigned char* m_end;
};

class Output {
public:
    void U8(std::uint8_t v) { m_data.push_back(static_cast<char>(v)); }
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) m_data.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void F32(float f)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        U32(bits);
    }
    void Bytes(const void* p, std::size_t n) { m_data.append(static_cast<const char*>(p), n); }
    const std::string& Data() const { return m_data; }

private:
    std::string m_data;
};

// Reads one field's payload; error names the problem.
bool ReadPayload(Input& in, const KindInfo& kind, SerializerValue& value, std::string& error)
{
    value.kind = kind.kind;
    switch (kind.kind) {
        case SerializerValue::UInt:
            return in.U32(value.u) || (error = "truncated", false);
        case SerializerValue::Int: {
            std::uint32_t bits;
            if (!in.U32(bits)) return error = "truncated", false;
            std::memcpy(&value.i, &bits, 4);
            return true;
        }
        case SerializerValue::Float:
            return in.F32(value.f) || (error = "truncated", false);
        case SerializerValue::String: {
            std::uint32_t length;
            if (!in.U32(length)) return error = "truncated", false;
            if (length > IO::MAX_STRING_BYTES) return error = "string too long", false;
            if (!in.Text(length, value.s)) return error = "string runs past the end of the file", false;
            return true;
        }
        case SerializerValue::UIntArray: {
            std::uint32_t count;
            if (!in.U32(count)) return error = "truncated", false;
            if (std::size_t(count) > in.Remaining() / 4)
                return error = "count runs past the end of the file", false;
            value.uints.resize(count);
            for (std::uint32_t& u : value.uints) in.U32(u);
            return true;
        }
        default: {
            std::size_t n = kind.floats;
            if (kind.isArray) {
                std::uint32_t count;
                if (!in.U32(count)) return error = "truncated", false;
                if (std::size_t(count) > in.Remaining() / (4 * kind.floats))
                    return error = "count runs past the end of the file", false;
                n = std::size_t(count) * kind.floats;
            }
            if (n > in.Remaining() / 4) return error = "truncated", false;
            value.floats.resize(n);
            for (float& f : value.floats) in.F32(f);
            if (kind.kind == SerializerValue::Frame3f)
                for (float f : value.floats)
                    if (!std::isfinite(f)) return error = "frame holds a value that is not finite", false;
            return true;
        }
    }
}

bool Parse(const unsigned char* data, std::size_t size,
           std::vector<std::unique_ptr<SerializerRecord>>& records, std::string& error)
{
    Input in(data, size);
    unsigned char magic[8];
    if (!in.Bytes(magic, 8) || std::memcmp(magic, MAGIC, 8) != 0)
        return error = "not an older record file", false;
    std::uint32_t version, recordCount;
    if (!in.U32(version)) return error = "truncated header", false;
    if (version != FORMAT_VERSION) return error = "unsupported version " + std::to_string(version), false;
    if (!in.U32(recordCount)) return error = "truncated header", false;
    // Every record takes at least 12 bytes.
    if (std::size_t(recordCount) > in.Remaining() / 12)
        return error = "record count runs past the end of the file", false;
    if (recordCount > IO::MAX_RECORDS) return error = "too many records", false;
    std::size_t entries = 0;

    std::set<std::uint32_t> ids;
    records.reserve(recordCount);
    for (std::uint32_t r = 0; r < recordCount; ++r) {
        std::uint32_t id, type, fieldCount;
        if (!in.U32(id) || !in.U32(type) || !in.U32(fieldCount))
            return error = "record " + std::to_string(r) + " is truncated", false;
        std::string where = "record " + std::to_string(id);
        if (!ids.insert(id).second) return error = where + " appears twice", false;
        // Every field takes at least 5 bytes (key length and kind).
        if (std::size_t(fieldCount) > in.Remaining() / 5)
            return error = where + ": field count runs past the end of the file", false;
        entries += fieldCount;
        if (entries > IO::MAX_ENTRIES) return error = "too many fields", false;
        std::unique_ptr<SerializerRecord> record(new SerializerRecord(id, type));
        std::set<std::string> keys;
        for (std::uint32_t f = 0; f < fieldCount; ++f) {
            std::uint32_t keyLength;
            std::string key;
            if (!in.U32(keyLength)) return error = where + ": truncated", false;
            if (keyLength > IO::MAX_NAME_BYTES) return error = where + ": key too long", false;
            if (!in.Text(keyLength, key)) return error = where + ": key runs past the end of the file", false;
            if (!keys.insert(key).second) return error = where + ": key appears twice", false;
            std::uint8_t fileKind;
            if (!in.U8(fileKind)) return error = where + ": truncated", false;
            const KindInfo* kind = KindFromFile(fileKind);
            if (!kind) return error = where + ": unknown kind " + std::to_string(fileKind), false;
            SerializerValue value;
            std::string problem;
            if (!ReadPayload(in, *kind, value, problem))
                return error = where + ", field '" + key + "': " + problem, false;
            record->SetField(key, value);
        }
        records.push_back(std::move(record));
    }
    if (in.Remaining() != 0) return error = "unexpected bytes after the last record", false;
    return true;
}

}  // namespace

// ---- Serializer ----------------------------------------------------------------

Serializer::Serializer() = default;
Serializer::~Serializer() = default;

SerializerRecord* Serializer::CreateRecord(unsigned int type)
{
    unsigned int id = m_byID.empty() ? 1u : m_byID.rbegin()->first + 1u;
    if (id == 0) {
        // The top ID is taken: use the lowest free one.
        id = 1;
        for (const auto& entry : m_byID) {
            if (entry.first != id) break;
            ++id;
        }
        if (id == 0) return nullptr;
    }
    return CreateRecord(id, type);
}

SerializerRecord* Serializer::CreateRecord(unsigned int recordID, unsigned int type)
{
    if (m_byID.count(recordID)) return nullptr;
    m_records.emplace_back(new SerializerRecord(recordID, type));
    SerializerRecord* record = m_records.back().get();
    m_byID[recordID] = record;
    return record;
}

SerializerRecord* Serializer::FindRecord(unsigned int recordID) const
{
    auto it = m_byID.find(recordID);
    return it == m_byID.end() ? nullptr : it->second;
}

SerializerRecord* Serializer::GetRecord(unsigned int index) const
{
    return index < m_records.size() ? m_records[index].get() : nullptr;
}

void Serializer::Clear()
{
    m_records.clear();
    m_byID.clear();
    m_items.clear();
    m_attachments.Clear();
}

bool Serializer::Read(const char* path)
{
    Clear();
    m_lastError.clear();
    std::vector<char> data;
    if (!IO::ReadWholeFile(path, data, 0, m_lastError)) return false;

    std::vector<std::unique_ptr<SerializerRecord>> records;
    if (!Parse(reinterpret_cast<const unsigned char*>(data.data()), data.size(), records, m_lastError))
        return false;
    m_records = std::move(records);
    for (const auto& record : m_records) m_byID[record->GetID()] = record.get();
    return true;
}

bool Serializer::Write(const char* path)
{
    m_lastError.clear();
    Output out;
    out.Bytes(MAGIC, 8);
    out.U32(FORMAT_VERSION);
    out.U32(static_cast<std::uint32_t>(m_records.size()));
    for (const auto& record : m_records) {
        std::string where = "record " + std::to_string(record->GetID());
        const auto& fields = record->GetFields();
        if (record->Values().HasPolygon() || record->Values().HasSpline3())
            return m_lastError = where + ": the older format holds no polygons or splines", false;
        out.U32(record->GetID());
        out.U32(record->GetType());
        out.U32(static_cast<std::uint32_t>(fields.size()));
        for (const auto& field : fields) {
            const std::string& key = field.first;
            const SerializerValue& value = field.second;
            const KindInfo* kind = KindFromValue(value.kind);
            if (key.size() > IO::MAX_NAME_BYTES) return m_lastError = where + ": key too long", false;
            if (!kind || !value.IsWellFormed())
                return m_lastError = where + ": field '" + key + "' is malformed", false;
            out.U32(static_cast<std::uint32_t>(key.size()));
            out.Bytes(key.data(), key.size());
            out.U8(kind->fileKind);
            switch (value.kind) {
                case SerializerValue::UInt:
                    out.U32(value.u);
                    break;
                case SerializerValue::Int: {
                    std::uint32_t bits;
                    std::memcpy(&bits, &value.i, 4);
                    out.U32(bits);
                    break;
                }
                case SerializerValue::Float:
                    out.F32(value.f);
                    break;
                case SerializerValue::String:
                    if (value.s.size() > IO::MAX_STRING_BYTES)
                        return m_lastError = where + ": field '" + key + "' is too long", false;
                    out.U32(static_cast<std::uint32_t>(value.s.size()));
                    out.Bytes(value.s.data(), value.s.size());
                    break;
                case SerializerValue::UIntArray:
                    out.U32(static_cast<std::uint32_t>(value.uints.size()));
                    for (unsigned int u : value.uints) out.U32(u);
                    break;
                default:
                    if (value.kind == SerializerValue::Frame3f)
                        for (float f : value.floats)
                            if (!std::isfinite(f))
                                return m_lastError = where + ": frame '" + key + "' is not finite", false;
                    if (kind->isArray)
                        out.U32(static_cast<std::uint32_t>(value.floats.size() / kind->floats));
                    for (float f : value.floats) out.F32(f);
                    break;
            }
            if (out.Data().size() > IO::MAX_FILE_BYTES)
                return m_lastError = "the records would make a file larger than " +
                                     std::to_string(IO::MAX_FILE_BYTES >> 20) + " MB",
                       false;
        }
    }
    const std::string& bytes = out.Data();
    return IO::WriteFileAtomically(
        path,
        [&](std::FILE* file) { return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(); },
        m_lastError);
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

}  // namespace WmlDeprecated
