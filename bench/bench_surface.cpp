// One edit followed by one read of the surface, redone over the whole field
// or, in bounded mode, only around the change. Read the two as a ratio.

#include <cstdio>
#include <string>

#include <benchmark/benchmark.h>

#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "scene/IParameter.h"
#include "scene/ParameterList.h"
#include "surface/IsoSurfaceMesh.h"
#include "surface/SurfaceManager.h"

namespace {

void Set(vynui_bt::BlobTreeNodeSceneObject* object, const char* name, const std::string& text)
{
    if (vynui::IParameter* parameter = object->GetParameterList()->Find(name))
        parameter->SetValueFromText(text);
}

void EditAndRead(benchmark::State& state, vynui::PolygonizerAlgorithm algorithm)
{
    auto* tree = new vynui_bt::BlobTreeSceneObject();
    auto* factory = new vynui_bt::BlobTreeFactory(tree);
    tree->SetFactory(factory);
    std::vector<vynui_bt::BlobTreeNodeSceneObject*> points;
    for (int i = 0; i < 8; ++i) {
        boost::recursive_mutex::scoped_lock lock(tree->GetLock());
        points.push_back(factory->CreateAndAttach(nullptr, 1, -1));
        char position[64];
        std::snprintf(position, sizeof position, "%d 0 0", 3 * i);
        Set(points.back(), "Position", position);
    }
    {
        vynui::CSurfaceManager manager;
        manager.GetSettings().cellSize = 0.05f;
        manager.SetAlgorithm(algorithm);
        manager.AddSceneSurface(tree);
        manager.GetChainTop(0)->GetMesh();
        int step = 0;
        for (auto _ : state) {
            // A small move of one point in the middle of the row, back and forth.
            Set(points[4], "Position", (step++ & 1) ? "12 0 0" : "12.05 0 0");
            benchmark::DoNotOptimize(manager.GetChainTop(0)->GetMesh()->GetNumTriangles());
        }
        state.counters["triangles"] = manager.GetChainTop(0)->GetMesh()->GetNumTriangles();
        manager.RemoveSceneSurface(tree);
    }
    delete factory->GetRootSceneObject();
    delete tree;
}

void BM_EditAndRead_Whole(benchmark::State& state)
{
    EditAndRead(state, vynui::MarchingCubes);
}
void BM_EditAndRead_Bounded(benchmark::State& state)
{
    EditAndRead(state, vynui::BoundedMarchingCubes);
}

}  // namespace

BENCHMARK(BM_EditAndRead_Whole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditAndRead_Bounded)->Unit(benchmark::kMillisecond);
