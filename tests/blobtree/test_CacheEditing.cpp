// The field caches under editing: a randomised three-level tree of about 40
// leaves under blends, a difference and a mirror is edited 200 times the way
// the scene objects edit it (leaves moved, turned, scaled and resized; groups
// moved, turned and scaled, children first; operator parameters changed;
// leaves added and removed). After every edit the cached tree must agree with
// the uncached tree within the interpolation error of its grids, inside the
// reported region and elsewhere: a stale sample shows as an error far above it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "NodeTestSupport.h"
#include "blobtree/RootNode.h"
#include "blobtree/cache/FieldCache.h"
#include "blobtree/nodes/AllNodes.h"
#include "implicit/grid/AdaptiveUniformGrid3D.h"

using namespace vynbt;
using namespace nodetest;

namespace {

using Mat3 = Wml::Matrix3<float>;

class Random {
public:
    explicit Random(unsigned seed) : m_rng(seed) {}
    float Uniform(float a, float b) { return std::uniform_real_distribution<float>(a, b)(m_rng); }
    int Index(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    Vec3 InBox(const Box& box)
    {
        return Vec3(Uniform(box.Min(0), box.Max(0)), Uniform(box.Min(1), box.Max(1)),
                    Uniform(box.Min(2), box.Max(2)));
    }
    Vec3 Direction()
    {
        for (;;) {
            const Vec3 v(Uniform(-1, 1), Uniform(-1, 1), Uniform(-1, 1));
            const float length = v.Length();
            if (length > 0.1f && length <= 1.0f) return v / length;
        }
    }
    Vec3 Offset(float maxLength) { return Direction() * Uniform(0.0f, maxLength); }
    Mat3 Turn(float maxAngle) { return Mat3(Direction(), Uniform(-maxAngle, maxAngle)); }

private:
    std::mt19937 m_rng;
};

// ---- edits as the scene objects make them ------------------------------------

/// A group moves its children (whole subtrees) first, then itself.
void MoveBy(BlobTreeNode* node, const Vec3& d)
{
    if (node->IsCompositionNode()) {
        CompositionNode* group = static_cast<CompositionNode*>(node);
        for (unsigned i = 0; i < group->GetNumChildren(); ++i) MoveBy(group->GetChild(i), d);
    }
    node->Translate(d, true);
}

void Turn(BlobTreeNode* node, const Mat3& m);

/// Turns node about c: moved so that its origin is at c, turned, moved back.
void TurnAbout(BlobTreeNode* node, const Mat3& m, const Vec3& c)
{
    Frame frame;
    node->GetFrame(frame);
    const Vec3 d = frame.Origin() - c;
    MoveBy(node, -d);
    Turn(node, m);
    MoveBy(node, m * d);
}

/// A group turns its children about its frame's origin first, then itself.
void Turn(BlobTreeNode* node, const Mat3& m)
{
    if (node->IsCompositionNode()) {
        CompositionNode* group = static_cast<CompositionNode*>(node);
        Frame frame;
        group->GetFrame(frame);
        for (unsigned i = 0; i < group->GetNumChildren(); ++i)
            TurnAbout(group->GetChild(i), m, frame.Origin());
    }
    node->Rotate(m, true);
}

// ---- the scene ----------------------------------------------------------------

/// Owns every primitive, operator and node; the tree is
/// root -> {Ricci blend, sum blend, difference, mirror} -> groups -> leaves.
class Scene {
public:
    explicit Scene(unsigned seed, int leavesPerGroup = 4) : rng(seed), m_leavesPerGroup(leavesPerGroup)
    {
        root = std::make_unique<RootNode>(&m_rootOp);
        root->AddListener(&listener);

        CompositionNode* ricci =
            AddLevel1(Own(std::make_unique<RicciBlendNode>(Field<vynimplicit::RicciBlend>(2.0f))));
        CompositionNode* sum = AddLevel1(Own(std::make_unique<SumBlendNode>(Field<vynimplicit::SumBlend>())));
        CompositionNode* difference =
            AddLevel1(Own(std::make_unique<MinMaxDifferenceNode>(Field<vynimplicit::MinMaxDifference>())));
        auto* mirrorOp = Field<vynimplicit::MirrorOperator>();
        mirrorOp->SetFrame(Frame::FromOriginAndNormal(Vec3(0, -2.2f, 0), Vec3(1, 0, 0)));
        mirror = static_cast<MirrorNode*>(AddLevel1(Own(std::make_unique<MirrorNode>(mirrorOp))));

        const Vec3 x(1, 0, 0), y(0, 1, 0);
        for (int i = 0; i < 3; ++i) AddGroup(ricci, Vec3(-2.2f, 0, 0) + rng.Offset(0.6f), 0.4f, x);
        for (int i = 0; i < 3; ++i) AddGroup(sum, Vec3(0, 2.2f, 0) + rng.Offset(0.6f), 0.4f, x);
        // A solid base with two cutters biting into it.
        AddGroup(difference, Vec3(2.2f, 0, 0), 0.3f, x, 1.3f);
        AddGroup(difference, Vec3(2.5f, 0.3f, 0.2f), 0.25f, x);
        AddGroup(difference, Vec3(1.9f, -0.3f, -0.2f), 0.25f, x);
        // Kept side of the mirror: x > 0.
        AddGroup(mirror, Vec3(0.45f, -2.0f, 0), 0.3f, y);
        AddGroup(mirror, Vec3(0.5f, -2.5f, 0.2f), 0.3f, y);
        listener.reports.clear();
    }

    ~Scene()
    {
        root->RemoveListener(&listener);
        for (CompositionNode* g : groups) g->ClearChildren();
        for (CompositionNode* g : level1) g->ClearChildren();
        root->ClearChildren();
        m_nodes.clear();  // before the operators they point at
        root.reset();
    }

    /// A new leaf of a random kind around centre (scale sets its size).
    BlobTreeNode* MakeLeaf(const Vec3& centre, float scale = 1.0f)
    {
        const Frame frame(centre, rng.Turn(3.1f));
        switch (rng.Index(3)) {
            case 0: {
                auto* point = Field<vynimplicit::Point>(centre, 1.0f / (scale * rng.Uniform(0.35f, 0.55f)));
                return Own(std::make_unique<PointNode>(point));
            }
            case 1: {
                auto* cylinder = Field<vynimplicit::Cylinder>(scale * rng.Uniform(0.1f, 0.18f),
                                                              scale * rng.Uniform(0.3f, 0.7f), frame);
                return Own(std::make_unique<CylinderNode>(cylinder));
            }
            default: {
                auto* line = Field<vynimplicit::PolyLinePrimitive>();
                line->AppendVertex(Vec3(0, 0, 0));
                line->AppendVertex(Vec3(scale * 0.3f, scale * 0.1f, 0));
                line->AppendVertex(Vec3(scale * 0.5f, -scale * 0.1f, scale * 0.2f));
                line->SetRadius(scale * rng.Uniform(0.08f, 0.14f));
                line->SetFrame(frame);
                return Own(std::make_unique<PolyLineNode>(line));
            }
        }
    }

    /// Voxel sizes of the grids in use, largest per level (1: under the root, 2: groups).
    void VoxelSizes(float& level1Size, float& level2Size) const
    {
        level1Size = level2Size = 0.0f;
        for (CompositionNode* g : level1)
            level1Size = std::max(level1Size, g->GetCache()->GetGrid()->GetVoxelSize());
        for (CompositionNode* g : groups)
            level2Size = std::max(level2Size, g->GetCache()->GetGrid()->GetVoxelSize());
    }

    Random rng;
    std::unique_ptr<RootNode> root;
    RecordingListener listener;
    std::vector<CompositionNode*> level1;
    std::vector<CompositionNode*> groups;
    std::vector<BlobTreeNode*> leaves;
    MirrorNode* mirror = nullptr;

private:
    template <class T, class... Args>
    T* Field(Args&&... args)
    {
        auto field = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = field.get();
        m_fields.push_back(std::move(field));
        return raw;
    }
    template <class T>
    T* Own(std::unique_ptr<T> node)
    {
        T* raw = node.get();
        m_nodes.push_back(std::move(node));
        return raw;
    }
    CompositionNode* AddLevel1(CompositionNode* node)
    {
        root->AddChild(node);
        level1.push_back(node);
        return node;
    }
    /// A group of a random kind with leaves around centre. Two small balls
    /// that no edit picks lie at the ends of the group along axis: they hold
    /// the longest side of the bounds, and with it the voxel size, steady, so
    /// that most edits meet a grid that keeps its samples and must be
    /// invalidated exactly where the change is.
    void AddGroup(CompositionNode* parent, const Vec3& centre, float spread, const Vec3& axis,
                  float scale = 1.0f)
    {
        CompositionNode* group = nullptr;
        switch (rng.Index(3)) {
            case 0:
                group = Own(std::make_unique<SumBlendNode>(Field<vynimplicit::SumBlend>()));
                break;
            case 1:
                group = Own(std::make_unique<RicciBlendNode>(
                    Field<vynimplicit::RicciBlend>(rng.Uniform(1.5f, 4.0f))));
                break;
            default:
                group = Own(std::make_unique<CacheNode>(Field<vynimplicit::MinMaxUnion>()));
                break;
        }
        parent->AddChild(group);
        groups.push_back(group);
        for (float side : {-1.0f, 1.0f})
            group->AddChild(
                Own(std::make_unique<PointNode>(Field<vynimplicit::Point>(centre + axis * side, 4.0f))));
        const int count = m_leavesPerGroup - rng.Index(2);
        for (int i = 0; i < count; ++i) {
            BlobTreeNode* leaf = MakeLeaf(centre + rng.Offset(spread), scale);
            group->AddChild(leaf);
            leaves.push_back(leaf);
        }
    }

    vynimplicit::MinMaxUnion m_rootOp;
    int m_leavesPerGroup;
    std::vector<std::unique_ptr<vynimplicit::ScalarField>> m_fields;
    std::vector<std::unique_ptr<BlobTreeNode>> m_nodes;
};

// ---- the comparison -----------------------------------------------------------------

/// Cached against uncached evaluation at a set of points.
///
/// Tolerances. A value passes through at most two interpolating grids (a
/// group's and its level-1 parent's) of voxel sizes h1 and h2. Trilinear
/// interpolation errs by at most (1/8) sum_a h^2 |f_aa| <= (3/8) h^2 L, where
/// L bounds how fast the gradient turns near the point; L is measured on the
/// exact field as max |grad f(p + s u) - grad f(p)| / s over 14 directions u
/// at the step s = 1.5 (h1 + h2), the reach of both grids' stencils, so a
/// crease within reach counts as the large curvature it is for interpolation.
/// The value tolerance is twice the two grids' bound (sum blends add their
/// children's errors). The gradient is the derivative of the outer grid's
/// quadratic B-spline over samples that carry the inner grid's trilinear
/// error, so it errs to first order: 0.1 + 1.5 (h1 + h2) L, which still holds
/// next to a crease, where the cached gradient may take any value between
/// the two sides.
class CacheChecker {
public:
    struct Result {
        int probes = 0, failures = 0;
        float worstValueRatio = 0.0f, worstGradientRatio = 0.0f;
        float worstValueError = 0.0f;
    };

    explicit CacheChecker(Scene& scene) : m_scene(scene) {}

    Result Check(const std::vector<Vec3>& probes)
    {
        float h1 = 0, h2 = 0;
        m_scene.VoxelSizes(h1, h2);
        const float step = 1.5f * (h1 + h2);

        struct Exact {
            float value, turn;
            Vec3 gradient;
        };
        std::vector<Exact> exact(probes.size());
        {
            CachingSwitchGuard guard;
            FieldCacheManager::Get()->EnableCaching(false);
            for (size_t i = 0; i < probes.size(); ++i) {
                Exact& e = exact[i];
                e.gradient = m_scene.root->Gradient(probes[i], &e.value);
                e.turn = GradientTurn(probes[i], e.gradient, step);
            }
        }
        // Cold cells are answered directly: ask until they are filled, so that
        // a stale sample has somewhere to show.
        for (int ask = 1; ask < vynimplicit::AdaptiveUniformGrid3D::ASKS_TO_FILL; ++ask)
            for (const Vec3& p : probes) {
                m_scene.root->Gradient(p);
                m_scene.root->Value(p);
            }
        Result result;
        for (size_t i = 0; i < probes.size(); ++i) {
            const Exact& e = exact[i];
            float value = 0;
            const Vec3 gradient = m_scene.root->Gradient(probes[i], &value);
            const float cachedValue = m_scene.root->Value(probes[i]);
            const float valueTolerance = 1e-4f + 2.0f * 0.375f * (h1 * h1 + h2 * h2) * e.turn;
            const float gradientTolerance = 0.1f + 1.5f * (h1 + h2) * e.turn;
            const float valueError = std::max(std::fabs(value - e.value), std::fabs(cachedValue - e.value));
            const float gradientError = (gradient - e.gradient).Length();
            const float valueRatio = valueError / valueTolerance;
            const float gradientRatio = gradientError / gradientTolerance;
            result.worstValueRatio = std::max(result.worstValueRatio, valueRatio);
            result.worstGradientRatio = std::max(result.worstGradientRatio, gradientRatio);
            result.worstValueError = std::max(result.worstValueError, valueError);
            const bool failed = valueRatio > 1.0f || gradientRatio > 1.0f;
            if (failed && result.failures < 5)
                std::printf(
                    "  mismatch at (%g, %g, %g): value %g cached %g exact %g (tolerance %g), "
                    "gradient error %g (tolerance %g)\n",
                    probes[i].X(), probes[i].Y(), probes[i].Z(), value, cachedValue, e.value, valueTolerance,
                    gradientError, gradientTolerance);
            result.failures += failed ? 1 : 0;
            ++result.probes;
        }
        return result;
    }

private:
    /// Largest |grad f(p + s u) - grad f(p)| / s over the 6 axis directions and
    /// the 8 diagonals.
    float GradientTurn(const Vec3& p, const Vec3& gradient, float s)
    {
        static const float c = 0.57735027f;
        static const Vec3 directions[14] = {Vec3(1, 0, 0),   Vec3(-1, 0, 0),  Vec3(0, 1, 0),  Vec3(0, -1, 0),
                                            Vec3(0, 0, 1),   Vec3(0, 0, -1),  Vec3(c, c, c),  Vec3(c, c, -c),
                                            Vec3(c, -c, c),  Vec3(c, -c, -c), Vec3(-c, c, c), Vec3(-c, c, -c),
                                            Vec3(-c, -c, c), Vec3(-c, -c, -c)};
        float worst = 0.0f;
        for (const Vec3& u : directions)
            worst = std::max(worst, (m_scene.root->Gradient(p + u * s) - gradient).Length());
        return worst / s;
    }

    Scene& m_scene;
};

/// Probes: some in the reported region, some anywhere in the tree's bounds,
/// some near the leaves (where the surface is).
std::vector<Vec3> MakeProbes(Scene& scene, const Box& reported, int count)
{
    std::vector<Vec3> probes;
    Box all = BoundsOf(*scene.root);
    all.Dilate(0.2f);
    for (int i = 0; i < count; ++i) {
        if (!reported.IsEmpty()) probes.push_back(scene.rng.InBox(reported));
        probes.push_back(scene.rng.InBox(all));
        Frame frame;
        scene.leaves[scene.rng.Index(int(scene.leaves.size()))]->GetFrame(frame);
        probes.push_back(frame.Origin() + scene.rng.Offset(0.45f));
    }
    // What the mirror shows on its far side must follow its near side.
    const Box mirrorBounds = BoundsOf(*scene.mirror);
    for (size_t i = 0, n = probes.size(); i < n; ++i)
        if (mirrorBounds.Contains(probes[i]))
            probes.push_back(scene.mirror->GetMirrorOperator()->MirrorPoint(probes[i], true));
    return probes;
}

/// One random edit, as the interface would make it.
const char* RandomEdit(Scene& scene)
{
    Random& rng = scene.rng;
    BlobTreeNode* leaf = scene.leaves[rng.Index(int(scene.leaves.size()))];
    const int groupCount = int(scene.groups.size() + scene.level1.size());
    const int g = rng.Index(groupCount);
    CompositionNode* group =
        g < int(scene.groups.size()) ? scene.groups[g] : scene.level1[g - scene.groups.size()];
    switch (rng.Index(12)) {
        case 0:
        case 1:
            leaf->Translate(rng.Offset(0.3f), true);
            return "move leaf";
        case 2:
            leaf->Rotate(rng.Turn(0.8f), true);
            return "turn leaf";
        case 3: {
            const float s = rng.Uniform(0.85f, 1.2f);
            leaf->Scale(s, rng.Uniform(0.85f, 1.2f), s, true, false);
            return "scale leaf";
        }
        case 4:
            MoveBy(group, rng.Offset(0.3f));
            return "move group";
        case 5:
            Turn(group, rng.Turn(0.5f));
            return "turn group";
        case 6: {
            const float s = rng.Uniform(0.85f, 1.15f);
            group->Scale(s, s, s, true, true);
            return "scale group";
        }
        case 7: {
            if (auto* point = dynamic_cast<PointNode*>(leaf)) {
                point->SetSize(point->GetSize() * rng.Uniform(0.8f, 1.25f));
            } else if (auto* line = dynamic_cast<PolyLineNode*>(leaf)) {
                line->SetRadius(line->GetRadius() * rng.Uniform(0.8f, 1.25f));
            } else if (auto* cylinder = dynamic_cast<CylinderNode*>(leaf)) {
                // Bracketed as a parameter write of a scene object.
                Box before;
                cylinder->ChildModifiedHack_BeforeChange(before);
                cylinder->GetCylinder()->SetRadius(cylinder->GetCylinder()->GetRadius() *
                                                   rng.Uniform(0.8f, 1.25f));
                cylinder->ChildModifiedHack_AfterChange(before);
            }
            return "resize leaf";
        }
        case 8: {
            if (auto* ricci = dynamic_cast<RicciBlendNode*>(group)) {
                ricci->SetPower(rng.Uniform(1.0f, 6.0f));
                return "blend power";
            }
            switch (rng.Index(3)) {
                case 0:
                    scene.mirror->SetSmoothWidth(rng.Uniform(0.0f, 0.5f));
                    return "mirror width";
                case 1:
                    scene.mirror->SetBlendPower(rng.Uniform(0.0f, 4.0f));
                    return "mirror power";
                default: {
                    Frame plane;
                    scene.mirror->GetFrame(plane);
                    plane.Origin() += plane.Z() * rng.Uniform(-0.1f, 0.1f);
                    scene.mirror->SetFrame(plane);
                    return "mirror plane";
                }
            }
        }
        case 9:
        case 10: {
            CompositionNode* target = scene.groups[rng.Index(int(scene.groups.size()))];
            const Vec3 centre = target->GetChildCenter() + rng.Offset(0.3f);
            BlobTreeNode* added = scene.MakeLeaf(centre);
            target->AddChild(added);
            scene.leaves.push_back(added);
            return "add leaf";
        }
        default: {
            CompositionNode* parent = static_cast<CompositionNode*>(leaf->GetParent());
            if (parent->GetNumChildren() < 2) return "keep last leaf";
            parent->RemoveChild(leaf);
            scene.leaves.erase(std::find(scene.leaves.begin(), scene.leaves.end(), leaf));
            return "remove leaf";
        }
    }
}

/// Builds a tree from seed, warms it and runs the edits; answers the totals.
CacheChecker::Result RunRandomEdits(unsigned seed, int edits)
{
    Scene scene(seed);
    EXPECT_GE(scene.leaves.size(), 36u);
    EXPECT_LE(scene.leaves.size(), 44u);
    CacheChecker checker(scene);

    // Warm every cache before the first edit, so that edits meet stored samples.
    CacheChecker::Result total = checker.Check(MakeProbes(scene, Box(), 400));
    EXPECT_EQ(total.failures, 0);

    int editsWithReports = 0;
    for (int edit = 0; edit < edits; ++edit) {
        scene.listener.reports.clear();
        const char* what = RandomEdit(scene);
        Box reported;
        for (const Report& r : scene.listener.reports) reported.Merge(r.region);
        editsWithReports += scene.listener.reports.empty() ? 0 : 1;

        const CacheChecker::Result r = checker.Check(MakeProbes(scene, reported, 60));
        EXPECT_EQ(r.failures, 0) << "seed " << seed << ", edit " << edit << ": " << what;
        total.probes += r.probes;
        total.failures += r.failures;
        total.worstValueRatio = std::max(total.worstValueRatio, r.worstValueRatio);
        total.worstGradientRatio = std::max(total.worstGradientRatio, r.worstGradientRatio);
        total.worstValueError = std::max(total.worstValueError, r.worstValueError);
        if (r.failures > 3) break;  // one broken edit is enough to look at
    }
    EXPECT_GT(editsWithReports, edits * 3 / 4);
    return total;
}

}  // namespace

TEST(CacheEditing, CachedTreeMatchesTheUncachedTreeThroughRandomEdits)
{
    CachingSwitchGuard guard;
    FieldCacheManager::Get()->EnableCaching(true);
    for (unsigned seed : {20261207u, 1234u}) {
        const CacheChecker::Result total = RunRandomEdits(seed, 200);
        std::printf(
            "  seed %u: %d probes; worst error / tolerance: value %.3f, gradient %.3f; worst value error "
            "%.4f\n",
            seed, total.probes, total.worstValueRatio, total.worstGradientRatio, total.worstValueError);
    }
}

TEST(CacheEditing, TheComparisonCatchesAChangeTheCachesWereNotToldAbout)
{
    CachingSwitchGuard guard;
    FieldCacheManager::Get()->EnableCaching(true);
    Scene scene(7, 3);
    CacheChecker checker(scene);
    PointNode* victim = nullptr;
    for (BlobTreeNode* leaf : scene.leaves)
        if ((victim = dynamic_cast<PointNode*>(leaf))) break;
    ASSERT_NE(victim, nullptr);

    // Warm the caches around the point, then move it behind the tree's back.
    const Vec3 centre = victim->GetPoint()->GetCenter();
    const float reach = victim->GetSize();
    std::vector<Vec3> probes;
    for (int i = 0; i < 200; ++i)
        probes.push_back(centre + scene.rng.Offset(1.2f * reach) + Vec3(0.1f, 0, 0));
    EXPECT_EQ(checker.Check(probes).failures, 0);
    const Box before = BoundsOf(*victim);
    victim->GetPoint()->SetCenter(centre + Vec3(0.2f, 0, 0));
    EXPECT_GE(checker.Check(probes).failures, 20);

    // Told properly (the bracket a scene object uses), the tree agrees again.
    Box bracket = before;
    victim->ChildModifiedHack_AfterChange(bracket);
    EXPECT_EQ(checker.Check(probes).failures, 0);
}
