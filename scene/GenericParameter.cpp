#include "scene/GenericParameter.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace vynui {

GenericParameter::GenericParameter(const std::string& name, int type, bool excluded)
    : m_name(name), m_type(type), m_excluded(excluded)
{
}

void GenericParameter::GetValueAsText(std::string& out)
{
    if (m_type == PARAMETER_INTEGER)
        out = "0";
    else if (m_type == PARAMETER_FLOAT)
        out = "0.0";
    else
        out.clear();
}

std::string GenericParameter::Format(const char* fmt, ...)
{
    char small[128];
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof(small), fmt, args);
    va_end(args);
    std::string result;
    if (n < 0) {
        result.clear();
    } else if (static_cast<size_t>(n) < sizeof(small)) {
        result.assign(small, static_cast<size_t>(n));
    } else {
        // Large floats printed with %f run past the small buffer.
        std::vector<char> big(static_cast<size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), fmt, copy);
        result.assign(big.data(), static_cast<size_t>(n));
    }
    va_end(copy);
    return result;
}

}  // namespace vynui
