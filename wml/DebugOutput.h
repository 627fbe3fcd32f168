#pragma once
// Developer trace output. Messages are formatted printf-style into a buffer of
// 1024 characters (longer ones are cut) and never reach the user: they are
// printed to stderr only when the environment variable KILNFORM_DEBUG is set,
// and handed to the installed sink, if any (tests read them there).

#include <functional>

/// printf-style trace message.
void DebugOutput(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

namespace Wml {

/// Receives every formatted message.
using DebugOutputSink = std::function<void(const char* message)>;

/// Installs a sink (an empty function removes it) and returns the previous one.
DebugOutputSink SetDebugOutputSink(DebugOutputSink sink);

/// Installs a sink for the lifetime of the object, restoring the previous one after.
class ScopedDebugOutputSink {
public:
    explicit ScopedDebugOutputSink(DebugOutputSink sink) : m_previous(SetDebugOutputSink(std::move(sink))) {}
    ~ScopedDebugOutputSink() { SetDebugOutputSink(std::move(m_previous)); }
    ScopedDebugOutputSink(const ScopedDebugOutputSink&) = delete;
    ScopedDebugOutputSink& operator=(const ScopedDebugOutputSink&) = delete;

private:
    DebugOutputSink m_previous;
};

}  // namespace Wml
