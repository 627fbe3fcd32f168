// The menu commands of the scene manager: the "Shapes" menu and the scene's
// context menu. Commands that read files ask through the user interface and
// add nothing when the file cannot be used.

#include <algorithm>
#include <cmath>

#include "blobtree/RootNode.h"
#include "blobtree/nodes/LinearSweepWarpNode.h"
#include "blobtree/nodes/VariationalWarpNode.h"
#include "blobtree_ui/BlobTreeFactory.h"
#include "blobtree_ui/BlobTreeSceneObject.h"
#include "blobtree_ui/CompositionNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/leaves/CappedLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"
#include "blobtree_ui/leaves/ProfiledLeafSceneObject.h"
#include "blobtree_ui/operators/VariationalDisplacementMapSceneObject.h"
#include "blobtree_ui/operators/VariationalWarpSceneObject.h"
#include "implicit/fields2d/DiscreteFieldGenerator2D.h"
#include "implicit/fields2d/DiscreteScalarField2D.h"
#include "implicit/fields2d/DynDiscreteScalarField2D.h"
#include "implicit/fields2d/MarchingQuads.h"
#include "implicit/fields2d/PolygonField2D.h"
#include "implicit/warps/LinearSweepWarp.h"
#include "implicit/warps/VariationalWarp.h"
#include "interact/Tool3DManager.h"
#include "scene/BillboardSO.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "scene/UserInterface.h"
#include "wml/LinearComplex2.h"
#include "wml/PGMImage.h"
#include "wml/Polygon2.h"

namespace vynui {

using vynui_bt::BlobTreeNodeSceneObject;
using vynui_bt::ModelLock;
using vynui_bt::ShapeCode;

namespace {

const char* const kErrorTitle = "Error!";
const char* const kFileError = "Error loading file!";
const char* const kPolyError = "Error loading poly file";

const char* const kProfileFilter =
    "Any Field (*.mdvalue2d *.poly2d);;Discrete Fields (*.mdvalue2d);;Polygons (*.poly2d);;All Files (*.*)";
const char* const kPGMFilter = "PGM Image (*.pgm)";
const char* const kMeshFilter =
    "Mesh Files (*.obj *.stl *.dae *.ply *.glb *.gltf);;OBJ Files (*.obj);;STL Files (*.stl);;"
    "COLLADA Files (*.dae);;PLY Files (*.ply);;glTF Files (*.glb *.gltf);;All Files (*.*)";
const char* const kAnyFilter = "All Files (*.*)";

/// Slices of a contour stack are sampled at this resolution; the fit's
/// offset is the tolerance of the outline.
const unsigned kStackResolution = 512;
const float kStackTolerance = 0.01f;
/// Most slices one stack takes.
const unsigned kMaxStackSlices = 256;

struct MenuCode {
    const char* text;
    int code;
};

const MenuCode kAddCommands[] = {
    {"Point", ShapeCode::Point},
    {"Bezier Curve", ShapeCode::BezierCurve},
    {"Sum Blend", ShapeCode::SumBlend},
    {"Ricci Blend", ShapeCode::RicciBlend},
    {"Min Max CSG Union", ShapeCode::MinMaxUnion},
    {"Min Max CSG Intersection", ShapeCode::MinMaxIntersection},
    {"Min Max CSG Difference", ShapeCode::MinMaxDifference},
    {"Barthe Sharp Union", ShapeCode::BartheSharpUnion},
    {"Barthe Sharp Intersection", ShapeCode::BartheSharpIntersection},
    {"Barthe Sharp Difference", ShapeCode::BartheSharpDifference},
    {"Barthe Smooth Difference", ShapeCode::BartheSmoothDifference},
    {"Twist", ShapeCode::Twist},
    {"Taper", ShapeCode::Taper},
    {"Bend", ShapeCode::Bend},
};

const MenuCode kProfiledCommands[] = {
    {"Capped Linear Sweep", ShapeCode::CappedLinearSweep},
    {"Revolution", ShapeCode::Revolution},
    {"Cubic Curve Sweep", ShapeCode::CubicCurveSweep},
    {"Quadratic Curve Sweep", ShapeCode::QuadraticCurveSweep},
};

const MenuCode kWrapCommands[] = {
    {"Hollow Operator", ShapeCode::Hollow}, {"Insert Hollow Op", ShapeCode::Hollow},
    {"Mirror Operator", ShapeCode::Mirror}, {"Insert Mirror Op", ShapeCode::Mirror},
    {"Make Part", ShapeCode::Group},
};

template <std::size_t N>
int FindCode(const MenuCode (&table)[N], const std::string& text)
{
    for (const MenuCode& entry : table)
        if (text == entry.text) return entry.code;
    return -1;
}

const char* const kOtherCommands[] = {
    "Interpolating Linear Sweep",
    "Variational Warp",
    "Variational Displacement Map",
    "Test Linear Sweep Warp",
    "Remove",
    "Clear Selection",
    "Flip X",
    "Flip Y",
    "Flip Z",
    "Add Billboard",
    "Import Mesh",
    "Pick Contour Stack",
};

Wml::AxisAlignedBox2<float> Square(float h)
{
    return Wml::AxisAlignedBox2<float>(-h, h, -h, h);
}

/// A slice image as a field over [-1, 1]^2: grey level / 255, the top row
/// of the image at +y.
vynimplicit::DiscreteScalarField2D ImageField(const Wml::PGMImage& image)
{
    vynimplicit::DiscreteScalarField2D field(image.GetWidth(), image.GetHeight(), Square(1.0f));
    for (unsigned row = 0; row < image.GetHeight(); ++row)
        for (unsigned col = 0; col < image.GetWidth(); ++col)
            field.SetValue(col, image.GetHeight() - 1 - row, image(col, row) / 255.0f);
    return field;
}

}  // namespace

const std::vector<std::string>& CSceneManager::CommandNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const MenuCode& entry : kAddCommands) all.push_back(entry.text);
        for (const MenuCode& entry : kProfiledCommands) all.push_back(entry.text);
        for (const MenuCode& entry : kWrapCommands) all.push_back(entry.text);
        for (const char* text : kOtherCommands) all.push_back(text);
        return all;
    }();
    return names;
}

bool CSceneManager::OnUpdateCommand(const std::string& menuText, CommandState& state)
{
    const std::vector<std::string>& names = CommandNames();
    if (std::find(names.begin(), names.end(), menuText) == names.end()) return false;
    state.checked = false;
    state.enabled = true;
    const OrderedObjectSet& selection = m_objects->GetSelection();
    if (menuText == "Remove")
        state.enabled = !selection.Empty() &&
                        dynamic_cast<BlobTreeNodeSceneObject*>(selection.Items().front()) &&
                        selection.Items().front() != GetRootSceneObject();
    else if (menuText == "Clear Selection" || menuText == "Flip X" || menuText == "Flip Y" ||
             menuText == "Flip Z")
        state.enabled = !selection.Empty();
    return true;
}

bool CSceneManager::OnCommand(const std::string& menuText)
{
    int code = FindCode(kAddCommands, menuText);
    if (code >= 0) {
        AddNode(code, nullptr, true);
        return true;
    }
    code = FindCode(kProfiledCommands, menuText);
    if (code >= 0) {
        AddProfiledShape(code, code == ShapeCode::CubicCurveSweep || code == ShapeCode::QuadraticCurveSweep);
        return true;
    }
    code = FindCode(kWrapCommands, menuText);
    if (code >= 0) {
        WrapSelection(code);
        return true;
    }
    if (menuText == "Interpolating Linear Sweep") return AddInterpolatingSweep(), true;
    if (menuText == "Variational Warp") return AddVariationalWarp(), true;
    if (menuText == "Variational Displacement Map") return AddDisplacementMap(), true;
    if (menuText == "Test Linear Sweep Warp") return AddLinearSweepWarp(), true;
    if (menuText == "Remove") return RemoveSelected(), true;
    if (menuText == "Clear Selection") {
        m_objects->ClearSelection();
        UpdateToolTargets();
        ShowTool(false);
        NotifySelectionChanged();
        return true;
    }
    if (menuText == "Flip X") return Flip(0), true;
    if (menuText == "Flip Y") return Flip(1), true;
    if (menuText == "Flip Z") return Flip(2), true;
    if (menuText == "Add Billboard") return AddBillboard(), true;
    if (menuText == "Import Mesh") return ImportMesh(), true;
    if (menuText == "Pick Contour Stack") return PickContourStack(), true;
    return false;
}

void CSceneManager::ShowError(const std::string& text)
{
    if (m_ui) m_ui->ShowMessage(text, kErrorTitle);
}

CSceneManager::Profile CSceneManager::LoadProfileField()
{
    if (!m_ui) return nullptr;
    FileDialogRequest request;
    request.title = "Open";
    request.defaultExtension = "mdvalue2d";
    request.fileName = "*.mdvalue2d;*.poly2d";
    request.filter = kProfileFilter;
    std::string path;
    if (!m_ui->ChooseFileToOpen(request, path)) return nullptr;
    if (path.find(".poly2d") != std::string::npos) {
        Wml::Polygon2<float> polygon;
        auto field = std::make_shared<vynimplicit::PolygonField2D>();
        if (!polygon.Load(path.c_str()) || !field->SetPolygon(polygon)) {
            ShowError(kPolyError);
            return nullptr;
        }
        return field;
    }
    auto field = std::make_shared<vynimplicit::DiscreteScalarField2D>();
    if (!field->LoadFromFile(path.c_str())) {
        ShowError(kFileError);
        return nullptr;
    }
    field->SetBounds(Square(1.0f));
    return field;
}

bool CSceneManager::AddProfiledShape(int code, bool smallBounds)
{
    Profile profile = LoadProfileField();
    if (!profile) return false;
    if (smallBounds) profile->SetBounds(Square(0.2f));
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object = m_model->GetFactory()->CreateAndAttach(DefaultParent(), code, -1);
    if (!object) return false;
    if (auto* profiled = dynamic_cast<vynui_bt::ProfiledLeafSceneObject*>(object))
        profiled->SetSharedProfile(profile);
    FinishAdd(object, true);
    return true;
}

bool CSceneManager::AddInterpolatingSweep()
{
    Profile first = LoadProfileField();
    if (!first) return false;
    Profile second = LoadProfileField();
    if (!second) return false;
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object =
        m_model->GetFactory()->CreateAndAttach(DefaultParent(), ShapeCode::InterpolatingLinearSweep, -1);
    auto* sweep = dynamic_cast<vynui_bt::InterpolatingLinearSweepSceneObject*>(object);
    if (!sweep) return false;
    sweep->AddSharedSlice(first, -0.5f, 0.0f, 0.0f);
    sweep->AddSharedSlice(second, 0.5f, 0.0f, 0.0f);
    FinishAdd(object, true);
    return true;
}

bool CSceneManager::AddVariationalWarp()
{
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object = AddNode(ShapeCode::VariationalWarp, nullptr, true);
    auto* warp = dynamic_cast<vynui_bt::VariationalWarpSceneObject*>(object);
    if (!warp) return false;
    vynbt::VariationalWarpNode* node = warp->GetVariationalWarpNode();
    node->EnableCaching(false);
    vynimplicit::WarpPointSet points;
    const float steps[3] = {-0.5f, 0.0f, 0.5f};
    for (float z : steps)
        for (float y : steps)
            for (float x : steps) points.AddPoint(Wml::Vector3<float>(x, y, z), Wml::Vector3<float>(x, y, z));
    node->SetWarpPointSet(points);
    warp->UpdateWarpHandles();
    NotifyObjectsModified();
    return true;
}

bool CSceneManager::AddDisplacementMap()
{
    if (!m_ui) return false;
    FileDialogRequest request;
    request.title = "Open";
    request.defaultExtension = "pgm";
    request.filter = kPGMFilter;
    std::string path;
    if (!m_ui->ChooseFileToOpen(request, path)) return false;
    Wml::PGMImage image;
    if (!image.Read(path.c_str())) {
        ShowError(kFileError);
        return false;
    }
    ModelLock lock(m_model->GetLock());
    // The point set is built before anything joins the tree, so an image the
    // warp cannot use leaves the scene as it was.
    BlobTreeNodeSceneObject* object = m_model->GetFactory()->CreateSceneObject(ShapeCode::DisplacementMap);
    auto* map = dynamic_cast<vynui_bt::VariationalDisplacementMapSceneObject*>(object);
    vynimplicit::WarpPointSet points;
    if (!map ||
        !map->GetVariationalWarpNode()->GetVariationalWarp()->BuildDisplacementMap(image, 0.5f, points)) {
        delete object;
        ShowError(kFileError);
        return false;
    }
    map->GetVariationalWarpNode()->SetWarpPointSet(points);
    m_model->GetFactory()->AttachSceneObject(DefaultParent(), map, -1);
    map->UpdateWarpHandles();
    FinishAdd(map, true);
    return true;
}

bool CSceneManager::AddLinearSweepWarp()
{
    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object = AddNode(ShapeCode::LinearSweepWarp, nullptr, true);
    if (!object) return false;
    auto* node = static_cast<vynbt::LinearSweepWarpNode*>(object->GetNode());
    const std::vector<Wml::Vector2f> path = {Wml::Vector2f(0.0f, 0.2f), Wml::Vector2f(0.5f, 0.6f),
                                             Wml::Vector2f(1.0f, 0.4f)};
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    node->GetLinearSweepWarp()->SetPath(path);
    node->ChildModifiedHack_AfterChange(before);
    NotifyObjectsModified();
    return true;
}

bool CSceneManager::AddBillboard()
{
    if (!m_ui) return false;
    FileDialogRequest request;
    request.title = "Open";
    request.filter = kAnyFilter;
    std::string path;
    if (!m_ui->ChooseFileToOpen(request, path)) return false;
    auto* billboard = new BillboardSO();
    if (!billboard->LoadImage(path)) {
        char text[1024];
        std::snprintf(text, sizeof text, "Could not load texture image %s\n", path.c_str());
        m_ui->ShowMessage(text, "Problem opening file!");
        delete billboard;
        return false;
    }
    billboard->InitializeParameters();
    m_owned.push_back(billboard);
    m_objects->ClearSelection();
    m_objects->AddObject(billboard, true);
    UpdateToolTargets();
    ShowTool(true);
    NotifySceneChanged();
    NotifySelectionChanged();
    return true;
}

namespace {

const char* const kImportWarning =
    "Imported meshes are shown as they are: they take no part in the implicit model "
    "and cannot be blended or edited as shapes.";
const char* const kImportWarningTitle = "WARNING: EXPERIMENTAL FEATURE";

}  // namespace

bool CSceneManager::ImportMesh()
{
    if (!m_ui) return false;
    m_ui->ShowMessage(kImportWarning, kImportWarningTitle);
    FileDialogRequest request;
    request.title = "Open";
    request.defaultExtension = "obj";
    request.filter = kMeshFilter;
    std::string path;
    if (!m_ui->ChooseFileToOpen(request, path)) return false;
    return AddImportedMesh(path);
}

bool CSceneManager::ImportMeshFile(const std::string& path)
{
    if (!m_ui) return false;
    m_ui->ShowMessage(kImportWarning, kImportWarningTitle);
    return AddImportedMesh(path);
}

bool CSceneManager::AddImportedMesh(const std::string& path)
{
    std::string reason;
    SceneObject* mesh = m_meshImporter ? m_meshImporter(path, reason) : nullptr;
    if (!mesh) {
        ShowError(reason.empty() ? std::string(kFileError) : std::string(kFileError) + "\n\n" + reason);
        return false;
    }
    m_owned.push_back(mesh);
    AddSceneObject(mesh, true);
    return true;
}

bool CSceneManager::PickContourStack()
{
    if (!m_ui) return false;
    // One slice per chosen image, bottom to top, until the dialog is cancelled.
    std::vector<Profile> slices;
    while (slices.size() < kMaxStackSlices) {
        FileDialogRequest request;
        request.title = "Open Contour Slice";
        request.defaultExtension = "pgm";
        request.filter = kPGMFilter;
        std::string path;
        if (!m_ui->ChooseFileToOpen(request, path)) break;
        Wml::PGMImage image;
        if (!image.Read(path.c_str())) {
            ShowError(kFileError);
            return false;
        }
        vynimplicit::DiscreteScalarField2D grey = ImageField(image);
        vynimplicit::MarchingQuads contour;
        contour.SetBounds(Square(1.0f));
        contour.SetCellResolution(std::min(std::max(image.GetWidth(), image.GetHeight()), kStackResolution));
        contour.SetField(&grey);
        contour.SetIsoValue(0.5f);
        contour.SetScanAll(true);
        Wml::LinearComplex2<float> outline;
        contour.Run(outline);
        vynimplicit::DiscreteFieldGenerator2D generator(outline);
        Wml::AxisAlignedBox2<float> box = Square(1.0f);
        std::shared_ptr<vynimplicit::DynDiscreteScalarField2D> field(
            generator.GetNumLoops()
                ? generator.MakeDynFieldVariational(kStackResolution, false, kStackTolerance, &box)
                : nullptr);
        if (!field) {
            ShowError(kFileError);
            return false;
        }
        slices.push_back(field);
    }
    if (slices.empty()) return false;

    ModelLock lock(m_model->GetLock());
    BlobTreeNodeSceneObject* object =
        m_model->GetFactory()->CreateSceneObject(ShapeCode::InterpolatingLinearSweep);
    auto* sweep = dynamic_cast<vynui_bt::InterpolatingLinearSweepSceneObject*>(object);
    if (!sweep) {
        delete object;
        return false;
    }
    const float spacing = slices.size() > 1 ? 1.0f / static_cast<float>(slices.size() - 1) : 0.0f;
    for (std::size_t i = 0; i < slices.size(); ++i)
        sweep->AddSharedSlice(slices[i], -0.5f + spacing * static_cast<float>(i), 0.0f, 0.0f);
    m_model->GetFactory()->AttachSceneObject(DefaultParent(), sweep, -1);
    FinishAdd(sweep, true);
    return true;
}

}  // namespace vynui
