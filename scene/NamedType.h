#pragma once
// Base of model classes that are not scene objects but need a stable identity
// in files (surface anchors, decals, surface tree nodes).
//
// The identity is assigned lazily (EnsureIdentity): an ID from a per-category
// counter and a name "<TypeName><n>" unique among the live objects of that
// type name. A name restored from a file lasts only until the identity is
// first assigned, which replaces it.

#include <string>

namespace Wml {
class Serializer;
class SerializerRecord;
}  // namespace Wml

namespace vynui {

class NamedType {
public:
    static const unsigned int UNASSIGNED_ID = 0xFFFFFFFFu;

    NamedType();
    /// Releases the generated name, when one was assigned, so that a later
    /// object of the same type can take it.
    virtual ~NamedType();
    NamedType(const NamedType&) = delete;
    NamedType& operator=(const NamedType&) = delete;

    /// Base "CategoryName"; the ID counter is kept per category.
    virtual const char* GetCategoryName() const;
    /// Base "TypeName"; generated names start with it.
    virtual const char* GetTypeName() const;
    /// "ID" (unsigned, after EnsureIdentity) and "Name". False for a null record.
    virtual bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record);
    /// Reads "Name"; when absent the name becomes "Unknown" and the answer
    /// is false. The ID is not read: the scene file maps stored IDs itself.
    virtual bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record);

    /// Assigns the identity when it has none yet.
    void EnsureIdentity();
    /// The ID, assigning the identity first when needed.
    unsigned int GetID();
    bool HasIdentity() const { return m_id != UNASSIGNED_ID; }
    /// "UNKNOWN" until an identity is assigned or a name restored.
    const std::string& GetName() const { return m_name; }

    /// The last ID handed out in a category (0 when none).
    static unsigned int GetLastCategoryID(const std::string& category);
    /// Whether a generated name is in use for a type name.
    static bool IsNameRegistered(const std::string& typeName, const std::string& name);

private:
    std::string m_name;
    unsigned int m_id;
    // The type name under which m_registeredName was entered; the virtual
    // GetTypeName cannot be asked from the destructor.
    std::string m_registeredType;
    std::string m_registeredName;
};

}  // namespace vynui
