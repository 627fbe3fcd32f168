#include "scene/FileVersion.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace vynui {

namespace {

std::mutex& VersionMutex()
{
    static std::mutex mutex;
    return mutex;
}

FileVersion& StoredVersion()
{
    static FileVersion version = FileVersion::Current();
    return version;
}

// One decimal integer of the version text; advances p past it.
bool ParseNumber(const char*& p, int& out)
{
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    p = end;
    return true;
}

}  // namespace

bool FileVersion::Parse(const std::string& text)
{
    const char* p = text.c_str();
    FileVersion v;
    if (!ParseNumber(p, v.majorVersion) || *p++ != '.') return false;
    if (!ParseNumber(p, v.minorVersion) || *p++ != '.') return false;
    if (!ParseNumber(p, v.revision)) return false;
    *this = v;
    return true;
}

std::string FileVersion::ToString() const
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%d.%d.%d", majorVersion, minorVersion, revision);
    return buffer;
}

bool FileVersion::operator<(const FileVersion& o) const
{
    if (majorVersion != o.majorVersion) return majorVersion < o.majorVersion;
    if (minorVersion != o.minorVersion) return minorVersion < o.minorVersion;
    return revision < o.revision;
}

FileVersion GetFileVersion()
{
    std::lock_guard<std::mutex> lock(VersionMutex());
    return StoredVersion();
}

void SetFileVersion(const FileVersion& version)
{
    std::lock_guard<std::mutex> lock(VersionMutex());
    StoredVersion() = version;
}

}  // namespace vynui
