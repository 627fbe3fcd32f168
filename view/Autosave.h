#pragma once
// Autosave and crash recovery of a view's scene. While the scene holds
// unsaved changes it is snapshotted on the user-interface thread at most
// once an interval and written by a worker to this program's recovery file;
// a scene saved again loses its recovery file, and so does a clean exit. At
// start, the newest recovery file of a program that no longer runs is
// offered for restoring.

#include <filesystem>
#include <memory>
#include <string>

#include "persist/RecoveryFiles.h"
#include "persist/RecoveryWriter.h"

namespace vynui {

class CViewCore;
class UserInterface;

class CAutosave {
public:
    /// view: not owned, outlives this. The file goes into folder, named
    /// after self. now: seconds on the clock that Tick is given.
    CAutosave(CViewCore& view, const RecoveryFolder& folder, double intervalSeconds, double now,
              const ProcessStamp& self = CurrentProcessStamp());
    /// As Finish.
    ~CAutosave();
    CAutosave(const CAutosave&) = delete;
    CAutosave& operator=(const CAutosave&) = delete;

    /// The timer: snapshots the scene when the schedule says so and hands
    /// it to the worker; removes the file once the scene is saved.
    void Tick(double now);
    /// The program ends normally: queued work is done and the file removed.
    /// Later ticks do nothing.
    void Finish();
    /// Makes source (a recovered file holding the scene as it is now) this
    /// program's recovery file; false when it cannot be moved.
    bool Adopt(const std::filesystem::path& source, double now);

    const std::filesystem::path& FilePath() const { return m_file; }
    double Interval() const { return m_schedule.Interval(); }
    RecoveryWriter& Writer() { return *m_writer; }
    /// Why the last snapshot or write failed since the last call; empty
    /// when none did.
    std::string TakeError();

private:
    CViewCore& m_view;
    std::filesystem::path m_file;
    AutosaveSchedule m_schedule;
    std::unique_ptr<RecoveryWriter> m_writer;
    std::string m_error;
    bool m_finished = false;
};

/// What the offer at start did.
enum class RecoveryOutcome { NoneFound, Restored, Declined, Unreadable };

/// The question that offers a recovery file written at that time.
std::string RecoveryQuestion(std::time_t written);
extern const char* const kRecoveryTitle;

/// Offers the newest recovery file of a program no longer running (a Yes/No
/// question naming its time). Yes: the scene is added to view's as unsaved,
/// without a file, and the file becomes autosave's own (removed when there
/// is none). No: the file is removed. A file that cannot be read is kept
/// beside, renamed with ".unreadable", and the user told so. Older recovery
/// files stay for later starts.
RecoveryOutcome OfferRecovery(CViewCore& view, UserInterface& ui, const RecoveryFolder& folder,
                              CAutosave* autosave, double now,
                              const RecoveryFolder::RunningQuery& running = IsProcessRunning);

}  // namespace vynui
