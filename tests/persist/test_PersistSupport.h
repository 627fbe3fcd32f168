#pragma once
// A scene manager wired as the view wires it for files (view controller over
// a camera, texture manager, a save/load manager of its own), a temporary
// folder, and the scene's saved text as its fingerprint.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "detail/TextureManager.h"
#include "interact/ViewController.h"
#include "persist/SaveLoadManager.h"
#include "tests/scene/test_SceneManagerSupport.h"
#include "tests/support/Near.h"
#include "tests/support/TempFolder.h"
#include "wml/DebugOutput.h"

namespace persist_test {

using scenemgr_test::SceneRig;
using vynui_bt::BlobTreeNodeSceneObject;

struct FileRig : SceneRig {
    vynui::ViewController view{&camera};
    vynui_tex::CTextureManager textures;
    vynui::CSaveLoadManager files;
    kftest::TempFolder folder{"persist"};

    FileRig()
    {
        files.SetSceneManager(scene.get());
        files.SetViewController(&view);
        files.SetTextureManager(&textures);
    }

    bool Save(const std::string& path) { return files.SaveScene(path); }
    bool Load(const std::string& path) { return files.LoadScene(path); }

    /// The scene as the file it saves to: two saves of an unchanged scene
    /// give the same text.
    std::string SavedText()
    {
        const std::string path = folder.File("fingerprint.xml");
        EXPECT_TRUE(Save(path));
        return kftest::ReadFile(path);
    }

    /// Node objects under the root, depth first.
    std::vector<BlobTreeNodeSceneObject*> Nodes()
    {
        std::vector<BlobTreeNodeSceneObject*> out;
        Collect(Root(), out);
        return out;
    }

private:
    static void Collect(vynui::SceneObject* object, std::vector<BlobTreeNodeSceneObject*>& out)
    {
        for (vynui::SceneObject* child : object->GetChildren())
            if (auto* node = dynamic_cast<BlobTreeNodeSceneObject*>(child)) {
                out.push_back(node);
                Collect(node, out);
            }
    }
};

/// The debug lines written while the object lives.
struct DebugLines {
    std::vector<std::string> lines;
    Wml::ScopedDebugOutputSink sink{[this](const char* line) { lines.push_back(line); }};

    bool Contains(const std::string& part) const
    {
        for (const std::string& line : lines)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
};

/// A record file written from code: records in the order given.
struct FileBuilder {
    Wml::Serializer serializer;

    FileBuilder& Format(const std::string& version = "3.0.1")
    {
        Wml::SerializerRecord* record = serializer.CreateRecord("FormatVersion");
        record->SetValue("FileType", std::string("KilnformSceneFile"));
        record->SetValue("VersionNumber", version);
        return *this;
    }
    /// A scene-object record with its "ObjectID".
    Wml::SerializerRecord* Object(const std::string& type, unsigned int objectID)
    {
        Wml::SerializerRecord* record = serializer.CreateRecord(type);
        record->SetValue("ObjectID", objectID);
        record->SetValue("TypeName", type);
        return record;
    }
    Wml::SerializerRecord* Operator(const std::string& type, unsigned int objectID,
                                    const std::vector<unsigned int>& children)
    {
        Wml::SerializerRecord* record = Object(type, objectID);
        record->SetValue("Children", children);
        return record;
    }
    std::string Write(const kftest::TempFolder& folder, const std::string& name)
    {
        const std::string path = folder.File(name);
        EXPECT_TRUE(serializer.Write(path.c_str())) << serializer.GetLastError();
        return path;
    }
};

}  // namespace persist_test
