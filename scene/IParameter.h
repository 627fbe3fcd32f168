#pragma once
// One editable value of a scene object, as parameter editors and scene files
// see it: a name, a type code, typed and text access, and record storage.

#include <string>

namespace Wml {
class SerializerRecord;
}
namespace WmlDeprecated {
class SerializerRecord;
}

namespace vynui {

/// Type codes answered by IParameter::GetType. 3 is not used by any kind.
enum ParameterType {
    PARAMETER_INTEGER = 0,
    PARAMETER_FLOAT = 1,
    PARAMETER_STRING = 2,
    PARAMETER_NAMED_INTEGER = 4,
    PARAMETER_VECTOR3F = 5,
};

class IParameter {
public:
    virtual ~IParameter() = default;

    /// Display name, also the key under which the value is stored in files.
    virtual const std::string& GetName() const = 0;
    virtual int GetType() const = 0;

    virtual int GetIntValue() = 0;
    virtual float GetFloatValue() = 0;
    /// Vector kinds write their value as text.
    virtual void GetVectorValue(std::string& out) = 0;
    virtual void GetStringValue(std::string& out) = 0;
    virtual void SetIntValue(int value) = 0;
    virtual void SetFloatValue(float value) = 0;
    virtual void SetStringValue(const std::string& value) = 0;
    /// Kept for subclasses written against the full operation set; no kind
    /// does anything here.
    virtual void Unused() = 0;
    virtual void GetValueAsText(std::string& out) = 0;
    /// Parses text as the kind's value; text that does not parse or a value
    /// out of range is ignored.
    virtual void SetValueFromText(const std::string& text) = 0;
    /// Re-reads the cached value from the target.
    virtual void Refresh() = 0;

    virtual void StoreOld(WmlDeprecated::SerializerRecord* record) = 0;
    virtual void RestoreOld(WmlDeprecated::SerializerRecord* record) = 0;
    virtual bool Store(Wml::SerializerRecord* record) = 0;
    /// A missing key leaves the value unchanged.
    virtual bool Restore(Wml::SerializerRecord* record) = 0;

    /// Secondary parameters (per-axis coordinates, say) that bulk samplers
    /// of parameter values skip.
    virtual bool IsExcluded() const = 0;
};

}  // namespace vynui
