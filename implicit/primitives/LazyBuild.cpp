#include "implicit/primitives/LazyBuild.h"

namespace vynimplicit {

void LazyBuild::BuildLocked(void (*run)(const void*), const void* context)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_built.load(std::memory_order_relaxed)) return;
    run(context);
    m_built.store(true, std::memory_order_release);
}

}  // namespace vynimplicit
