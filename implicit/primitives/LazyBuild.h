#pragma once
// Guards evaluation structures that a field builds on first use after a
// change, so that the first evaluations may come from several threads.

#include <atomic>
#include <mutex>
#include <type_traits>

namespace vynimplicit {

/// A "built" flag with double-checked locking. Ensure runs the build once
/// after each Invalidate, however many threads ask at the same moment; the
/// others wait for it and then see everything it wrote. Once built, Ensure
/// costs one acquire load. Invalidate is called by setters, which never run
/// while the field is being evaluated.
///
/// Copies take the source's flag (the owner copies the built structures
/// alongside) and have a mutex of their own.
class LazyBuild {
public:
    LazyBuild() = default;
    LazyBuild(const LazyBuild& other) : m_built(other.IsBuilt()) {}
    LazyBuild& operator=(const LazyBuild& other)
    {
        m_built.store(other.IsBuilt(), std::memory_order_release);
        return *this;
    }

    bool IsBuilt() const { return m_built.load(std::memory_order_acquire); }
    void Invalidate() { m_built.store(false, std::memory_order_release); }

    template <class Build>
    void Ensure(Build&& build)
    {
        if (m_built.load(std::memory_order_acquire)) return;
        using Callable = std::remove_reference_t<Build>;
        BuildLocked([](const void* context) { (*static_cast<Callable*>(const_cast<void*>(context)))(); },
                    &build);
    }

private:
    // Out of line, so that the callers' evaluation loops keep only the load.
    void BuildLocked(void (*run)(const void*), const void* context);

    std::atomic<bool> m_built{false};
    std::mutex m_mutex;
};

}  // namespace vynimplicit
