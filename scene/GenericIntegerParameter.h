#pragma once
// An integer parameter. A concrete parameter implements ApplyValue and
// ReadValue against its object and may narrow the range (given to the
// constructor or by overriding GetRange).

#include "scene/GenericParameter.h"

namespace vynui {

class GenericIntegerParameter : public GenericParameter {
public:
    explicit GenericIntegerParameter(const std::string& name, bool excluded = false);
    /// With the range min ... max.
    GenericIntegerParameter(const std::string& name, int min, int max, bool excluded = false);

    /// The live value (ReadValue), not the cache.
    int GetIntValue() override { return ReadValue(); }
    /// When IsValid(value): ApplyValue, then the cache re-reads the target.
    void SetIntValue(int value) override;
    /// "%d" of GetIntValue().
    void GetValueAsText(std::string& out) override;
    /// strtol base 10. Text with no digits, and numbers beyond the int
    /// range, are ignored.
    void SetValueFromText(const std::string& text) override;
    void Refresh() override { m_value = ReadValue(); }

    void StoreOld(WmlDeprecated::SerializerRecord* record) override;
    void RestoreOld(WmlDeprecated::SerializerRecord* record) override;
    bool Store(Wml::SerializerRecord* record) override;
    bool Restore(Wml::SerializerRecord* record) override;

    /// Default: GetRange's min <= value <= max.
    virtual bool IsValid(int value);
    /// The constructor's range; by default the whole int range.
    virtual void GetRange(int& min, int& max);
    virtual void ApplyValue(int value) = 0;
    virtual int ReadValue() = 0;

    /// The cached value.
    int GetCachedValue() const { return m_value; }

protected:
    int m_value = 0;

private:
    int m_min, m_max;
};

}  // namespace vynui
