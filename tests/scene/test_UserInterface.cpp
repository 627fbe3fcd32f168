// The value dialog's acceptance rule and the scripted interface that tests
// and replays answer prompts with.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scene/UserInterface.h"
#include "tests/support/ScriptedUserInterface.h"

namespace {

using vynui::Answer;
using vynui::ValueRequest;

ValueRequest Request(float minimum, float maximum, bool integer)
{
    ValueRequest r;
    r.label = "Max Frame";
    r.minimum = minimum;
    r.maximum = maximum;
    r.integer = integer;
    return r;
}

TEST(ValueDialog, AcceptsOnlyFiniteValuesInRangeWithTheDialogsRefusalText)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float minimum, maximum;
        bool integer;
        float value;
        bool accepted;
        const char* refusal;
    } cases[] = {
        {0, 1, false, 0.0f, true, ""},
        {0, 1, false, 1.0f, true, ""},
        {0, 1, false, 1.5f, false, "Value 1.50000 is out of range"},
        {0, 1, false, -0.25f, false, "Value -0.25000 is out of range"},
        {0, 1, false, nan, false, "Value nan is out of range"},
        {1, 65536, true, 65536.0f, true, ""},
        {1, 65536, true, 70000.0f, false, "Value 70000 is out of range"},
        {1, 65536, true, 0.0f, false, "Value 0 is out of range"},
        {1, 65536, true, 2.5f, true, ""},
        {1, 65536, true, 0.5f, false, "Value 0 is out of range"},
        {1, 65536, true, inf, false, "Value inf is out of range"},
    };
    for (const Case& c : cases) {
        std::string refusal;
        const ValueRequest r = Request(c.minimum, c.maximum, c.integer);
        float value = c.value;
        EXPECT_EQ(r.Accepts(value, refusal), c.accepted) << c.value;
        EXPECT_EQ(refusal, c.refusal) << c.value;
    }
    EXPECT_EQ(Request(0, 1, false).Title(), "Set Max Frame");
}

TEST(ScriptedUserInterface, AnswersInOrderAndCancelsWhenTheScriptRunsOut)
{
    kftest::ScriptedUserInterface ui;
    ui.AnswerQuestion(Answer::Yes);
    ui.AnswerFile("scenes/chair");
    ui.CancelFile();
    ui.AnswerValue(99.0f);  // refused: out of range, the person types again
    ui.AnswerValue(12.0f);

    EXPECT_EQ(ui.AskQuestion("Save changes?", "Kilnform", true), Answer::Yes);
    EXPECT_EQ(ui.AskQuestion("Save changes?", "Kilnform", true), Answer::Cancel);
    EXPECT_EQ(ui.AskQuestion("Replace?", "Kilnform", false), Answer::No);

    vynui::FileDialogRequest save;
    save.defaultExtension = "xml";
    save.filter = "Kilnform SceneXML Files (*.xml);;All Files (*)";
    std::string path = "unchanged";
    ASSERT_TRUE(ui.ChooseFileToSave(save, path));
    EXPECT_EQ(path, "scenes/chair.xml");
    EXPECT_FALSE(ui.ChooseFileToOpen(save, path));
    EXPECT_EQ(path, "scenes/chair.xml");

    float value = 3.0f;
    ASSERT_TRUE(ui.AskValue(Request(1, 20, true), value));
    EXPECT_EQ(value, 12.0f);
    ASSERT_EQ(ui.EventsOf("refused").size(), 1u);
    EXPECT_EQ(ui.EventsOf("refused")[0].text, "Value 99 is out of range");
    EXPECT_EQ(ui.EventsOf("refused")[0].title, "Invalid Value");
    EXPECT_FALSE(ui.AskValue(Request(1, 20, true), value));
    EXPECT_EQ(value, 12.0f);

    Wml::ColorRGBA colour(0.1f, 0.2f, 0.3f, 1.0f);
    EXPECT_FALSE(ui.ChooseColour(colour));
    EXPECT_EQ(colour.G(), 0.2f);

    ui.ShowMessage("Error Saving File", "Error");
    ui.SetStatusText("Writing File...");
    ui.SetWindowTitle("chair.xml");
    EXPECT_EQ(ui.Messages(), std::vector<std::string>{"Error Saving File"});
    EXPECT_EQ(ui.StatusText(), "Writing File...");
    EXPECT_EQ(ui.WindowTitle(), "chair.xml");
    EXPECT_TRUE(ui.AllAnswersUsed());
}

}  // namespace
