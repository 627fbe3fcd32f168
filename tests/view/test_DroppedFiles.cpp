// Files dropped on the window: the decision by extension, and what the view
// does with each kind (no file dialog is ever shown for a dropped file).

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "blobtree_ui/RootNodeSceneObject.h"
#include "implicit/mesh/MeshFiles.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "tests/support/MeshShapes.h"
#include "tests/support/ScriptedUserInterface.h"
#include "tests/support/TempFolder.h"
#include "view/DroppedFiles.h"
#include "view/ViewCore.h"

using vynui::DropAction;

TEST(DroppedFiles, TheExtensionDecidesInAnyCase)
{
    const struct {
        const char* path;
        DropAction action;
    } rows[] = {
        {"/a/scene.xml", DropAction::OpenScene}, {"old.KFN", DropAction::OpenScene},
        {"m.obj", DropAction::ImportMesh},       {"m.STL", DropAction::ImportMesh},
        {"m.ply", DropAction::ImportMesh},       {"m.glb", DropAction::ImportMesh},
        {"m.gltf", DropAction::ImportMesh},      {"dir.x/m.Dae", DropAction::ImportMesh},
        {"picture.png", DropAction::Refuse},     {"notes.txt", DropAction::Refuse},
        {"scene.xml.bak", DropAction::Refuse},   {"Makefile", DropAction::Refuse},
        {"/a/folder.obj/", DropAction::Refuse},  {"", DropAction::Refuse},
    };
    for (const auto& row : rows) EXPECT_EQ(vynui::DecideDrop(row.path), row.action) << row.path;
    const std::string text = vynui::RefusedDropText("/home/me/notes.txt");
    EXPECT_NE(text.find("notes.txt"), std::string::npos) << text;
    EXPECT_NE(text.find("\".txt\" files are not a type Kilnform opens"), std::string::npos) << text;
}

TEST(DroppedFiles, TheViewOpensScenesImportsMeshesAndRefusesTheRest)
{
    kftest::TempFolder folder("dropped");
    const std::string scenePath = folder.File("two.xml");
    {
        vynui::CViewCore maker(vynui::CViewCore::Managers::Own);
        kftest::ScriptedUserInterface ui;
        maker.SetUserInterface(&ui);
        vynui::CSceneManager* scene = maker.GetSceneManager();
        scene->AddNode(1, scene->GetRootSceneObject(), false);
        scene->AddNode(1, scene->GetRootSceneObject(), false);
        ui.AnswerFile(scenePath);
        ASSERT_TRUE(maker.RouteCommand("Save As..."));
    }
    const std::string meshPath = folder.File("tet.PLY");
    vynmesh::TriangleMesh tet;
    meshtest::MakeTetrahedron(tet);
    std::string error;
    ASSERT_TRUE(vynmesh::WritePLY(meshPath.c_str(), tet, error)) << error;

    vynui::CViewCore view(vynui::CViewCore::Managers::Own);
    kftest::ScriptedUserInterface ui;
    view.SetUserInterface(&ui);
    std::string used;
    view.SetFileUsedSink([&used](const std::string& path) { used = path; });
    vynui::CSceneManager* scene = view.GetSceneManager();
    const std::size_t before = scene->GetObjectManager()->GetObjects().Size();

    // A scene opens as "Open..." opens it: title, status, recent files.
    EXPECT_TRUE(view.OpenDroppedFile(scenePath));
    EXPECT_EQ(scene->GetRootSceneObject()->GetChildren().size(), 2u);
    EXPECT_EQ(ui.WindowTitle(), "Kilnform B5 - two.xml[*]");
    EXPECT_EQ(ui.StatusText(), "Reading File...Done!");
    EXPECT_EQ(used, scenePath);

    // A mesh is imported with the import's warning, and selected.
    const std::size_t withScene = scene->GetObjectManager()->GetObjects().Size();
    EXPECT_GT(withScene, before);
    EXPECT_TRUE(view.OpenDroppedFile(meshPath));
    EXPECT_EQ(scene->GetObjectManager()->GetObjects().Size(), withScene + 1);
    EXPECT_EQ(scene->GetObjectManager()->GetSelection().Items().size(), 1u);
    ASSERT_FALSE(ui.Messages().empty());
    EXPECT_NE(ui.Messages().back().find("Imported meshes"), std::string::npos);

    // A damaged mesh says why; other files are refused; nothing is added.
    const std::string cut = folder.File("cut.ply");
    std::ofstream(cut) << "ply\nformat binary_little_endian 1.0\nelement vertex 3\n";
    EXPECT_FALSE(view.OpenDroppedFile(cut));
    EXPECT_NE(ui.Messages().back().find("Error loading file!"), std::string::npos) << ui.Messages().back();
    EXPECT_FALSE(view.OpenDroppedFile(folder.File("picture.png")));
    ASSERT_FALSE(ui.EventsOf("message").empty());
    EXPECT_EQ(ui.EventsOf("message").back().text, vynui::RefusedDropText(folder.File("picture.png")));
    EXPECT_EQ(ui.EventsOf("message").back().title, vynui::kRefusedDropTitle);
    EXPECT_EQ(scene->GetObjectManager()->GetObjects().Size(), withScene + 1);
    EXPECT_TRUE(ui.EventsOf("open").empty()) << "no file dialog for a dropped file";
}
