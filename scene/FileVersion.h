#pragma once
// The version number of the scene file being read. Restore code that must
// convert data written by older releases reads it; the scene-file loader sets
// it from the file's format record.

#include <string>

namespace vynui {

struct FileVersion {
    // Not "major"/"minor": <sys/sysmacros.h> defines macros of those names.
    int majorVersion = 0;
    int minorVersion = 0;
    int revision = 0;

    FileVersion() = default;
    FileVersion(int majorNumber, int minorNumber, int revisionNumber)
        : majorVersion(majorNumber), minorVersion(minorNumber), revision(revisionNumber)
    {
    }

    /// The version this program writes: 3.0.1.
    static FileVersion Current() { return FileVersion(3, 0, 1); }

    /// Parses "major.minor.revision" (three decimal integers). False, with
    /// the version unchanged, when the text does not hold three numbers.
    bool Parse(const std::string& text);
    /// "major.minor.revision".
    std::string ToString() const;

    /// Major, then minor, then revision, compared as integers.
    bool operator<(const FileVersion& o) const;
    bool operator==(const FileVersion& o) const
    {
        return majorVersion == o.majorVersion && minorVersion == o.minorVersion && revision == o.revision;
    }
    bool operator!=(const FileVersion& o) const { return !(*this == o); }
    bool operator>(const FileVersion& o) const { return o < *this; }
    bool operator<=(const FileVersion& o) const { return !(o < *this); }
    bool operator>=(const FileVersion& o) const { return !(*this < o); }
};

/// The process-wide version of the file being read. Until a loader sets it,
/// it is FileVersion::Current(), so restoring records that come from no file
/// converts nothing.
FileVersion GetFileVersion();
void SetFileVersion(const FileVersion& version);

}  // namespace vynui
