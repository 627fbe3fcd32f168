#pragma once
// The parameters of one object, in display and file order.
//
// The list does not own its parameters: whoever adds them deletes them
// (SceneObject deletes the parameters added through AddParameter).

#include <cstddef>
#include <string>
#include <vector>

#include "scene/IParameter.h"

namespace vynui {

class ParameterList {
public:
    virtual ~ParameterList() = default;

    /// Each calls the same operation of every parameter, in list order. A
    /// null record is refused (the Store/Restore forms answer false).
    virtual void StoreOld(WmlDeprecated::SerializerRecord* record);
    virtual void RestoreOld(WmlDeprecated::SerializerRecord* record);
    virtual bool Store(Wml::SerializerRecord* record);
    virtual bool Restore(Wml::SerializerRecord* record);

    /// For each parameter P of this list, the first parameter Q of other
    /// with the same type code and the same (case-sensitive) name gives P
    /// its value: P.SetValueFromText(Q.GetValueAsText()).
    void CopyValuesFrom(const ParameterList& other);

    /// Appends; a null pointer is ignored.
    void Add(IParameter* parameter);
    /// Removes the first occurrence; answers whether it was there. The
    /// parameter is not deleted.
    bool Remove(IParameter* parameter);
    void Clear() { m_parameters.clear(); }

    std::size_t GetCount() const { return m_parameters.size(); }
    /// Null when index is out of range.
    IParameter* Get(std::size_t index) const;
    /// The first parameter with this name, or null.
    IParameter* Find(const std::string& name) const;
    const std::vector<IParameter*>& GetParameters() const { return m_parameters; }

private:
    std::vector<IParameter*> m_parameters;
};

/// Anything whose parameters an editor can list.
class IParameterTarget {
public:
    virtual ~IParameterTarget() = default;
    virtual ParameterList* GetParameterList() = 0;
};

}  // namespace vynui
