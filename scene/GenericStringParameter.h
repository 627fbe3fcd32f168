#pragma once
// A text parameter.

#include "scene/GenericParameter.h"

namespace vynui {

class GenericStringParameter : public GenericParameter {
public:
    explicit GenericStringParameter(const std::string& name, bool excluded = false);

    /// The cached text.
    void GetStringValue(std::string& out) override { out = m_value; }
    /// When IsValid(value): ApplyValue, then the cache re-reads the target.
    void SetStringValue(const std::string& value) override;
    /// The cached text.
    void GetValueAsText(std::string& out) override { out = m_value; }
    /// The text as it stands, through SetStringValue.
    void SetValueFromText(const std::string& text) override { SetStringValue(text); }
    void Refresh() override { m_value = ReadValue(); }

    /// Writes the text; the older format reads nothing back.
    void StoreOld(WmlDeprecated::SerializerRecord* record) override;
    void RestoreOld(WmlDeprecated::SerializerRecord*) override {}
    /// Writes the target's current text (the cache is refreshed first, so a
    /// change made outside the parameter is not lost).
    bool Store(Wml::SerializerRecord* record) override;
    bool Restore(Wml::SerializerRecord* record) override;

    /// Default: every text is valid.
    virtual bool IsValid(const std::string& value);
    virtual void ApplyValue(const std::string& value) = 0;
    virtual std::string ReadValue() = 0;

protected:
    std::string m_value;
};

}  // namespace vynui
