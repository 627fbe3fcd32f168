// The value dialog's texts and its reading of what was typed.

#include <gtest/gtest.h>

#include <clocale>

#include "view/ValueDialogModel.h"

using vynui::ValueDialogModel;
using vynui::ValueRequest;

namespace {

ValueRequest Request(const char* label, float minimum, float maximum, float current, bool integer)
{
    ValueRequest r;
    r.label = label;
    r.minimum = minimum;
    r.maximum = maximum;
    r.current = current;
    r.integer = integer;
    return r;
}

}  // namespace

TEST(ValueDialogModel, ShowsTitleLabelRangeAndCurrentValue)
{
    const ValueDialogModel frames(Request("Max Frame", 1, 10000, 100, true));
    EXPECT_EQ(frames.Title(), "Set Max Frame");
    EXPECT_EQ(frames.LabelText(), "Max Frame:");
    EXPECT_EQ(frames.RangeText(), "1 to 10000");
    EXPECT_EQ(frames.CurrentText(), "100");

    const ValueDialogModel light(Request("Ambient Light", 0, 1, 0.2f, false));
    EXPECT_EQ(light.Title(), "Set Ambient Light");
    EXPECT_EQ(light.RangeText(), "0.000 to 1.000");
    EXPECT_EQ(light.CurrentText(), "0.20000");

    EXPECT_EQ(ValueDialogModel(Request("N", -5, 5, 2.6f, true)).CurrentText(), "3");
    EXPECT_EQ(ValueDialogModel(Request("N", -5, 5, 1e30f, true)).RangeText(), "-5 to 5");
}

TEST(ValueDialogModel, ReadsIntegersAndFloatsWithinRange)
{
    struct Case {
        bool integer;
        const char* typed;
        bool accepted;
        float value;
        const char* refusal;
    } cases[] = {
        {true, "7", true, 7, ""},
        {true, " +10 ", true, 10, ""},
        {true, "1", true, 1, ""},
        {true, "0", false, 0, "Value 0 is out of range"},
        {true, "11", false, 0, "Value 11 is out of range"},
        {true, "-3", false, 0, "Value -3 is out of range"},
        {true, "99999999999999999999", false, 0, "Please enter an integer."},
        {true, "3.5", false, 0, "Please enter an integer."},
        {true, "0x5", false, 0, "Please enter an integer."},
        {true, "", false, 0, "Please enter an integer."},
        {true, "five", false, 0, "Please enter an integer."},
        {false, "0.25", true, 0.25f, ""},
        {false, "1", true, 1, ""},
        {false, "1e-1", true, 0.1f, ""},
        {false, "  .5\n", true, 0.5f, ""},
        {false, "1.5", false, 0, "Value 1.50000 is out of range"},
        {false, "-0.001", false, 0, "Value -0.00100 is out of range"},
        {false, "nan", false, 0, "Please enter a number."},
        {false, "inf", false, 0, "Please enter a number."},
        {false, "1e999", false, 0, "Please enter a number."},
        {false, "0,5", false, 0, "Please enter a number."},
        {false, "0.5x", false, 0, "Please enter a number."},
        {false, "", false, 0, "Please enter a number."},
    };
    for (const Case& c : cases) {
        const ValueDialogModel model(c.integer ? Request("N", 1, 10, 5, true)
                                               : Request("F", 0, 1, 0.5f, false));
        float value = -42.0f;
        std::string refusal;
        EXPECT_EQ(model.Parse(c.typed, value, refusal), c.accepted) << c.typed;
        if (c.accepted) {
            EXPECT_FLOAT_EQ(value, c.value) << c.typed;
        } else {
            EXPECT_EQ(refusal, c.refusal) << c.typed;
            EXPECT_EQ(value, -42.0f) << c.typed;
        }
    }
    EXPECT_STREQ(ValueDialogModel::RefusalTitle(), "Invalid Value");
}

TEST(ValueDialogModel, UsesAPointWhateverTheLocale)
{
    // The window toolkit adopts the person's locale; where that one writes
    // a comma the dialog must still show and read a point.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const ValueDialogModel model(Request("F", 0, 1, 0.5f, false));
    float value = 0.0f;
    std::string refusal;
    const bool accepted = model.Parse("0.75", value, refusal);
    const std::string current = model.CurrentText();
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_TRUE(accepted) << refusal;
    EXPECT_FLOAT_EQ(value, 0.75f);
    EXPECT_EQ(current, "0.50000");
}
