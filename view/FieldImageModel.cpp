#include "view/FieldImageModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "animation/FrameImage.h"
#include "implicit/ScalarField.h"

namespace vynui {

namespace {

bool FiniteBox(const Wml::AxisAlignedBox3<float>& box)
{
    for (int axis = 0; axis < 3; ++axis)
        if (!std::isfinite(box.Min(axis)) || !std::isfinite(box.Max(axis))) return false;
    return !box.IsEmpty();
}

bool Fail(std::string* error)
{
    if (error) *error = FieldImageModel::SAVE_ERROR;
    return false;
}

}  // namespace

const std::vector<unsigned int>& FieldImageModel::ResolutionChoices()
{
    static const std::vector<unsigned int> choices = {128, 256, 512, 1024, 2048};
    return choices;
}

const char* FieldImageModel::PlaneName(Plane plane)
{
    switch (plane) {
        case PLANE_XY:
            return "X/Y Plane";
        case PLANE_XZ:
            return "X/Z Plane";
        case PLANE_YZ:
            return "Y/Z Plane";
    }
    return "";
}

const char* FieldImageModel::ImageTypeName(ImageType type)
{
    switch (type) {
        case VALUE:
            return "Value";
        case GRADIENT:
            return "Gradient";
        case NORMALIZATION_ERROR:
            return "Normalization Error";
    }
    return "";
}

bool FieldImageModel::SetResolution(unsigned int n)
{
    if (n < MIN_RESOLUTION || n > MAX_RESOLUTION) return false;
    m_resolution = n;
    return true;
}

bool FieldImageModel::SetPlane(int plane)
{
    if (plane < PLANE_XY || plane > PLANE_YZ) return false;
    m_plane = Plane(plane);
    return true;
}

bool FieldImageModel::SetImageType(int type)
{
    if (type < VALUE || type > NORMALIZATION_ERROR) return false;
    m_type = ImageType(type);
    return true;
}

void FieldImageModel::Axes(int& horizontal, int& vertical) const
{
    switch (m_sampledPlane) {
        case PLANE_XZ:
            horizontal = 0;
            vertical = 2;
            break;
        case PLANE_YZ:
            // z runs across, y up.
            horizontal = 2;
            vertical = 1;
            break;
        default:
            horizontal = 0;
            vertical = 1;
            break;
    }
}

bool FieldImageModel::Sample(vynimplicit::ScalarField& field, const std::function<bool(float done)>& progress)
{
    // Kept to be put back when the caller cancels.
    const unsigned int oldSampled = m_sampled;
    const Plane oldPlane = m_sampledPlane;
    const ImageType oldType = m_sampledType;
    const Wml::AxisAlignedBox3<float> oldBounds = m_bounds;
    const float oldOrigin[2] = {m_origin[0], m_origin[1]};
    const float oldStep[2] = {m_step[0], m_step[1]};
    std::vector<float> oldValues, oldClamped;
    oldValues.swap(m_values);
    oldClamped.swap(m_clamped);
    auto cancel = [&] {
        m_sampled = oldSampled;
        m_sampledPlane = oldPlane;
        m_sampledType = oldType;
        m_bounds = oldBounds;
        for (int a = 0; a < 2; ++a) {
            m_origin[a] = oldOrigin[a];
            m_step[a] = oldStep[a];
        }
        m_values.swap(oldValues);
        m_clamped.swap(oldClamped);
        return false;
    };

    m_sampled = m_resolution;
    m_sampledPlane = m_plane;
    m_sampledType = m_type;
    field.FieldBounds(m_bounds);
    const unsigned int n = m_sampled;
    int h = 0, v = 0;
    Axes(h, v);
    const bool usable = FiniteBox(m_bounds);
    m_origin[0] = usable ? m_bounds.Min(h) : 0.0f;
    m_origin[1] = usable ? m_bounds.Min(v) : 0.0f;
    m_step[0] = usable ? m_bounds.Extent(h) / float(n + 1) : 0.0f;
    m_step[1] = usable ? m_bounds.Extent(v) / float(n + 1) : 0.0f;

    const std::size_t count = std::size_t(n) * n;
    m_values.assign(count, 0.0f);
    m_clamped.assign(count, 0.0f);
    if (usable) {
        for (unsigned int j = 0; j < n; ++j) {
            for (unsigned int i = 0; i < n; ++i) {
                const Wml::Vector3<float> p = GetSamplePoint(i, j);
                float value = 0.0f, quantity = 0.0f;
                if (m_sampledType == VALUE) {
                    value = quantity = field.Value(p.X(), p.Y(), p.Z());
                } else {
                    float gx = 0, gy = 0, gz = 0;
                    field.Gradient(p.X(), p.Y(), p.Z(), gx, gy, gz, &value);
                    const float length = std::sqrt(gx * gx + gy * gy + gz * gz);
                    quantity = m_sampledType == GRADIENT ? length : std::fabs(1.0f - length);
                }
                const std::size_t k = std::size_t(j) * n + i;
                // A misbehaving field must not poison the whole picture.
                m_values[k] = std::isfinite(quantity) ? quantity : 0.0f;
                m_clamped[k] = std::isfinite(value) ? std::max(0.0f, value) : 0.0f;
            }
            if (progress && !progress(float(j + 1) / float(n))) return cancel();
        }
    }
    const auto range = std::minmax_element(m_values.begin(), m_values.end());
    m_min = *range.first;
    m_max = *range.second;
    BuildImage();
    return true;
}

Wml::Vector3<float> FieldImageModel::GetSamplePoint(unsigned int i, unsigned int j) const
{
    int h = 0, v = 0;
    Axes(h, v);
    float p[3] = {0.0f, 0.0f, 0.0f};
    p[h] = m_origin[0] + float(i) * m_step[0];
    p[v] = m_origin[1] + float(j) * m_step[1];
    return Wml::Vector3<float>(p[0], p[1], p[2]);
}

float FieldImageModel::GetSample(unsigned int i, unsigned int j) const
{
    if (i >= m_sampled || j >= m_sampled) return 0.0f;
    return m_values[std::size_t(j) * m_sampled + i];
}

float FieldImageModel::GetClampedValue(unsigned int i, unsigned int j) const
{
    if (i >= m_sampled || j >= m_sampled) return 0.0f;
    return m_clamped[std::size_t(j) * m_sampled + i];
}

void FieldImageModel::SetShowIsoSurface(bool on)
{
    m_iso = on;
    BuildImage();
}

void FieldImageModel::SetSinFilter(bool on)
{
    m_sin = on;
    BuildImage();
}

void FieldImageModel::SetNormalizeValues(bool on)
{
    m_normalize = on;
    BuildImage();
}

void FieldImageModel::BuildImage()
{
    if (m_values.empty()) return;
    ++m_builds;
    const unsigned int n = m_sampled;
    m_rgb.assign(std::size_t(n) * n * 3, 0);
    const float span = m_max - m_min;
    const float kTwoPi = 6.28318530718f;
    for (unsigned int j = 0; j < n; ++j) {
        for (unsigned int i = 0; i < n; ++i) {
            const std::size_t k = std::size_t(j) * n + i;
            float t = m_values[k];
            if (m_normalize)
                t = span > 0.0f ? (t - m_min) / span : 0.0f;
            else
                t = std::min(1.0f, std::max(0.0f, t));
            // Bands every tenth of the range show the shape of the level sets.
            if (m_sin) t *= 0.6f + 0.4f * (0.5f + 0.5f * std::cos(kTwoPi * 10.0f * t));
            unsigned char* pixel = &m_rgb[k * 3];
            const unsigned char grey = static_cast<unsigned char>(std::lround(255.0f * t));
            pixel[0] = pixel[1] = pixel[2] = grey;
            if (m_iso) {
                // The 0.5 level: a sample inside next to one outside.
                const bool inside = m_clamped[k] >= 0.5f;
                const bool right = i + 1 < n && (m_clamped[k + 1] >= 0.5f) != inside;
                const bool up = j + 1 < n && (m_clamped[k + n] >= 0.5f) != inside;
                if (right || up) {
                    pixel[0] = 255;
                    pixel[1] = 0;
                    pixel[2] = 0;
                }
            }
        }
    }
}

bool FieldImageModel::SaveImage(const std::string& path, std::string* error) const
{
    if (m_rgb.empty() || path.empty()) return Fail(error);
    FrameImage frame;
    frame.data = m_rgb.data();
    frame.size = m_rgb.size();
    frame.width = int(m_sampled);
    frame.height = int(m_sampled);
    frame.channels = 3;
    if (!frame.WritePng(path, nullptr)) return Fail(error);
    return true;
}

bool FieldImageModel::SaveValueField(const std::string& path, std::string* error) const
{
    if (m_values.empty() || path.empty()) return Fail(error);
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return Fail(error);
    const unsigned int n = m_sampled;
    bool written = std::fprintf(file,
                                "# Kilnform field image\nresolution %u\nplane %s\ntype %s\n"
                                "horizontal %.9g %.9g\nvertical %.9g %.9g\nvalues\n",
                                n, PlaneName(m_sampledPlane), ImageTypeName(m_sampledType), m_origin[0],
                                m_step[0], m_origin[1], m_step[1]) > 0;
    for (unsigned int j = 0; written && j < n; ++j)
        for (unsigned int i = 0; written && i < n; ++i)
            written =
                std::fprintf(file, i + 1 < n ? "%.9g " : "%.9g\n", m_values[std::size_t(j) * n + i]) > 0;
    if (std::fflush(file) != 0) written = false;
    if (std::fclose(file) != 0) written = false;
    if (!written) {
        // No half-written file left behind to be mistaken for a good one;
        // only a plain file is ours to remove (never a device or a link).
        std::error_code ignored;
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored)))
            std::filesystem::remove(path, ignored);
        return Fail(error);
    }
    return true;
}

}  // namespace vynui
