// Named types: lazily assigned IDs per category and generated names per type
// name, released when the object goes; records.

#include <gtest/gtest.h>

#include <memory>

#include "scene/NamedType.h"
#include "wml/Serializer.h"

using vynui::NamedType;

namespace {

class Anchor : public NamedType {
public:
    const char* GetCategoryName() const override { return "NamedTypeTestCategory"; }
    const char* GetTypeName() const override { return "TestAnchor"; }
};

class RelativeAnchor : public Anchor {
public:
    const char* GetTypeName() const override { return "TestRelativeAnchor"; }
};

}  // namespace

TEST(NamedType, IdentityIsAssignedOnFirstNeed)
{
    Anchor a;
    EXPECT_FALSE(a.HasIdentity());
    EXPECT_EQ(a.GetName(), "UNKNOWN");
    const unsigned int last = NamedType::GetLastCategoryID("NamedTypeTestCategory");

    const unsigned int id = a.GetID();
    EXPECT_EQ(id, last + 1);
    EXPECT_EQ(a.GetID(), id);  // assigned once
    EXPECT_EQ(a.GetName(), "TestAnchor1");
    EXPECT_TRUE(NamedType::IsNameRegistered("TestAnchor", "TestAnchor1"));

    // Types of one category share the ID counter but not the names.
    RelativeAnchor r;
    EXPECT_EQ(r.GetID(), id + 1);
    EXPECT_EQ(r.GetName(), "TestRelativeAnchor1");

    auto b = std::make_unique<Anchor>();
    auto c = std::make_unique<Anchor>();
    b->EnsureIdentity();
    c->EnsureIdentity();
    EXPECT_EQ(b->GetName(), "TestAnchor2");
    EXPECT_EQ(c->GetName(), "TestAnchor3");
    // A destroyed object's name is free again; IDs are never reused.
    b.reset();
    EXPECT_FALSE(NamedType::IsNameRegistered("TestAnchor", "TestAnchor2"));
    Anchor d;
    EXPECT_EQ(d.GetID(), id + 4);
    EXPECT_EQ(d.GetName(), "TestAnchor2");
    Anchor e;
    e.EnsureIdentity();
    EXPECT_EQ(e.GetName(), "TestAnchor4");
    // An object that never got an identity releases nothing.
    {
        Anchor unnamed;
    }
    EXPECT_TRUE(NamedType::IsNameRegistered("TestAnchor", "TestAnchor3"));
}

TEST(NamedType, RecordsAndTheRestoredName)
{
    Anchor a;
    Wml::SerializerRecord record(1, "SurfaceAnchor");
    ASSERT_TRUE(a.Store(nullptr, &record));
    EXPECT_EQ(record.GetKeys(), (std::vector<std::string>{"ID", "Name"}));
    unsigned int id = 0;
    EXPECT_TRUE(record.GetValue("ID", id, 0u));
    EXPECT_EQ(id, a.GetID());

    Wml::SerializerRecord named(2, "SurfaceAnchor");
    named.SetValue("Name", std::string("FromFile"));
    named.SetValue("ID", 12345u);
    Anchor restored;
    EXPECT_TRUE(restored.Restore(nullptr, &named));
    EXPECT_EQ(restored.GetName(), "FromFile");
    EXPECT_FALSE(restored.HasIdentity());  // the stored ID is not taken over
    // The first request for the ID replaces the restored name.
    restored.GetID();
    EXPECT_NE(restored.GetName(), "FromFile");
    EXPECT_EQ(restored.GetName().rfind("TestAnchor", 0), 0u);

    Wml::SerializerRecord nameless(3, "SurfaceAnchor");
    nameless.SetValue("Name", 7);  // wrong kind counts as absent
    Anchor unknown;
    EXPECT_FALSE(unknown.Restore(nullptr, &nameless));
    EXPECT_EQ(unknown.GetName(), "Unknown");
    EXPECT_FALSE(unknown.Restore(nullptr, nullptr));
    EXPECT_FALSE(unknown.Store(nullptr, nullptr));
}
