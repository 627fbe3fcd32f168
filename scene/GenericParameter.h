#pragma once
// Base of the generic parameter kinds: name, type code and exclusion flag,
// with neutral answers for the operations a kind does not support.

#include <string>

#include "scene/IParameter.h"

namespace vynui {

class GenericParameter : public IParameter {
public:
    GenericParameter(const std::string& name, int type, bool excluded = false);

    const std::string& GetName() const override { return m_name; }
    int GetType() const override { return m_type; }
    bool IsExcluded() const override { return m_excluded; }

    int GetIntValue() override { return 0; }
    float GetFloatValue() override { return 0.0f; }
    void GetVectorValue(std::string& out) override { out.clear(); }
    void GetStringValue(std::string& out) override { out.clear(); }
    void SetIntValue(int) override {}
    void SetFloatValue(float) override {}
    void SetStringValue(const std::string&) override {}
    void Unused() override {}
    /// "0" for integers, "0.0" for floats, empty otherwise.
    void GetValueAsText(std::string& out) override;
    void SetValueFromText(const std::string&) override {}

protected:
    /// printf-style formatting into a string of any length.
    static std::string Format(const char* fmt, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;

private:
    std::string m_name;
    int m_type;
    bool m_excluded;
};

}  // namespace vynui
