#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wml/DebugOutput.h"

TEST(DebugOutput, SinkReceivesFormattedMessagesAndIsRestored)
{
    std::vector<std::string> outer, inner;
    {
        Wml::ScopedDebugOutputSink a([&](const char* m) { outer.push_back(m); });
        DebugOutput("Vertex marking failed...\n");
        {
            Wml::ScopedDebugOutputSink b([&](const char* m) { inner.push_back(m); });
            DebugOutput("Connectivity Badness at either (%d,%d) or (%d,%d)!\n", 1, 2, 3, 4);
        }
        DebugOutput("%.2f FPS\n", 12.345);
    }
    DebugOutput("nobody listens\n");
    ASSERT_EQ(outer.size(), 2u);
    EXPECT_EQ(outer[0], "Vertex marking failed...\n");
    EXPECT_EQ(outer[1], "12.35 FPS\n");
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner[0], "Connectivity Badness at either (1,2) or (3,4)!\n");
}

TEST(DebugOutput, LongMessagesAreCutToTheBuffer)
{
    std::string got;
    Wml::ScopedDebugOutputSink sink([&](const char* m) { got = m; });
    std::string longText(5000, 'x');
    DebugOutput("%s", longText.c_str());
    EXPECT_EQ(got.size(), 1023u);
    DebugOutput(nullptr);  // ignored, no crash
    EXPECT_EQ(got.size(), 1023u);
}
