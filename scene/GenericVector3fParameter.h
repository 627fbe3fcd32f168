#pragma once
// A three-component float vector parameter, shown as "%.4f %.4f %.4f".
// Not stored in the older record format.

#include "scene/GenericParameter.h"
#include "wml/Vector3.h"

namespace vynui {

class GenericVector3fParameter : public GenericParameter {
public:
    explicit GenericVector3fParameter(const std::string& name, bool excluded = false);

    /// Re-reads the target and writes the value as text.
    void GetVectorValue(std::string& out) override;
    void GetValueAsText(std::string& out) override;
    /// Three numbers read with "%f %f %f". Fewer than three, or a number that
    /// is not finite, leave everything unchanged.
    void SetValueFromText(const std::string& text) override;
    void Refresh() override;

    void StoreOld(WmlDeprecated::SerializerRecord*) override {}
    void RestoreOld(WmlDeprecated::SerializerRecord*) override {}
    bool Store(Wml::SerializerRecord* record) override;
    /// A missing key, or a stored vector that is not finite, changes nothing.
    bool Restore(Wml::SerializerRecord* record) override;

    virtual void ApplyValue(const Wml::Vector3<float>& value) = 0;
    virtual Wml::Vector3<float> ReadValue() = 0;

    const Wml::Vector3<float>& GetCachedValue() const { return m_value; }
    const std::string& GetCachedText() const { return m_text; }

protected:
    /// ApplyValue, then re-read and re-format; non-finite values are refused.
    void ApplyAndRefresh(const Wml::Vector3<float>& value);

    Wml::Vector3<float> m_value;
    std::string m_text;
};

}  // namespace vynui
