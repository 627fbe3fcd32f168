#pragma once
// Open-addressing hash map from 64-bit keys to small values: power-of-two
// capacity, linear probing, backward-shift erase. The lattice caches do
// millions of lookups per run; a node-based map spends most of that time
// chasing pointers. The all-ones key is reserved as the empty marker.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vynimplicit {

template <typename V>
class FlatKeyMap {
public:
    static constexpr uint64_t EMPTY = ~uint64_t(0);

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    void clear()
    {
        if (m_size == 0) return;
        for (Slot& s : m_slots) s.key = EMPTY;
        m_size = 0;
    }

    void reserve(size_t n)
    {
        size_t want = 16;
        while (want < n * 2) want <<= 1;  // keep load under 1/2
        if (want > m_slots.size()) Rehash(want);
    }

    V* find(uint64_t key)
    {
        if (m_slots.empty()) return nullptr;
        for (size_t i = Home(key);; i = (i + 1) & m_mask) {
            Slot& s = m_slots[i];
            if (s.key == key) return &s.value;
            if (s.key == EMPTY) return nullptr;
        }
    }
    const V* find(uint64_t key) const { return const_cast<FlatKeyMap*>(this)->find(key); }
    bool contains(uint64_t key) const { return find(key) != nullptr; }

    /// Inserts (key, value) unless key is present; returns the stored value
    /// and whether it was inserted. The pointer lives until the next insert.
    std::pair<V*, bool> emplace(uint64_t key, const V& value)
    {
        if ((m_size + 1) * 2 > m_slots.size()) Rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        size_t i = Home(key);
        for (;; i = (i + 1) & m_mask) {
            Slot& s = m_slots[i];
            if (s.key == key) return {&s.value, false};
            if (s.key == EMPTY) break;
        }
        m_slots[i].key = key;
        m_slots[i].value = value;
        ++m_size;
        return {&m_slots[i].value, true};
    }

    V& operator[](uint64_t key) { return *emplace(key, V()).first; }

    bool erase(uint64_t key)
    {
        if (m_slots.empty()) return false;
        size_t i = Home(key);
        for (;; i = (i + 1) & m_mask) {
            if (m_slots[i].key == key) break;
            if (m_slots[i].key == EMPTY) return false;
        }
        // Pull later members of the probe run back over the hole.
        size_t hole = i;
        for (size_t j = (i + 1) & m_mask; m_slots[j].key != EMPTY; j = (j + 1) & m_mask) {
            size_t home = Home(m_slots[j].key);
            // j may move to hole when its home is not in (hole, j] cyclically.
            bool stays = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
            if (stays) continue;
            m_slots[hole] = m_slots[j];
            hole = j;
        }
        m_slots[hole].key = EMPTY;
        --m_size;
        return true;
    }

    /// Calls f(key, value) for every member.
    template <typename F>
    void for_each(F f) const
    {
        for (const Slot& s : m_slots)
            if (s.key != EMPTY) f(s.key, s.value);
    }
    /// The same with the values open to change (keys stay).
    template <typename F>
    void for_each_mutable(F f)
    {
        for (Slot& s : m_slots)
            if (s.key != EMPTY) f(s.key, s.value);
    }

private:
    struct Slot {
        uint64_t key = EMPTY;
        V value{};
    };
    size_t Home(uint64_t key) const { return size_t((key * 0x9E3779B97F4A7C15ull) >> m_shift) & m_mask; }
    void Rehash(size_t capacity)
    {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.assign(capacity, Slot());
        m_mask = capacity - 1;
        int bits = 0;
        while ((size_t(1) << bits) < capacity) ++bits;
        m_shift = 64 - bits;
        for (const Slot& s : old)
            if (s.key != EMPTY) {
                size_t i = Home(s.key);
                while (m_slots[i].key != EMPTY) i = (i + 1) & m_mask;
                m_slots[i] = s;
            }
    }

    std::vector<Slot> m_slots;
    size_t m_mask = 0;
    int m_shift = 64;
    size_t m_size = 0;
};

}  // namespace vynimplicit
