#pragma once
// Application object: start-up from the command line and shut-down.

#include <QApplication>
#include <QElapsedTimer>
#include <QSize>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

class CMainFrame;

namespace vynui {
class CAutosave;
class CViewCore;
class UserInterface;
}  // namespace vynui

class CMolderyApp : public QApplication {
    Q_OBJECT
public:
    /// What the command line asks for.
    struct Options {
        QString screenshotPath;  ///< empty: run interactively
        QString replayPath;      ///< a script of user actions to run, then exit
        QSize screenshotSize;    ///< invalid: the view's own size
        bool showHelp = false;   ///< print helpText and exit
        QString helpText;
    };

    CMolderyApp(int& argc, char** argv);
    ~CMolderyApp() override;

    /// Parses the command line into options; false (with the reason in error)
    /// on a malformed option.
    static bool ParseCommandLine(const QStringList& arguments, Options& options, QString& error);

    /// Builds the main window with one document and shows it. In screenshot
    /// mode the program renders one frame, writes it and quits. Returns the
    /// process exit code.
    int Run(const Options& options);

    /// The recent-file list as stored in the settings
    /// (QSettings("Kilnform", "Kilnform"), at most four entries, newest first).
    static std::vector<std::string> LoadRecentFiles();
    static void SaveRecentFiles(const std::vector<std::string>& paths);

    /// Where recovery files go: $KILNFORM_RECOVERY_DIR, else "recovery" in
    /// the application's data folder.
    static QString RecoveryFolder();

private:
    bool WriteScreenshot(const Options& options);
    /// Runs the replay script in the shown window; the exit code.
    int Replay(const Options& options);
    /// Autosaves the scene of view while it has unsaved changes, every
    /// $KILNFORM_AUTOSAVE_SECONDS (default 60).
    void StartAutosave(vynui::CViewCore& view);
    void AutosaveTick();
    /// Removes this program's recovery file once queued writes are done.
    void StopAutosave();
    /// Offers the newest recovery file of a program that ended without
    /// cleaning up.
    void OfferRecovery(vynui::CViewCore& view, vynui::UserInterface& ui);

    CMainFrame* m_mainFrame = nullptr;
    std::unique_ptr<vynui::CAutosave> m_autosave;
    QTimer m_autosaveTimer;
    QElapsedTimer m_clock;
};
