// The one mechanism behind every node parameter, checked over every type the
// factory makes: the cache starts at the node's value, and values the node
// must never see (non-finite floats, integers outside the range, names that
// do not exist) are refused even when applied directly, with nobody told.

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "blobtree/nodes/PointNode.h"
#include "blobtree_ui/NodeParameter.h"
#include "blobtree_ui/leaves/PointSceneObject.h"
#include "scene/GenericFloatParameter.h"
#include "scene/GenericIntegerParameter.h"
#include "scene/GenericNamedIntParameter.h"
#include "test_LeafSupport.h"

using namespace vynui_bt;
using namespace leaftest;

namespace {

const int kCodes[] = {1,  2,  3,  4,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                      17, 18, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52};

// The frame, name and coordinate parameters are the scene objects' own.
bool IsNodeParameter(const std::string& name)
{
    static const std::set<std::string> kOwn = {"Position", "Orientation", "Scale", "Name", "X", "Y", "Z"};
    return kOwn.count(name) == 0;
}

// Reads what the parameter shows, as a double, whatever its kind.
double Live(vynui::IParameter* p)
{
    return p->GetType() == vynui::PARAMETER_FLOAT ? p->GetFloatValue() : p->GetIntValue();
}

}  // namespace

TEST(NodeParameters, EveryCacheStartsAtTheNodesValue)
{
    LeafModel m;
    int checked = 0;
    for (int code : kCodes) {
        BlobTreeNodeSceneObject* object = m.Make<BlobTreeNodeSceneObject>(code);
        ASSERT_NE(object, nullptr);
        for (vynui::IParameter* p : object->GetParameterList()->GetParameters()) {
            if (!IsNodeParameter(p->GetName())) continue;
            SCOPED_TRACE(std::string(object->GetTypeName()) + " " + p->GetName());
            if (auto* f = dynamic_cast<vynui::GenericFloatParameter*>(p)) {
                EXPECT_EQ(f->GetCachedValue(), f->GetFloatValue());
            } else if (auto* i = dynamic_cast<vynui::GenericIntegerParameter*>(p)) {
                EXPECT_EQ(i->GetCachedValue(), i->GetIntValue());
            } else if (auto* n = dynamic_cast<vynui::GenericNamedIntParameter*>(p)) {
                EXPECT_EQ(n->GetCachedValue(), n->GetIntValue());
                std::string text;
                n->GetValueAsText(text);
                EXPECT_NE(text, "ERROR!");
            } else {
                ADD_FAILURE() << "not a float, integer or named integer parameter";
            }
            ++checked;
        }
    }
    EXPECT_GE(checked, 40);
}

TEST(NodeParameters, ValuesTheNodeMustNotSeeAreRefusedEvenWhenAppliedDirectly)
{
    LeafModel m;
    const float inf = std::numeric_limits<float>::infinity();
    for (int code : kCodes) {
        BlobTreeNodeSceneObject* object = m.Make<BlobTreeNodeSceneObject>(code);
        ASSERT_NE(object, nullptr);
        for (vynui::IParameter* p : object->GetParameterList()->GetParameters()) {
            if (!IsNodeParameter(p->GetName())) continue;
            SCOPED_TRACE(std::string(object->GetTypeName()) + " " + p->GetName());
            const double before = Live(p);
            m.ResetCounts();
            if (auto* f = dynamic_cast<vynui::GenericFloatParameter*>(p)) {
                for (float bad : {std::numeric_limits<float>::quiet_NaN(), inf, -inf}) f->ApplyValue(bad);
            } else if (auto* i = dynamic_cast<vynui::GenericIntegerParameter*>(p)) {
                int lo = 0, hi = 0;
                i->GetRange(lo, hi);
                i->ApplyValue(lo - 1);
                i->ApplyValue(hi + 1);
            } else if (auto* n = dynamic_cast<vynui::GenericNamedIntParameter*>(p)) {
                n->ApplyValue(-1);
                n->ApplyValue(static_cast<int>(n->GetValueNames().size()));
            }
            EXPECT_EQ(Live(p), before);
            EXPECT_TRUE(m.rootCalls.calls.empty());
            EXPECT_EQ(m.objectCalls.nullEvents, 0);
        }
    }
}

namespace {

float g_stored = 0.0f;

struct WriteCase {
    const char* what;
    NodeWrite how;
    bool (*write)(PointSceneObject*, float);
    size_t rootCalls;
    int objectCalls;
};

bool SetSize(PointSceneObject* o, float v)
{
    o->GetPointNode()->SetSize(v);
    return true;
}
bool Store(PointSceneObject*, float v)
{
    g_stored = v;
    return true;
}
bool Refuse(PointSceneObject*, float)
{
    return false;
}

}  // namespace

TEST(NodeParameters, EachWayOfWritingTellsTheTreeAndTheListenersAsItSays)
{
    const WriteCase cases[] = {
        {"node setter", NodeWrite::Setter, SetSize, 1, 1},
        {"quiet node setter", NodeWrite::SetterQuiet, SetSize, 1, 0},
        {"bracketed", NodeWrite::Bracketed, Store, 1, 1},
        {"plain", NodeWrite::Plain, Store, 0, 1},
        {"refused by the node", NodeWrite::Setter, Refuse, 0, 0},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        LeafModel m;
        auto* point = m.Make<PointSceneObject>(1);
        ASSERT_NE(point, nullptr);
        NodeFloatParameter<PointSceneObject> p(
            point, "Probe", 0.0f, 8.0f, c.how, [](PointSceneObject*) { return g_stored; }, c.write);
        m.ResetCounts();
        p.SetFloatValue(3.0f);
        EXPECT_EQ(m.rootCalls.calls.size(), c.rootCalls);
        EXPECT_EQ(m.objectCalls.nullEvents, c.objectCalls);
        float lo = 0, hi = 0;
        p.GetRange(lo, hi);
        EXPECT_EQ(lo, 0.0f);
        EXPECT_EQ(hi, 8.0f);
    }
}
