#pragma once
// Record files: a flat sequence of records, each with an ID given by the
// serializer, a type name and named, typed fields kept in the order they were
// set. The current format is XML (see Serializer.cpp for the layout); the older
// binary format is read by WmlDeprecated::Serializer.
//
// Reading is defensive: a malformed, truncated or hostile file (including one
// damaged field, such as a vector whose count disagrees with its data) makes
// Read answer false and leaves the serializer empty; GetValue of a field of
// another kind answers false and the default.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "wml/Frame3.h"
#include "wml/Polygon2.h"
#include "wml/Spline3.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace Wml {

class Serializer;
class SerializerRecord;

/// One typed field of a record. Exposed for the file readers and writers.
/// Shapes: Vector2f 2 floats, Vector3f 3, Frame3f 15 (origin, scale, the
/// rotation's rows); the arrays hold whole elements. A value of another shape
/// (only possible through SetField) is refused by GetValue and by Write.
struct SerializerValue {
    enum Kind {
        UInt,
        Int,
        Float,
        String,
        Vector2f,
        Vector3f,
        Frame3f,
        UIntArray,
        FloatArray,
        Vector2fArray,
        Vector3fArray
    };
    Kind kind = UInt;
    unsigned int u = 0;
    int i = 0;
    float f = 0.0f;
    std::string s;
    std::vector<float> floats;        // vectors and frames, flattened
    std::vector<unsigned int> uints;  // UIntArray

    /// True when the stored numbers have the shape the kind needs.
    bool IsWellFormed() const;
};

/// Called by Serializer::RestoreRecords once per record, in file order.
class SerializerRecordReader {
public:
    virtual ~SerializerRecordReader() = default;
    virtual bool ReadRecord(Serializer* serializer, SerializerRecord* record) = 0;
};

/// State that the objects being read or written keep for the length of one
/// load or save (for example one restored object that several records refer
/// to): one instance per type, made on first use, dropped together with the
/// records (Clear, Read) or with the serializer. Objects that took shared
/// ownership of something it holds keep it.
class SerializerAttachments {
public:
    template <class T>
    T& Get()
    {
        std::shared_ptr<void>& slot = m_byType[std::type_index(typeid(T))];
        if (!slot) slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }
    void Clear() { m_byType.clear(); }

private:
    std::map<std::type_index, std::shared_ptr<void>> m_byType;
};

class SerializerRecord {
public:
    SerializerRecord(unsigned int id, const std::string& typeName) : m_id(id), m_typeName(typeName) {}

    unsigned int GetID() const { return m_id; }
    const std::string& GetTypeName() const { return m_typeName; }

    // Setting a key again replaces its value but keeps its place.
    void SetValue(const std::string& key, unsigned int value);
    void SetValue(const std::string& key, int value);
    void SetValue(const std::string& key, float value);
    void SetValue(const std::string& key, const std::string& value);
    void SetValue(const std::string& key, const char* value)
    {
        SetValue(key, std::string(value ? value : ""));
    }
    void SetValue(const std::string& key, const Vector2<float>& value);
    void SetValue(const std::string& key, const Vector3<float>& value);
    void SetValue(const std::string& key, const Frame3<float>& value);
    void SetValue(const std::string& key, const std::vector<unsigned int>& values);
    void SetValue(const std::string& key, const std::vector<float>& values);
    void SetValue(const std::string& key, const std::vector<Vector2<float>>& values);
    void SetValue(const std::string& key, const std::vector<Vector3<float>>& values);

    /// False, with value = defaultValue, when the key is absent or holds
    /// another kind. Keys are case-sensitive.
    bool GetValue(const std::string& key, unsigned int& value, unsigned int defaultValue) const;
    bool GetValue(const std::string& key, int& value, int defaultValue) const;
    bool GetValue(const std::string& key, float& value, float defaultValue) const;
    bool GetValue(const std::string& key, std::string& value, const std::string& defaultValue) const;
    bool GetValue(const std::string& key, Vector2<float>& value, const Vector2<float>& defaultValue) const;
    bool GetValue(const std::string& key, Vector3<float>& value, const Vector3<float>& defaultValue) const;
    bool GetValue(const std::string& key, Frame3<float>& value, const Frame3<float>& defaultValue) const;

    /// Two-step vector read: count := the number of stored elements; the
    /// elements are copied only when values already holds at least count
    /// elements (call once to learn count, resize, call again). False when
    /// the key is absent or holds another kind.
    bool GetValue(const std::string& key, std::vector<unsigned int>& values, unsigned int& count) const;
    bool GetValue(const std::string& key, std::vector<float>& values, unsigned int& count) const;
    bool GetValue(const std::string& key, std::vector<Vector2<float>>& values, unsigned int& count) const;
    bool GetValue(const std::string& key, std::vector<Vector3<float>>& values, unsigned int& count) const;

    /// Length-first string read: with a null buffer, length := the string's
    /// length plus one (room for the terminator). With a buffer of length
    /// bytes, copies the string (cut to length - 1 characters) and a
    /// terminator; length is not changed. False when the key is absent or
    /// not a string, or when a buffer is given with length 0.
    bool GetStringValue(const std::string& key, char* buffer, unsigned int& length) const;

    bool HasKey(const std::string& key) const;
    /// Keys in the order they were first set.
    std::vector<std::string> GetKeys() const;

    /// Polygons and splines are kept in lists of their own, in append order.
    void AppendPolygon(const Polygon2<float>& polygon);
    bool HasPolygon() const { return !m_polygons.empty(); }
    unsigned int GetNumPolygons() const { return static_cast<unsigned int>(m_polygons.size()); }
    /// False when index is out of range.
    bool GetPolygon(unsigned int index, Polygon2<float>& polygon) const;
    void AppendSpline3(const Spline3<float>& spline);
    bool HasSpline3() const { return !m_splines.empty(); }
    unsigned int GetNumSplines3() const { return static_cast<unsigned int>(m_splines.size()); }
    bool GetSpline3(unsigned int index, Spline3<float>& spline) const;

    /// Raw access for the file formats.
    const std::vector<std::pair<std::string, SerializerValue>>& GetFields() const { return m_fields; }
    void SetField(const std::string& key, const SerializerValue& value);

private:
    const SerializerValue* Find(const std::string& key) const;

    unsigned int m_id;
    std::string m_typeName;
    std::vector<std::pair<std::string, SerializerValue>> m_fields;
    std::map<std::string, std::size_t> m_index;  // key -> position in m_fields
    std::vector<Polygon2<float>> m_polygons;
    std::vector<Spline3<float>> m_splines;
};

class Serializer {
public:
    Serializer();
    ~Serializer();
    Serializer(const Serializer&) = delete;
    Serializer& operator=(const Serializer&) = delete;

    void SetFilename(const char* path);
    const std::string& GetFilename() const { return m_filename; }

    /// A new record with the next free ID (IDs start at 1), owned by the
    /// serializer and kept in creation order.
    SerializerRecord* CreateRecord(const std::string& typeName);
    unsigned int GetNumRecords() const { return static_cast<unsigned int>(m_records.size()); }
    SerializerRecord* GetRecord(unsigned int index) const;
    /// The record with this ID, or null.
    SerializerRecord* FindRecord(unsigned int recordID) const;
    /// Drops every record, item, reader and attachment.
    void Clear();

    /// Writes every record to path (or to the file name set before when path
    /// is null). False, with GetLastError(), when the file cannot be written;
    /// an existing file is replaced only by a complete new one.
    bool Write(const char* path = nullptr);
    /// Replaces the records by those of the file. False, with GetLastError()
    /// and no records, when the file cannot be read or is not a valid record
    /// file. Items and attachments are dropped either way; readers are kept.
    /// On success the file name becomes path, so readers can resolve paths
    /// relative to it.
    bool Read(const char* path);
    const std::string& GetLastError() const { return m_lastError; }
    /// The file Write would make, as text (kept in memory: undo steps,
    /// snapshots written elsewhere later).
    bool WriteToText(std::string& text);
    /// Read from text in the file format; the file name is left as it was.
    bool ReadFromText(const std::string& text);

    /// Readers are not owned; each is called for every record on RestoreRecords.
    void AddReader(SerializerRecordReader* reader);
    /// Hands every record, in file order, to every reader; may be called
    /// again for another pass. False when some reader answered false.
    bool RestoreRecords();

    /// Associates a restored object with the ID of the record it came from.
    void AddItem(unsigned int recordID, void* item);
    /// The object restored from that record, or null.
    void* FindItem(unsigned int recordID) const;

    SerializerAttachments& Attachments() { return m_attachments; }

private:
    void Reset();
    /// Replaces the records by those of data (parsed in place).
    bool Parse(std::vector<char>& data);

    std::string m_filename;
    std::string m_lastError;
    std::vector<std::unique_ptr<SerializerRecord>> m_records;
    std::map<unsigned int, SerializerRecord*> m_byID;
    std::vector<SerializerRecordReader*> m_readers;
    std::map<unsigned int, void*> m_items;
    SerializerAttachments m_attachments;
    unsigned int m_nextID = 1;
};

}  // namespace Wml
