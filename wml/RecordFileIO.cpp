#include "wml/RecordFileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace Wml {
namespace RecordFileIO {

namespace {

std::string SystemError(const std::string& what, const char* path, int err)
{
    return what + " '" + path + "': " + std::strerror(err);
}

}  // namespace

bool ReadWholeFile(const char* path, std::vector<char>& data, std::size_t extraNull, std::string& error)
{
    data.clear();
    if (!path || !*path) {
        error = "no file name given";
        return false;
    }
    // Non-blocking so that a FIFO given as path cannot hang the open; it is
    // refused below as not a regular file.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError("cannot open", path, errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        error = SystemError("cannot examine", path, errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = std::string("'") + path + "' is not a regular file";
        ::close(fd);
        return false;
    }
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > MAX_FILE_BYTES) {
        error = std::string("'") + path + "' is larger than " + std::to_string(MAX_FILE_BYTES >> 20) + " MB";
        ::close(fd);
        return false;
    }
    std::size_t size = static_cast<std::size_t>(st.st_size);
    data.resize(size + extraNull, '\0');
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, data.data() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = SystemError("cannot read", path, errno);
            ::close(fd);
            data.clear();
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got != size) {
        // The file shrank while we read it; take what is there.
        std::vector<char> shorter(data.begin(), data.begin() + got);
        shorter.resize(got + extraNull, '\0');
        data.swap(shorter);
    }
    return true;
}

bool WriteFileAtomically(const char* path, const std::function<bool(std::FILE*)>& write, std::string& error)
{
    if (!path || !*path) {
        error = "no file name given";
        return false;
    }
    std::string target(path);
    std::string temp = target + ".tmp-XXXXXX";
    int fd = ::mkstemp(&temp[0]);
    if (fd < 0) {
        error = SystemError("cannot create a temporary file beside", path, errno);
        return false;
    }
    // mkstemp makes the file private; give it the mode the target has, or
    // the usual mode of a new document.
    struct stat st;
    mode_t mode = 0644;
    if (::stat(path, &st) == 0 && S_ISREG(st.st_mode)) mode = st.st_mode & 07777;
    ::fchmod(fd, mode);

    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        error = SystemError("cannot write", temp.c_str(), errno);
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    bool ok = write(file);
    if (!ok && error.empty()) error = std::string("cannot write '") + path + "'";
    if (ok && (std::fflush(file) != 0 || std::ferror(file) || ::fsync(fileno(file)) != 0)) {
        error = SystemError("cannot write", temp.c_str(), errno);
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        error = SystemError("cannot write", temp.c_str(), errno);
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), path) != 0) {
        error = SystemError("cannot replace", path, errno);
        ok = false;
    }
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

void AppendFloat(std::string& out, float value)
{
    char buffer[32];
    std::to_chars_result r = std::to_chars(buffer, buffer + sizeof(buffer), value);
    out.append(buffer, r.ptr);
}

std::string FormatFloat(float value)
{
    std::string s;
    AppendFloat(s, value);
    return s;
}

bool ParseFloat(const char* begin, const char* end, float& value)
{
    if (begin == end) return false;
    // from_chars takes no leading '+'; "+inf" is never written, so refuse it.
    float v = 0.0f;
    std::from_chars_result r = std::from_chars(begin, end, v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != end) return false;
    value = v;
    return true;
}

bool ParseUInt(const char* begin, const char* end, unsigned int& value)
{
    unsigned int v = 0;
    std::from_chars_result r = std::from_chars(begin, end, v, 10);
    if (begin == end || r.ec != std::errc() || r.ptr != end) return false;
    value = v;
    return true;
}

bool ParseInt(const char* begin, const char* end, int& value)
{
    int v = 0;
    std::from_chars_result r = std::from_chars(begin, end, v, 10);
    if (begin == end || r.ec != std::errc() || r.ptr != end) return false;
    value = v;
    return true;
}

}  // namespace RecordFileIO
}  // namespace Wml
