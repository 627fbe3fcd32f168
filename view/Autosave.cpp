#include "view/Autosave.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "scene/UserInterface.h"
#include "view/ViewCore.h"

namespace fs = std::filesystem;

namespace vynui {

const char* const kRecoveryTitle = "Recover Scene";

namespace {

// No scene a person builds comes near this; a bigger file is no recovery file.
const std::uintmax_t kMaxRecoveryBytes = 512u * 1024u * 1024u;

bool ReadWhole(const fs::path& path, std::string& text)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxRecoveryBytes) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return !in.bad();
}

}  // namespace

CAutosave::CAutosave(CViewCore& view, const RecoveryFolder& folder, double intervalSeconds, double now,
                     const ProcessStamp& self)
    : m_view(view),
      m_file(folder.FileOf(self)),
      m_schedule(intervalSeconds, now),
      m_writer(std::make_unique<RecoveryWriter>())
{
}

CAutosave::~CAutosave()
{
    Finish();
}

void CAutosave::Tick(double now)
{
    if (m_finished) return;
    const DocumentState& document = m_view.GetDocument();
    if (!document.IsModified()) {
        // Saved, read or started anew: the file would only offer an old state.
        if (m_schedule.HasTaken()) {
            m_writer->Remove(m_file);
            m_schedule.Forget();
        }
        return;
    }
    if (!m_schedule.IsDue(now, true, document.GetGeneration())) return;
    std::string text;
    const bool taken = m_view.SnapshotWholeScene(text);
    // Tried once per change: a scene that cannot be written now is tried
    // again after its next change.
    m_schedule.Taken(now, document.GetGeneration());
    if (!taken) {
        m_error = "the scene could not be snapshotted for autosave";
        return;
    }
    m_writer->Write(m_file, std::move(text));
}

void CAutosave::Finish()
{
    if (m_finished) return;
    m_finished = true;
    m_writer->Remove(m_file);
    m_writer->Flush();
}

bool CAutosave::Adopt(const fs::path& source, double now)
{
    if (m_finished) return false;
    // Whatever this program queued for its file would replace what is moved in.
    m_writer->Flush();
    std::error_code ec;
    fs::rename(source, m_file, ec);
    if (ec) return false;
    m_schedule.Taken(now, m_view.GetDocument().GetGeneration());
    return true;
}

std::string CAutosave::TakeError()
{
    std::string error;
    error.swap(m_error);
    if (error.empty()) error = m_writer->TakeError();
    return error;
}

std::string RecoveryQuestion(std::time_t written)
{
    return "Kilnform did not end properly last time. Its scene was autosaved at " + FormatLocalTime(written) +
           ". Do you want to restore it?";
}

RecoveryOutcome OfferRecovery(CViewCore& view, UserInterface& ui, const RecoveryFolder& folder,
                              CAutosave* autosave, double now, const RecoveryFolder::RunningQuery& running)
{
    folder.RemoveStalePartials(running);
    const std::vector<RecoveryFile> stale = folder.FindStale(running);
    if (stale.empty()) return RecoveryOutcome::NoneFound;
    const RecoveryFile& newest = stale.front();
    std::error_code ec;
    if (ui.AskQuestion(RecoveryQuestion(newest.written), kRecoveryTitle, false) != Answer::Yes) {
        fs::remove(newest.path, ec);
        return RecoveryOutcome::Declined;
    }
    std::string text;
    const bool read = ReadWhole(newest.path, text);
    // Another program starting at the same time took it first.
    if (!read && !fs::exists(newest.path, ec)) return RecoveryOutcome::NoneFound;
    if (!read || !view.RestoreScene(text)) {
        const fs::path kept = newest.path.string() + ".unreadable";
        fs::rename(newest.path, kept, ec);
        ui.ShowMessage("The autosaved scene could not be read. It was kept as " +
                           (ec ? newest.path : kept).string() + ".",
                       kRecoveryTitle);
        return RecoveryOutcome::Unreadable;
    }
    // The file holds the scene as it now is: it becomes this program's own,
    // so the scene is never without a copy on disk.
    if (!autosave || !autosave->Adopt(newest.path, now)) {
        if (!autosave) fs::remove(newest.path, ec);
    }
    return RecoveryOutcome::Restored;
}

}  // namespace vynui
