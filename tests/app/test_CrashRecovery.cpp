// The program killed after it autosaved: the next start offers the scene
// back, and a program that ends normally leaves no recovery file.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Starts the program on a replay script with the recovery folder and a short
// autosave interval; its output goes to log.
pid_t Start(const fs::path& script, const fs::path& recovery, const fs::path& log)
{
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::setenv("KILNFORM_RECOVERY_DIR", recovery.c_str(), 1);
    ::setenv("KILNFORM_AUTOSAVE_SECONDS", "0.5", 1);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
    }
    ::execl(KILNFORM_EXE, KILNFORM_EXE, "--replay", script.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
}

int Finish(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<fs::path> RecoveryFiles(const fs::path& folder)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("autosave-", 0) == 0) found.push_back(it->path());
    }
    return found;
}

std::string Read(const fs::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path WriteScript(const fs::path& folder, const std::string& name, const std::string& text)
{
    const fs::path path = folder / name;
    std::ofstream(path) << text;
    return path;
}

}  // namespace

TEST(CrashRecovery, TheLastAutosavedSceneComesBackAfterTheProgramWasKilled)
{
    static const kftest::TempFolder folder("app_recovery");
    const fs::path recovery = folder.Path() / "recovery";
    const fs::path sketch = WriteScript(folder.Path(), "sketch.kfs",
                                        "size 320 240\n"
                                        "ellipse 160 120 70 50\n"
                                        "hud BlobbySweepButton\n"
                                        "expect shapes 1\n"
                                        "expect modified yes\n"
                                        "wait 60\n");
    const pid_t killed = Start(sketch, recovery, folder.Path() / "sketch.log");
    ASSERT_GT(killed, 0);
    // Its recovery file appears once the shape is made and autosaved.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    std::vector<fs::path> files;
    while (std::chrono::steady_clock::now() < deadline) {
        files = RecoveryFiles(recovery);
        if (files.size() == 1 && files[0].extension() == ".xml") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::kill(killed, SIGKILL);
    Finish(killed);
    ASSERT_EQ(1u, files.size()) << Read(folder.Path() / "sketch.log");
    const std::string name = files[0].filename().string();
    EXPECT_EQ(0u, name.find("autosave-" + std::to_string(killed) + "-")) << name;
    EXPECT_NE(std::string::npos, Read(files[0]).find("CappedLinearSweep"));

    // A script that does not answer first is not asked; the file stays.
    const fs::path quiet = WriteScript(folder.Path(), "quiet.kfs", "expect shapes 0\n");
    EXPECT_EQ(0, Finish(Start(quiet, recovery, folder.Path() / "quiet.log")))
        << Read(folder.Path() / "quiet.log");
    EXPECT_EQ(files, RecoveryFiles(recovery));

    // The next start is offered the scene, restores it as unsaved, and
    // leaves no recovery file when it ends normally.
    const fs::path restore = WriteScript(folder.Path(), "restore.kfs",
                                         "answer yes\n"
                                         "expect shapes 1\n"
                                         "expect modified yes\n"
                                         "wait 1\n");
    const fs::path log = folder.Path() / "restore.log";
    EXPECT_EQ(0, Finish(Start(restore, recovery, log))) << Read(log);
    EXPECT_NE(std::string::npos, Read(log).find("Recover Scene: Kilnform did not end properly")) << Read(log);
    EXPECT_TRUE(RecoveryFiles(recovery).empty());
}
