#pragma once
// An integer parameter whose values have names (a cap style: 0 "FlatRound",
// 1 "Blobby", ...). Subclasses fill the names in their constructors with
// AddValueName.

#include <map>

#include "scene/GenericParameter.h"

namespace vynui {

class GenericNamedIntParameter : public GenericParameter {
public:
    explicit GenericNamedIntParameter(const std::string& name, bool excluded = false);

    /// The live value (ReadValue), not the cache.
    int GetIntValue() override { return ReadValue(); }
    /// When IsValid(value): ApplyValue, then the cache re-reads the target.
    void SetIntValue(int value) override;
    /// The name of the cached value, or "ERROR!" when it has none.
    void GetValueAsText(std::string& out) override;
    /// strtol base 10 as for integers; text that is not a number but is
    /// exactly one of the value names selects that value, so the text shown
    /// by GetValueAsText can be written back (and copied between lists).
    void SetValueFromText(const std::string& text) override;
    void Refresh() override { m_value = ReadValue(); }

    void StoreOld(WmlDeprecated::SerializerRecord* record) override;
    void RestoreOld(WmlDeprecated::SerializerRecord* record) override;
    bool Store(Wml::SerializerRecord* record) override;
    bool Restore(Wml::SerializerRecord* record) override;

    /// Default: the value has a name.
    virtual bool IsValid(int value);
    virtual void ApplyValue(int value) = 0;
    virtual int ReadValue() = 0;

    int GetCachedValue() const { return m_value; }
    const std::map<int, std::string>& GetValueNames() const { return m_valueToName; }
    const std::map<std::string, int>& GetNameValues() const { return m_nameToValue; }

protected:
    /// Enters the pair in both maps, replacing an earlier name of value.
    void AddValueName(int value, const std::string& name);

    int m_value = 0;
    std::map<int, std::string> m_valueToName;
    std::map<std::string, int> m_nameToValue;
};

}  // namespace vynui
