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

}  // namespace vynui
