#include "scene/NameRegistry.h"

#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace vynui {

namespace {

// Created on first use and never destroyed, so objects that outlive static
// destruction can still ask.
struct Registry {
    std::mutex mutex;
    std::unordered_set<std::string> names;
    // Names are never released, so the smallest free number of a base only
    // grows; searching from the last answer keeps naming linear overall.
    std::unordered_map<std::string, unsigned long long> firstFree;
    // Names held by live objects, with how many hold each.
    std::unordered_map<std::string, unsigned int> held;
};

Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

}  // namespace

std::string MakeUniqueName(const std::string& base)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    unsigned long long& n = r.firstFree.emplace(base, 1ULL).first->second;
    for (;; ++n) {
        std::string candidate = base + std::to_string(n);
        if (r.names.count(candidate) == 0) return candidate;
    }
}

bool ClaimName(const std::string& name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.names.insert(name).second;
}

bool IsNameClaimed(const std::string& name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.names.count(name) != 0;
}

void HoldName(const std::string& name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    ++r.held[name];
}

void ReleaseName(const std::string& name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.held.find(name);
    if (it == r.held.end()) return;
    if (--it->second == 0) r.held.erase(it);
}

bool IsNameHeld(const std::string& name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.held.count(name) != 0;
}

}  // namespace vynui
