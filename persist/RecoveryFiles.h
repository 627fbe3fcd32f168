#pragma once
// Recovery files: the autosaved scene of a running program, one file per
// process in a recovery folder, named after the process that writes it so
// that two programs never write the same file and a later start can tell
// the files of programs that ended without cleaning up.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vynui {

/// A process: its id and its start time (clock ticks after boot), so that a
/// reused id is not taken for the program that wrote a file.
struct ProcessStamp {
    long pid = 0;
    unsigned long long start = 0;
};

/// This process.
ProcessStamp CurrentProcessStamp();
/// Whether the stamped process still runs (the id exists and, where the
/// system tells start times, started at the stamped time).
bool IsProcessRunning(const ProcessStamp& process);

/// A recovery file found in the folder.
struct RecoveryFile {
    std::filesystem::path path;
    ProcessStamp writer;
    std::time_t written = 0;  ///< last modification
};

class RecoveryFolder {
public:
    using RunningQuery = std::function<bool(const ProcessStamp&)>;

    explicit RecoveryFolder(std::filesystem::path folder) : m_folder(std::move(folder)) {}
    const std::filesystem::path& Folder() const { return m_folder; }

    /// "autosave-PID-START.xml".
    static std::string FileName(const ProcessStamp& process);
    /// The stamp a recovery file's name carries; false for other names.
    static bool ParseFileName(const std::string& name, ProcessStamp& process);
    std::filesystem::path FileOf(const ProcessStamp& process) const { return m_folder / FileName(process); }

    /// Recovery files of processes that no longer run, newest first. A
    /// missing or unreadable folder has none.
    std::vector<RecoveryFile> FindStale(const RunningQuery& running = IsProcessRunning) const;
    /// Removes the half-written files (see WriteFileAtomically) that
    /// processes no longer running left behind.
    void RemoveStalePartials(const RunningQuery& running = IsProcessRunning) const;

private:
    std::filesystem::path m_folder;
};

/// Writes text beside path and renames it over path, so that path holds
/// either its old content or all of text. The folder is made when missing.
/// False with the reason in error.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& text, std::string& error);

/// "YYYY-MM-DD HH:MM:SS" in local time.
std::string FormatLocalTime(std::time_t time);

/// The autosave interval in seconds from its setting (the environment's
/// text; null or empty: the default). A text that is no number of seconds
/// from 0.1 to one day is refused with the reason in error; seconds then
/// holds the default.
bool ParseAutosaveSeconds(const char* text, double& seconds, std::string& error);
constexpr double kDefaultAutosaveSeconds = 60.0;

/// When the scene is snapshotted: when it holds changes that the last
/// snapshot does not have, and no snapshot was taken for an interval.
class AutosaveSchedule {
public:
    AutosaveSchedule(double intervalSeconds, double now) : m_interval(intervalSeconds), m_last(now) {}
    double Interval() const { return m_interval; }
    bool IsDue(double now, bool modified, std::uint64_t generation) const;
    /// A snapshot of that generation was taken at now.
    void Taken(double now, std::uint64_t generation);
    /// No snapshot holds the scene now (it was saved, or the file removed).
    void Forget() { m_hasTaken = false; }
    bool HasTaken() const { return m_hasTaken; }

private:
    double m_interval;
    double m_last;
    std::uint64_t m_generation = 0;
    bool m_hasTaken = false;
};

}  // namespace vynui
