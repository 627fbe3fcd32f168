#include "scene/NamedType.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "wml/Serializer.h"

namespace vynui {

namespace {

// Created on first use and never destroyed: objects destroyed during static
// destruction still unregister safely.
// The generated names of one type name are "<type><n>"; the numbers in use
// are [1, next) without those released since.
struct NumberPool {
    unsigned long long next = 1;
    std::set<unsigned long long> released;

    unsigned long long Take()
    {
        if (released.empty()) return next++;
        unsigned long long n = *released.begin();
        released.erase(released.begin());
        return n;
    }
    bool InUse(unsigned long long n) const { return n >= 1 && n < next && released.count(n) == 0; }
};

struct Registries {
    std::mutex mutex;
    std::map<std::string, unsigned int> lastID;    // category -> last ID
    std::map<std::string, NumberPool> namesInUse;  // type name -> names
};

// n when name is type followed by a canonical decimal number n >= 1.
bool GeneratedNumber(const std::string& type, const std::string& name, unsigned long long& n)
{
    if (name.size() <= type.size() || name.compare(0, type.size(), type) != 0) return false;
    const std::string digits = name.substr(type.size());
    if (digits.size() > 19 || digits[0] == '0') return false;
    n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<unsigned long long>(c - '0');
    }
    return true;
}

Registries& TheRegistries()
{
    static Registries* registries = new Registries;
    return *registries;
}

}  // namespace

NamedType::NamedType() : m_name("UNKNOWN"), m_id(UNASSIGNED_ID) {}

NamedType::~NamedType()
{
    if (m_registeredName.empty()) return;
    Registries& r = TheRegistries();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.namesInUse.find(m_registeredType);
    unsigned long long n = 0;
    if (it != r.namesInUse.end() && GeneratedNumber(m_registeredType, m_registeredName, n) &&
        it->second.InUse(n))
        it->second.released.insert(n);
}

const char* NamedType::GetCategoryName() const
{
    return "CategoryName";
}

const char* NamedType::GetTypeName() const
{
    return "TypeName";
}

void NamedType::EnsureIdentity()
{
    if (m_id != UNASSIGNED_ID) return;
    const std::string category = GetCategoryName();
    const std::string type = GetTypeName();
    Registries& r = TheRegistries();
    std::lock_guard<std::mutex> lock(r.mutex);
    unsigned int& last = r.lastID[category];
    m_id = ++last;
    m_name = type + std::to_string(r.namesInUse[type].Take());
    m_registeredType = type;
    m_registeredName = m_name;
}

unsigned int NamedType::GetID()
{
    EnsureIdentity();
    return m_id;
}

bool NamedType::Store(Wml::Serializer*, Wml::SerializerRecord* record)
{
    if (!record) return false;
    EnsureIdentity();
    record->SetValue("ID", m_id);
    record->SetValue("Name", m_name);
    return true;
}

bool NamedType::Restore(Wml::Serializer*, Wml::SerializerRecord* record)
{
    unsigned int length = 0;
    if (!record || !record->GetStringValue("Name", nullptr, length) || length == 0) {
        m_name = "Unknown";
        return false;
    }
    std::vector<char> buffer(length, '\0');
    if (!record->GetStringValue("Name", buffer.data(), length)) {
        m_name = "Unknown";
        return false;
    }
    buffer.back() = '\0';
    m_name = buffer.data();
    return true;
}

unsigned int NamedType::GetLastCategoryID(const std::string& category)
{
    Registries& r = TheRegistries();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.lastID.find(category);
    return it == r.lastID.end() ? 0u : it->second;
}

bool NamedType::IsNameRegistered(const std::string& typeName, const std::string& name)
{
    Registries& r = TheRegistries();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.namesInUse.find(typeName);
    unsigned long long n = 0;
    return it != r.namesInUse.end() && GeneratedNumber(typeName, name, n) && it->second.InUse(n);
}

}  // namespace vynui
