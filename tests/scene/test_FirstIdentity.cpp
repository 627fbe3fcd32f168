// Runs in a process of its own: the first scene object of a run.

#include <gtest/gtest.h>

#include "scene/BillboardSO.h"
#include "scene/NameRegistry.h"
#include "scene/SceneObject.h"

TEST(FirstSceneObjects, TakeIdOneAndTheFirstNames)
{
    vynui::SceneObject first;
    EXPECT_EQ(first.GetObjectID(), 1u);
    EXPECT_EQ(first.GetName(), "SceneObject1");

    vynui::BillboardSO billboard;
    EXPECT_EQ(billboard.GetObjectID(), 2u);
    EXPECT_EQ(billboard.GetName(), "Billboard1");
    // The base name it held before the rename stays consumed.
    EXPECT_TRUE(vynui::IsNameClaimed("SceneObject2"));

    vynui::SceneObject third;
    EXPECT_EQ(third.GetObjectID(), 3u);
    EXPECT_EQ(third.GetName(), "SceneObject3");
}
