#include <gtest/gtest.h>

#include "blobtree/BlobTreeLibrary.h"

TEST(BlobTreeLibrary, Links) { EXPECT_NE(vynbt::LibraryVersion(), nullptr); }
