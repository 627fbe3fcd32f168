// Cached trees evaluated from several threads at once: every answer is what
// one thread gets (warm caches: the same numbers exactly; cold ones: within the
// interpolation's tolerance of the direct field), and edits afterwards still
// drop what they should.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "CoreTestSupport.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/FieldCache.h"
#include "blobtree/nodes/AllNodes.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"

using namespace coretest;
using vynbt::FieldCache;
using vynbt::FieldCacheManager;

namespace {

constexpr int THREADS = 4;
constexpr int WARM_PASSES = vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL + 1;

/// A tree of soft balls under a root: either one cached Ricci blend of them
/// all, or a cached Ricci blend of cached sum blends (two cache levels).
struct BallTree {
    vynimplicit::MinMaxUnion rootOp;
    vynbt::RootNode root{&rootOp};
    std::vector<std::unique_ptr<vynimplicit::ScalarField>> ops;
    std::vector<std::unique_ptr<vynbt::CompositionNode>> groups;
    std::vector<std::unique_ptr<vynimplicit::Point>> points;
    std::vector<std::unique_ptr<vynbt::PointNode>> leaves;

    explicit BallTree(bool nested)
    {
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> position(-2.0f, 2.0f), radius(0.6f, 1.0f);
        vynbt::CompositionNode* top = AddGroup(&root, true);
        std::vector<vynbt::CompositionNode*> parents{top};
        if (nested) {
            parents.clear();
            for (int g = 0; g < 4; ++g) parents.push_back(AddGroup(top, false));
        }
        for (int i = 0; i < 48; ++i) {
            const V3 centre(position(rng), position(rng), position(rng));
            points.push_back(std::make_unique<vynimplicit::Point>(centre, 1.0f / radius(rng)));
            leaves.push_back(std::make_unique<vynbt::PointNode>(points.back().get()));
            parents[size_t(i) % parents.size()]->AddChild(leaves.back().get());
        }
    }
    ~BallTree()
    {
        for (auto it = groups.rbegin(); it != groups.rend(); ++it) (*it)->ClearChildren();
        root.ClearChildren();
    }

    vynbt::CompositionNode* AddGroup(vynbt::CompositionNode* parent, bool ricci)
    {
        vynbt::CompositionNode* group;
        if (ricci) {
            ops.push_back(std::make_unique<vynimplicit::RicciBlend>(2.0f));
            groups.push_back(std::make_unique<vynbt::RicciBlendNode>(
                static_cast<vynimplicit::RicciBlend*>(ops.back().get())));
        } else {
            ops.push_back(std::make_unique<vynimplicit::SumBlend>());
            groups.push_back(
                std::make_unique<vynbt::SumBlendNode>(static_cast<vynimplicit::SumBlend*>(ops.back().get())));
        }
        group = groups.back().get();
        parent->AddChild(group);
        return group;
    }

    void SetModes(FieldCache::SampleMode value, FieldCache::SampleMode gradient)
    {
        for (auto& g : groups) {
            g->GetCache()->SetValueSampleMode(value);
            g->GetCache()->SetGradientSampleMode(gradient);
        }
    }
    void InvalidateAll()
    {
        for (auto& g : groups) g->GetCache()->InvalidateAll();
    }

    /// Points near the surface (direct value in 0.2..0.8) and some outside it.
    std::vector<V3> Queries(size_t count, unsigned seed)
    {
        Box box;
        root.FieldBounds(box);
        std::mt19937 rng(seed);
        std::vector<V3> out;
        FieldCacheManager::Get()->EnableCaching(false);
        while (out.size() < count) {
            V3 p;
            for (int a = 0; a < 3; ++a)
                p[a] = std::uniform_real_distribution<float>(box.Min(a) - 0.2f, box.Max(a) + 0.2f)(rng);
            const float v = root.Value(p);
            if ((v > 0.2f && v < 0.8f) || out.size() % 8 == 0) out.push_back(p);
        }
        FieldCacheManager::Get()->EnableCaching(true);
        return out;
    }
};

/// Value and gradient (with its value) at one point.
struct Answer {
    float value = 0.0f, gvalue = 0.0f;
    V3 gradient = V3::ZERO;
};

Answer Ask(vynbt::RootNode& root, const V3& p)
{
    Answer a;
    a.value = root.Value(p.X(), p.Y(), p.Z());
    root.Gradient(p.X(), p.Y(), p.Z(), a.gradient[0], a.gradient[1], a.gradient[2], &a.gvalue);
    return a;
}

std::vector<Answer> AskAll(vynbt::RootNode& root, const std::vector<V3>& points)
{
    std::vector<Answer> out;
    for (const V3& p : points) out.push_back(Ask(root, p));
    return out;
}

/// Every thread asks every point passes times, each in its own order; the
/// answers of each thread's first and last pass, by point.
struct ThreadAnswers {
    std::vector<Answer> first, last;
};

std::vector<ThreadAnswers> AskFromThreads(vynbt::RootNode& root, const std::vector<V3>& points, int passes)
{
    std::vector<ThreadAnswers> answers(THREADS);
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t)
        threads.emplace_back([&, t] {
            std::vector<size_t> order(points.size());
            for (size_t i = 0; i < order.size(); ++i) order[i] = i;
            std::shuffle(order.begin(), order.end(), std::mt19937(100 + t));
            ThreadAnswers& mine = answers[size_t(t)];
            mine.first.resize(points.size());
            mine.last.resize(points.size());
            for (int pass = 0; pass < passes; ++pass)
                for (size_t i : order) {
                    const Answer a = Ask(root, points[i]);
                    if (pass == 0) mine.first[i] = a;
                    if (pass == passes - 1) mine.last[i] = a;
                }
        });
    for (std::thread& thread : threads) thread.join();
    return answers;
}

/// Largest differences of a set of answers from the direct ones.
struct Deviation {
    float value = 0.0f, gradient = 0.0f;
};

Deviation Worst(const std::vector<Answer>& answers, const std::vector<Answer>& direct)
{
    Deviation d;
    for (size_t i = 0; i < answers.size(); ++i) {
        d.value = std::max({d.value, std::fabs(answers[i].value - direct[i].value),
                            std::fabs(answers[i].gvalue - direct[i].gvalue)});
        d.gradient = std::max(d.gradient, (answers[i].gradient - direct[i].gradient).Length());
    }
    return d;
}

bool SameNumbers(const Answer& a, const Answer& b)
{
    return a.value == b.value && a.gvalue == b.gvalue && a.gradient == b.gradient;
}

struct Case {
    const char* name;
    bool nested;
    FieldCache::SampleMode valueMode, gradientMode;
};

const Case CASES[] = {
    {"one cache level, default modes", false, FieldCache::TriLinear, FieldCache::TriQuadratic},
    {"one cache level, quadratic values, trilinear gradients", false, FieldCache::TriQuadratic,
     FieldCache::TriLinear},
    {"two cache levels, default modes", true, FieldCache::TriLinear, FieldCache::TriQuadratic},
    {"two cache levels, trilinear gradients", true, FieldCache::TriLinear, FieldCache::TriLinear},
};

// Resolution 128 over the blend: values within 0.02 of the field; gradients
// (lengths up to about 3) within 0.6.
constexpr float VALUE_TOLERANCE = 0.02f;
constexpr float GRADIENT_TOLERANCE = 0.6f;

}  // namespace

class CacheThreadsTest : public ManagerStateTest {};

TEST_F(CacheThreadsTest, ConcurrentEvaluationAnswersWhatOneThreadDoes)
{
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.name);
        BallTree tree(c.nested);
        tree.SetModes(c.valueMode, c.gradientMode);
        const std::vector<V3> points = tree.Queries(1500, 3);
        FieldCacheManager::Get()->EnableCaching(false);
        const std::vector<Answer> direct = AskAll(tree.root, points);
        FieldCacheManager::Get()->EnableCaching(true);

        // Cold caches filled from four threads at once: each answer is the
        // direct one or an interpolation of samples, never anything else.
        const std::vector<ThreadAnswers> cold = AskFromThreads(tree.root, points, WARM_PASSES);
        for (const ThreadAnswers& t : cold)
            for (const std::vector<Answer>* pass : {&t.first, &t.last}) {
                const Deviation d = Worst(*pass, direct);
                EXPECT_LT(d.value, VALUE_TOLERANCE);
                EXPECT_LT(d.gradient, GRADIENT_TOLERANCE);
            }

        // Warm: one thread's answers, then four threads asking at once give
        // the same numbers exactly.
        for (int pass = 1; pass < WARM_PASSES; ++pass) AskAll(tree.root, points);
        const std::vector<Answer> warm = AskAll(tree.root, points);
        const std::vector<ThreadAnswers> again = AskFromThreads(tree.root, points, 2);
        int differing = 0;
        for (const ThreadAnswers& t : again)
            for (size_t i = 0; i < points.size(); ++i)
                differing += !SameNumbers(t.first[i], warm[i]) + !SameNumbers(t.last[i], warm[i]);
        EXPECT_EQ(differing, 0);

        // With one cache level the samples are the field's own numbers, so
        // the caches filled by four threads hold what one thread fills.
        if (!c.nested) {
            tree.InvalidateAll();
            for (int pass = 1; pass < WARM_PASSES; ++pass) AskAll(tree.root, points);
            const std::vector<Answer> single = AskAll(tree.root, points);
            differing = 0;
            for (size_t i = 0; i < points.size(); ++i) differing += !SameNumbers(single[i], warm[i]);
            EXPECT_EQ(differing, 0);
        }
    }
}

TEST_F(CacheThreadsTest, EditsAfterConcurrentEvaluationStillDropTheirRegion)
{
    for (bool nested : {false, true}) {
        SCOPED_TRACE(nested ? "two cache levels" : "one cache level");
        BallTree tree(nested);
        const std::vector<V3> points = tree.Queries(1500, 9);
        FieldCacheManager::Get()->EnableCaching(false);
        const std::vector<Answer> before = AskAll(tree.root, points);
        FieldCacheManager::Get()->EnableCaching(true);
        AskFromThreads(tree.root, points, WARM_PASSES);

        // A ball moves; the caches forget its region, and the answers follow
        // the moved field (asked from threads again, cold then warm).
        tree.leaves[5]->Translate(V3(0.6f, -0.4f, 0.3f), true);
        FieldCacheManager::Get()->EnableCaching(false);
        const std::vector<Answer> moved = AskAll(tree.root, points);
        FieldCacheManager::Get()->EnableCaching(true);
        int changed = 0;
        for (size_t i = 0; i < points.size(); ++i)
            changed += std::fabs(moved[i].value - before[i].value) > 0.1f;
        EXPECT_GT(changed, 20);
        const std::vector<ThreadAnswers> after = AskFromThreads(tree.root, points, WARM_PASSES);
        for (const ThreadAnswers& t : after)
            for (const std::vector<Answer>* pass : {&t.first, &t.last}) {
                const Deviation d = Worst(*pass, moved);
                EXPECT_LT(d.value, VALUE_TOLERANCE);
                EXPECT_LT(d.gradient, GRADIENT_TOLERANCE);
            }

        // Dropping everything works too, and the grids are refilled.
        tree.InvalidateAll();
        const std::vector<ThreadAnswers> refilled = AskFromThreads(tree.root, points, WARM_PASSES);
        const Deviation d = Worst(refilled[0].last, moved);
        EXPECT_LT(d.value, VALUE_TOLERANCE);
        EXPECT_GT(tree.groups[0]->GetCache()->GetGrid()->GetAllocatedBlockCount(), 0u);
    }
}
