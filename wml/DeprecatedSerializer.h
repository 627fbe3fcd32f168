#pragma once
// The older record files: the same flat sequence of records as Wml::Serializer,
// but records carry a numeric type and the file is binary (layout at the top
// of DeprecatedSerializer.cpp). The program only reads these files; Write is
// kept so that tests and tools can make them.
//
// Reading is defensive: a bad magic, a truncated file or a count that runs
// past the end makes Read answer false and leaves the serializer empty.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "wml/Frame3.h"
#include "wml/Serializer.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace WmlDeprecated {

/// A record of the older format. Field storage and the Set/Get semantics are
/// those of Wml::SerializerRecord (absent key or other kind: false and the
/// default; two-step vector reads; length-first string reads).
class SerializerRecord {
public:
    SerializerRecord(unsigned int id, unsigned int type) : m_id(id), m_type(type), m_values(id, std::string())
    {
    }

    unsigned int GetID() const { return m_id; }
    unsigned int GetType() const { return m_type; }

    void SetValue(const std::string& key, unsigned int value) { m_values.SetValue(key, value); }
    void SetValue(const std::string& key, int value) { m_values.SetValue(key, value); }
    void SetValue(const std::string& key, float value) { m_values.SetValue(key, value); }
    void SetValue(const std::string& key, const std::string& value) { m_values.SetValue(key, value); }
    void SetValue(const std::string& key, const char* value) { m_values.SetValue(key, value); }
    void SetValue(const std::string& key, const Wml::Vector2<float>& value) { m_values.SetValue(key, value); }
    void SetValue(const std::string& key, const Wml::Vector3<float>& value) { m_values.SetValue(key, value); }
    void SetValue(const std::string& key, const Wml::Frame3<float>& value) { m_values.SetValue(key, value); }
    void SetValue(const std::string& key, const std::vector<unsigned int>& values)
    {
        m_values.SetValue(key, values);
    }
    void SetValue(const std::string& key, const std::vector<float>& values)
    {
        m_values.SetValue(key, values);
    }
    void SetValue(const std::string& key, const std::vector<Wml::Vector2<float>>& values)
    {
        m_values.SetValue(key, values);
    }
    void SetValue(const std::string& key, const std::vector<Wml::Vector3<float>>& values)
    {
        m_values.SetValue(key, values);
    }

    bool GetValue(const std::string& key, unsigned int& value, unsigned int defaultValue) const
    {
        return m_values.GetValue(key, value, defaultValue);
    }
    bool GetValue(const std::string& key, int& value, int defaultValue) const
    {
        return m_values.GetValue(key, value, defaultValue);
    }
    bool GetValue(const std::string& key, float& value, float defaultValue) const
    {
        return m_values.GetValue(key, value, defaultValue);
    }
    bool GetValue(const std::string& key, std::string& value, const std::string& defaultValue) const
    {
        return m_values.GetValue(key, value, defaultValue);
    }
    bool GetValue(const std::string& key, Wml::Vector2<float>& value,
                  const Wml::Vector2<float>& defaultValue) const
    {
        return m_values.GetValue(key, value, defaultValue);
    }
    bool GetValue(const std::string& key, Wml::Vector3<float>& value,
                  const Wml::Vector3<float>& defaultValue) const
    {
        return m_values.GetValue(key, value, defaultValue);
    }
    bool GetValue(const std::string& key, Wml::Frame3<float>& value,
                  const Wml::Frame3<float>& defaultValue) const
    {
        return m_values.GetValue(key, value, defaultValue);
    }
    bool GetValue(const std::string& key, std::vector<unsigned int>& values, unsigned int& count) const
    {
        return m_values.GetValue(key, values, count);
    }
    bool GetValue(const std::string& key, std::vector<float>& values, unsigned int& count) const
    {
        return m_values.GetValue(key, values, count);
    }
    bool GetValue(const std::string& key, std::vector<Wml::Vector2<float>>& values, unsigned int& count) const
    {
        return m_values.GetValue(key, values, count);
    }
    bool GetValue(const std::string& key, std::vector<Wml::Vector3<float>>& values, unsigned int& count) const
    {
        return m_values.GetValue(key, values, count);
    }
    bool GetStringValue(const std::string& key, char* buffer, unsigned int& length) const
    {
        return m_values.GetStringValue(key, buffer, length);
    }

    bool HasKey(const std::string& key) const { return m_values.HasKey(key); }
    std::vector<std::string> GetKeys() const { return m_values.GetKeys(); }

    /// Raw access for the file format.
    const std::vector<std::pair<std::string, Wml::SerializerValue>>& GetFields() const
    {
        return m_values.GetFields();
    }
    void SetField(const std::string& key, const Wml::SerializerValue& value)
    {
        m_values.SetField(key, value);
    }

    /// The fields as a current-format record, so that restore code written
    /// for Wml::SerializerRecord (camera, frames) reads older records too.
    const Wml::SerializerRecord& Values() const { return m_values; }
    Wml::SerializerRecord& Values() { return m_values; }

private:
    unsigned int m_id;
    unsigned int m_type;
    Wml::SerializerRecord m_values;  // shared value storage and semantics
};

class Serializer {
public:
    Serializer();
    ~Serializer();
    Serializer(const Serializer&) = delete;
    Serializer& operator=(const Serializer&) = delete;

    /// A new record with the next free ID (one above the largest in use,
    /// starting at 1), kept in creation order. Null when no ID is left.
    SerializerRecord* CreateRecord(unsigned int type);
    /// A new record with the given ID; null when that ID is already used.
    SerializerRecord* CreateRecord(unsigned int recordID, unsigned int type);
    /// The record with this ID, or null.
    SerializerRecord* FindRecord(unsigned int recordID) const;
    unsigned int GetNumRecords() const { return static_cast<unsigned int>(m_records.size()); }
    /// Records in creation (file) order; null when index is out of range.
    SerializerRecord* GetRecord(unsigned int index) const;
    /// Drops every record, item and attachment.
    void Clear();

    /// Replaces the records by those of the file. False, with GetLastError()
    /// and no records, when the file cannot be read or is malformed.
    bool Read(const char* path);
    /// Writes every record (temporary file next to path, then renamed, so an
    /// existing file is replaced only by a complete new one).
    bool Write(const char* path);
    const std::string& GetLastError() const { return m_lastError; }

    /// Associates a restored object with the ID of the record it came from.
    void AddItem(unsigned int recordID, void* item);
    /// The object restored from that record, or null.
    void* FindItem(unsigned int recordID) const;

    Wml::SerializerAttachments& Attachments() { return m_attachments; }

private:
    std::string m_lastError;
    std::vector<std::unique_ptr<SerializerRecord>> m_records;
    std::map<unsigned int, SerializerRecord*> m_byID;
    std::map<unsigned int, void*> m_items;
    Wml::SerializerAttachments m_attachments;
};

}  // namespace WmlDeprecated
