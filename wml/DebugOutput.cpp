#include "wml/DebugOutput.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex& SinkMutex()
{
    static std::mutex m;
    return m;
}

Wml::DebugOutputSink& Sink()
{
    static Wml::DebugOutputSink sink;
    return sink;
}

bool PrintToStderr()
{
    static const bool enabled = std::getenv("KILNFORM_DEBUG") != nullptr;
    return enabled;
}

}  // namespace

void DebugOutput(const char* fmt, ...)
{
    if (!fmt) return;
    char buffer[1024];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof(buffer), fmt, args);
    va_end(args);

    std::lock_guard<std::mutex> lock(SinkMutex());
    if (PrintToStderr()) std::fputs(buffer, stderr);
    if (Sink()) Sink()(buffer);
}

namespace Wml {

DebugOutputSink SetDebugOutputSink(DebugOutputSink sink)
{
    std::lock_guard<std::mutex> lock(SinkMutex());
    DebugOutputSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

}  // namespace Wml
