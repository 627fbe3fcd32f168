#include <gtest/gtest.h>

#include "sketch/SketchLibrary.h"

TEST(SketchLibrary, Links) { EXPECT_NE(vynsketch::LibraryVersion(), nullptr); }
