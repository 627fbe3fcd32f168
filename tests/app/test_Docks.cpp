// The docked panels in the running program: a shape made by sketching shows
// its parameters in "Parameters" and its item in "BlobTree Editor", and the
// rows go when the selection does.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TempFolder.h"

namespace {

struct Outcome {
    int code = -1;
    std::string log;
};

Outcome Replay(const std::string& name, const std::string& script)
{
    static const kftest::TempFolder folder("app_docks");
    const std::string path = (folder.Path() / (name + ".kfs")).string();
    const std::string log = (folder.Path() / (name + ".log")).string();
    {
        std::ofstream out(path);
        out << script;
    }
    const std::string command =
        "\"" + std::string(KILNFORM_EXE) + "\" --replay \"" + path + "\" >\"" + log + "\" 2>&1";
    const int status = std::system(command.c_str());
    Outcome run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(log);
    run.log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

const char* const kSketchAShape =
    "size 640 480\n"
    "ellipse 320 240 110 75\n"
    "hud BlobbySweepButton\n"
    "expect selected 1\n"
    "wait 0.3\n";

}  // namespace

TEST(Docks, ShowTheSelectedShapesParametersAndTheTree)
{
    const Outcome shown = Replay("shown", std::string(kSketchAShape) +
                                              "expect parameter Name = CappedLinearSweep1\n"
                                              "expect parameter Cap Style = Blobby\n"
                                              "expect parameter Position\n"
                                              "expect item RootNode1\n"
                                              "expect item CappedLinearSweep1\n");
    EXPECT_EQ(0, shown.code) << shown.log;

    // Nothing selected: the rows are gone, the tree stays.
    const Outcome cleared = Replay("cleared", std::string(kSketchAShape) +
                                                  "command Clear Selection\n"
                                                  "expect item CappedLinearSweep1\n"
                                                  "expect parameter Name\n");
    EXPECT_EQ(1, cleared.code);
    EXPECT_NE(std::string::npos, cleared.log.find("line 8: the parameter panel has no row \"Name\""))
        << cleared.log;
}
