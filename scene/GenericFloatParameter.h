#pragma once
// A float parameter. Concrete parameters supply their own range, given to
// the constructor or by overriding GetRange: the default one starts at the
// smallest positive normal float, so zero and negative values are refused
// unless a range is given.

#include "scene/GenericParameter.h"

namespace vynui {

class GenericFloatParameter : public GenericParameter {
public:
    explicit GenericFloatParameter(const std::string& name, bool excluded = false);
    /// With the range min ... max.
    GenericFloatParameter(const std::string& name, float min, float max, bool excluded = false);

    /// The live value (ReadValue), not the cache.
    float GetFloatValue() override { return ReadValue(); }
    /// When the value is finite and IsValid: ApplyValue, then the cache
    /// re-reads the target.
    void SetFloatValue(float value) override;
    /// "%f" of GetFloatValue().
    void GetValueAsText(std::string& out) override;
    /// strtod. Text with no number, and numbers a float cannot hold, are
    /// ignored.
    void SetValueFromText(const std::string& text) override;
    void Refresh() override { m_value = ReadValue(); }

    void StoreOld(WmlDeprecated::SerializerRecord* record) override;
    void RestoreOld(WmlDeprecated::SerializerRecord* record) override;
    bool Store(Wml::SerializerRecord* record) override;
    bool Restore(Wml::SerializerRecord* record) override;

    /// The bounds of GetRange.
    virtual float GetMinimum();
    virtual float GetMaximum();
    /// Default: min <= value <= max.
    virtual bool IsValid(float value);
    /// The constructor's range; by default 1.17549435e-38 ... 3.40282347e+38.
    virtual void GetRange(float& min, float& max);
    virtual void ApplyValue(float value) = 0;
    virtual float ReadValue() = 0;

    float GetCachedValue() const { return m_value; }

protected:
    float m_value = 0.0f;

private:
    float m_min, m_max;
};

}  // namespace vynui
