#include "persist/RecoveryFiles.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace vynui {

namespace {

const char* const kPrefix = "autosave-";
const char* const kSuffix = ".xml";
// A write in progress: the final name with this after it.
const char* const kPartial = ".partial";

bool ParseUnsigned(const std::string& text, unsigned long long& value)
{
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

// From /proc/PID/stat: the state letter and the start time (field 22). The
// command name (field 2) is in parentheses and may hold blanks.
bool ReadProcStat(long pid, char& state, unsigned long long& start)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!in || !std::getline(in, text)) return false;
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int index = 3; index <= 22 && fields >> field; ++index) {
        if (index == 3) state = field.empty() ? '?' : field[0];
        if (index == 22) return ParseUnsigned(field, start);
    }
    return false;
}

bool HasProc()
{
    std::error_code ec;
    return fs::exists("/proc/self/stat", ec);
}

bool IsPartialName(const std::string& name, std::string& finalName)
{
    const std::string partial = kPartial;
    if (name.size() <= partial.size() ||
        name.compare(name.size() - partial.size(), partial.size(), partial) != 0)
        return false;
    finalName = name.substr(0, name.size() - partial.size());
    return true;
}

}  // namespace

ProcessStamp CurrentProcessStamp()
{
    ProcessStamp self;
    self.pid = static_cast<long>(::getpid());
    char state = '?';
    if (!ReadProcStat(self.pid, state, self.start)) self.start = 0;
    return self;
}

bool IsProcessRunning(const ProcessStamp& process)
{
    if (process.pid <= 0) return false;
    if (HasProc()) {
        char state = '?';
        unsigned long long start = 0;
        if (!ReadProcStat(process.pid, state, start)) return false;
        // A process that ended but was not yet waited for no longer writes.
        if (state == 'Z' || state == 'X') return false;
        return process.start == 0 || start == process.start;
    }
    return ::kill(static_cast<pid_t>(process.pid), 0) == 0 || errno == EPERM;
}

std::string RecoveryFolder::FileName(const ProcessStamp& process)
{
    return kPrefix + std::to_string(process.pid) + "-" + std::to_string(process.start) + kSuffix;
}

bool RecoveryFolder::ParseFileName(const std::string& name, ProcessStamp& process)
{
    const std::string prefix = kPrefix, suffix = kSuffix;
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == std::string::npos) return false;
    unsigned long long pid = 0, start = 0;
    if (!ParseUnsigned(middle.substr(0, dash), pid) || !ParseUnsigned(middle.substr(dash + 1), start))
        return false;
    if (pid == 0 || pid > 0x7fffffffull) return false;
    process.pid = static_cast<long>(pid);
    process.start = start;
    return true;
}

std::vector<RecoveryFile> RecoveryFolder::FindStale(const RunningQuery& running) const
{
    std::vector<RecoveryFile> found;
    std::error_code ec;
    fs::directory_iterator it(m_folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        RecoveryFile file;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (!ParseFileName(it->path().filename().string(), file.writer)) continue;
        if (running && running(file.writer)) continue;
        struct stat info;
        if (::stat(it->path().c_str(), &info) != 0) continue;
        file.path = it->path();
        file.written = info.st_mtime;
        found.push_back(file);
    }
    std::sort(found.begin(), found.end(), [](const RecoveryFile& a, const RecoveryFile& b) {
        if (a.written != b.written) return a.written > b.written;
        return a.path < b.path;
    });
    return found;
}

void RecoveryFolder::RemoveStalePartials(const RunningQuery& running) const
{
    std::error_code ec;
    std::vector<fs::path> doomed;
    fs::directory_iterator it(m_folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string finalName;
        ProcessStamp writer;
        if (!IsPartialName(it->path().filename().string(), finalName)) continue;
        if (!ParseFileName(finalName, writer) || (running && running(writer))) continue;
        doomed.push_back(it->path());
    }
    for (const fs::path& path : doomed) fs::remove(path, ec);
}

bool WriteFileAtomically(const fs::path& path, const std::string& text, std::string& error)
{
    std::error_code ec;
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path(), ec);
        if (ec) {
            error = "cannot make " + path.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    const fs::path partial = path.string() + kPartial;
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) {
        error = "cannot write " + partial.string() + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    ok = std::fflush(out) == 0 && ok;
    // The new content must be on disk before the name points at it.
    ok = ::fsync(::fileno(out)) == 0 && ok;
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        error = "cannot write " + partial.string() + ": " + std::strerror(errno);
        fs::remove(partial, ec);
        return false;
    }
    fs::rename(partial, path, ec);
    if (ec) {
        error = "cannot rename " + partial.string() + ": " + ec.message();
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

std::string FormatLocalTime(std::time_t time)
{
    std::tm local{};
    if (!::localtime_r(&time, &local)) return "an unknown time";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

bool ParseAutosaveSeconds(const char* text, double& seconds, std::string& error)
{
    seconds = kDefaultAutosaveSeconds;
    if (!text || !*text) return true;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno != 0 || !std::isfinite(value) || value < 0.1 ||
        value > 86400.0) {
        error = std::string("autosave interval \"") + text +
                "\" is no number of seconds from 0.1 to 86400; autosaving every 60 seconds";
        return false;
    }
    seconds = value;
    return true;
}

bool AutosaveSchedule::IsDue(double now, bool modified, std::uint64_t generation) const
{
    if (!modified) return false;
    if (m_hasTaken && generation == m_generation) return false;
    return now - m_last >= m_interval;
}

void AutosaveSchedule::Taken(double now, std::uint64_t generation)
{
    m_last = now;
    m_generation = generation;
    m_hasTaken = true;
}

}  // namespace vynui
