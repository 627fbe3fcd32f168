#include "persist/WorldDimensionsDialogModel.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "interact/ViewController.h"

namespace vynui {

namespace {

const char* const kAxisNames[3] = {"X", "Y", "Z"};

std::string Format(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

/// The whole text as one number (spaces around it allowed); false for
/// anything else, including an empty text and trailing characters.
bool ParseNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    if (end == begin) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0';
}

bool IsAxis(int axis)
{
    return axis >= 0 && axis < 3;
}

}  // namespace

bool WorldDimensionsDialogModel::Refuse(const std::string& message)
{
    m_refusal = message;
    return false;
}

bool WorldDimensionsDialogModel::Load(const Wml::AxisAlignedBox3<float>& box, float scaleFactor)
{
    if (box.IsEmpty()) return Refuse("There is no surface mesh to measure.");
    Wml::Vector3<float> extents;
    for (int axis = 0; axis < 3; ++axis) {
        extents[axis] = box.Max(axis) - box.Min(axis);
        if (!std::isfinite(extents[axis])) return Refuse("The surface mesh's extents are not finite.");
    }
    if (!std::isfinite(scaleFactor) || scaleFactor <= 0.0f)
        return Refuse("The current scale factor is not a positive number.");
    const Wml::Vector3<float> keptExtents = m_extents;
    const float keptFactor = m_factor;
    m_extents = extents;
    if (!TakeFactor(scaleFactor)) {
        m_extents = keptExtents;
        m_factor = keptFactor;
        return false;
    }
    m_refusal.clear();
    return true;
}

bool WorldDimensionsDialogModel::Load(const Wml::AxisAlignedBox3<float>& box,
                                      const ViewController& controller)
{
    return Load(box, controller.GetWorldScaleFactor());
}

std::string WorldDimensionsDialogModel::GetModelDimensionText(int axis) const
{
    return IsAxis(axis) ? Format(m_extents[axis]) : std::string();
}

std::string WorldDimensionsDialogModel::GetScaleFactorText() const
{
    return Format(m_factor);
}

std::string WorldDimensionsDialogModel::GetWorldDimensionText(int axis) const
{
    return IsAxis(axis) ? Format(m_extents[axis] * m_factor) : std::string();
}

bool WorldDimensionsDialogModel::TakeFactor(double factor)
{
    // Checked in double so that nothing out of a float's range is converted.
    const double largest = std::numeric_limits<float>::max();
    if (!std::isfinite(factor) || factor <= 0.0) return Refuse("The scale factor must be a positive number.");
    if (factor > largest || static_cast<float>(factor) <= 0.0f)
        return Refuse("The scale factor is out of range.");
    for (int axis = 0; axis < 3; ++axis)
        if (double(m_extents[axis]) * factor > largest) return Refuse("The scale factor is out of range.");
    m_factor = static_cast<float>(factor);
    return true;
}

bool WorldDimensionsDialogModel::SetScaleFactorText(const std::string& text)
{
    double value = 0.0;
    if (!ParseNumber(text, value)) return Refuse("The scale factor must be a number.");
    if (!TakeFactor(value)) return false;
    m_refusal.clear();
    return true;
}

bool WorldDimensionsDialogModel::SetWorldDimensionText(int axis, const std::string& text)
{
    if (!IsAxis(axis)) return Refuse("There is no such dimension.");
    double value = 0.0;
    if (!ParseNumber(text, value))
        return Refuse(std::string("The world ") + kAxisNames[axis] + " dimension must be a number.");
    if (!std::isfinite(value) || value <= 0.0)
        return Refuse(std::string("The world ") + kAxisNames[axis] + " dimension must be a positive number.");
    // Also catches a mesh that is flat along this axis: no factor makes a
    // zero extent any other size.
    if (!(m_extents[axis] > 0.0f))
        return Refuse(std::string("The model has no extent along ") + kAxisNames[axis] +
                      "; set another dimension or the scale factor.");
    if (!TakeFactor(value / m_extents[axis])) return false;
    m_refusal.clear();
    return true;
}

bool WorldDimensionsDialogModel::Apply(ViewController& controller) const
{
    return controller.SetWorldScaleFactor(m_factor);
}

}  // namespace vynui
