#pragma once
// A set of scene objects that remembers insertion order: membership through a
// set, iteration through a vector. Inserting a member again changes nothing;
// erasing keeps the order of the rest.

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <unordered_set>
#include <vector>

namespace vynui {

class SceneObject;

class OrderedObjectSet {
public:
    typedef std::vector<SceneObject*>::const_iterator const_iterator;

    /// True when object was not yet a member (and is now appended).
    bool Insert(SceneObject* object)
    {
        if (!m_members.insert(object).second) return false;
        m_order.push_back(object);
        return true;
    }
    /// True when object was a member.
    bool Erase(SceneObject* object)
    {
        if (m_members.erase(object) == 0) return false;
        // Searching from the back makes the common removals (the newest
        // objects, a tree's children before their parent) cheap.
        auto it = std::find(m_order.rbegin(), m_order.rend(), object);
        m_order.erase(std::next(it).base());
        return true;
    }
    bool Contains(SceneObject* object) const { return m_members.count(object) != 0; }
    void Clear()
    {
        m_members.clear();
        m_order.clear();
    }

    std::size_t Size() const { return m_order.size(); }
    bool Empty() const { return m_order.empty(); }
    /// Members in insertion order.
    const std::vector<SceneObject*>& Items() const { return m_order; }
    const_iterator begin() const { return m_order.begin(); }
    const_iterator end() const { return m_order.end(); }

private:
    std::unordered_set<SceneObject*> m_members;
    std::vector<SceneObject*> m_order;
};

}  // namespace vynui
