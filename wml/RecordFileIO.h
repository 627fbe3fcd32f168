#pragma once
// Helpers shared by the two record file formats: whole-file reading with a
// size cap, replacing a file only by a complete new one, and number text that
// does not depend on the C locale (the program's locale may use ',' for the
// decimal point).

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace Wml {
namespace RecordFileIO {

/// Files larger than this are refused before anything is allocated for them.
constexpr std::size_t MAX_FILE_BYTES = std::size_t(256) << 20;
/// Longest record type name or key accepted from a file.
constexpr std::size_t MAX_NAME_BYTES = 4096;
/// Longest string field accepted from a file.
constexpr std::size_t MAX_STRING_BYTES = std::size_t(16) << 20;
/// Most records, and most fields, polygons and splines altogether, accepted
/// from one file. Tiny records cost far more in memory than on disk; these
/// keep a hostile file's cost bounded (real scenes hold thousands).
constexpr std::size_t MAX_RECORDS = 250000;
constexpr std::size_t MAX_ENTRIES = 1000000;

/// Reads the whole regular file at path into data (plus extraNull zero bytes
/// after the contents, for parsers that want a terminator). False with error
/// for a null path, a missing, unreadable or non-regular file, or one larger
/// than MAX_FILE_BYTES.
bool ReadWholeFile(const char* path, std::vector<char>& data, std::size_t extraNull, std::string& error);

/// Writes a temporary file beside path through write(file), flushes it to
/// disk and renames it over path. On any failure (write answers false, a
/// stream error, the rename fails) the temporary file is removed, path is left
/// as it was, and error says why.
bool WriteFileAtomically(const char* path, const std::function<bool(std::FILE*)>& write, std::string& error);

/// Shortest text that reads back to exactly the same float ("nan", "inf" and
/// "-inf" for the special values).
std::string FormatFloat(float value);
void AppendFloat(std::string& out, float value);

/// Whole-token parsers: the text [begin, end) must be exactly one number in
/// plain decimal (floats also in exponent form or nan/inf). Out of range is
/// refused.
bool ParseFloat(const char* begin, const char* end, float& value);
bool ParseUInt(const char* begin, const char* end, unsigned int& value);
bool ParseInt(const char* begin, const char* end, int& value);

}  // namespace RecordFileIO
}  // namespace Wml
