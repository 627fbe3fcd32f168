#pragma once
// The "Field Image" window without its window: a square grid of samples of a
// field on a plane through the origin over the field's bounds, and the RGB
// picture made from them.
//
// For resolution n the image is n x n; along each axis the step is
// range / (n + 1) and sample i lies at minimum + i * step, i = 0 .. n - 1.
// Sample (i, j) has i along the horizontal axis and j along the vertical one
// ("X/Y Plane": x and y; "X/Z Plane": x and z; "Y/Z Plane": z and y).
// Rows are stored bottom first: row j holds the samples of vertical index j.
//
// Samples are re-taken by Sample (resolution, plane, image type or the field
// changed); the display toggles only rebuild the RGB picture.

#include <functional>
#include <string>
#include <vector>

#include "wml/AxisAlignedBox3.h"
#include "wml/Vector3.h"

namespace vynimplicit {
class ScalarField;
}

namespace vynui {

class FieldImageModel {
public:
    enum Plane { PLANE_XY = 0, PLANE_XZ = 1, PLANE_YZ = 2 };
    enum ImageType { VALUE = 0, GRADIENT = 1, NORMALIZATION_ERROR = 2 };
    static constexpr unsigned int MIN_RESOLUTION = 128;
    static constexpr unsigned int MAX_RESOLUTION = 2048;
    static constexpr unsigned int DEFAULT_RESOLUTION = 256;
    static constexpr const char* SAVE_ERROR = "Error Saving File";

    /// The "Resolution" menu: "128" to "2048", doubling.
    static const std::vector<unsigned int>& ResolutionChoices();
    /// Menu texts: "X/Y Plane", ...; "Value", "Gradient", "Normalization Error".
    static const char* PlaneName(Plane plane);
    static const char* ImageTypeName(ImageType type);

    // ---- what is sampled (takes effect at the next Sample)

    /// False (nothing changes) outside MIN_RESOLUTION .. MAX_RESOLUTION.
    bool SetResolution(unsigned int n);
    unsigned int GetResolution() const { return m_resolution; }
    /// False for a value that is not a plane.
    bool SetPlane(int plane);
    Plane GetPlane() const { return m_plane; }
    bool SetImageType(int type);
    ImageType GetImageType() const { return m_type; }

    /// Samples field (not kept) over its FieldBounds and rebuilds the
    /// picture. A field with empty or non-finite bounds gives an image of
    /// zeros (every sample at the origin of the plane). progress, when
    /// given, hears the share done after each row; answering false cancels,
    /// and a cancelled Sample keeps the previous samples and answers false.
    bool Sample(vynimplicit::ScalarField& field, const std::function<bool(float done)>& progress = {});
    /// True once Sample ran.
    bool HasSamples() const { return !m_values.empty(); }
    /// The resolution of the stored samples (0 before the first Sample).
    unsigned int GetSampledResolution() const { return m_sampled; }

    // ---- the samples

    /// The bounds the last Sample used.
    const Wml::AxisAlignedBox3<float>& GetBounds() const { return m_bounds; }
    /// Step along the horizontal and vertical axes.
    float GetHorizontalStep() const { return m_step[0]; }
    float GetVerticalStep() const { return m_step[1]; }
    /// The world point of sample (i, j) of the last Sample.
    Wml::Vector3<float> GetSamplePoint(unsigned int i, unsigned int j) const;
    /// The stored quantity of the image type at (i, j) (0 out of range).
    float GetSample(unsigned int i, unsigned int j) const;
    /// The field value at (i, j), clamped at 0 (0 out of range).
    float GetClampedValue(unsigned int i, unsigned int j) const;
    /// The smallest and largest stored quantity.
    float GetMinimum() const { return m_min; }
    float GetMaximum() const { return m_max; }

    // ---- display toggles (rebuild the picture only)

    void SetStretchToFit(bool on) { m_stretch = on; }
    bool GetStretchToFit() const { return m_stretch; }
    void SetShowIsoSurface(bool on);
    bool GetShowIsoSurface() const { return m_iso; }
    void SetSinFilter(bool on);
    bool GetSinFilter() const { return m_sin; }
    void SetNormalizeValues(bool on);
    bool GetNormalizeValues() const { return m_normalize; }

    /// The picture: n x n RGB bytes, rows bottom first (as GL reads frames).
    const std::vector<unsigned char>& GetRGB() const { return m_rgb; }
    /// Number of times the picture was rebuilt (a toggle rebuilds, a
    /// re-sample rebuilds too).
    unsigned int GetBuildCount() const { return m_builds; }

    // ---- files; both answer false and set error to SAVE_ERROR on failure

    /// The picture as a PNG file, top row first.
    bool SaveImage(const std::string& path, std::string* error = nullptr) const;
    /// The stored quantities as text: a header of "key value" lines
    /// ("# Kilnform field image", "resolution N", "plane P", "type T",
    /// "horizontal MIN STEP", "vertical MIN STEP"), a line "values", then N
    /// lines of N numbers separated by spaces, the bottom row first.
    bool SaveValueField(const std::string& path, std::string* error = nullptr) const;

private:
    void BuildImage();
    /// Horizontal and vertical axis numbers (0 x, 1 y, 2 z) of the plane.
    void Axes(int& horizontal, int& vertical) const;

    unsigned int m_resolution = DEFAULT_RESOLUTION;
    Plane m_plane = PLANE_XY;
    ImageType m_type = VALUE;
    bool m_stretch = false;
    bool m_iso = true;
    bool m_sin = true;
    bool m_normalize = true;

    unsigned int m_sampled = 0;
    Plane m_sampledPlane = PLANE_XY;
    ImageType m_sampledType = VALUE;
    Wml::AxisAlignedBox3<float> m_bounds;
    float m_origin[2] = {0.0f, 0.0f};
    float m_step[2] = {0.0f, 0.0f};
    std::vector<float> m_values;
    std::vector<float> m_clamped;
    float m_min = 0.0f;
    float m_max = 0.0f;
    std::vector<unsigned char> m_rgb;
    unsigned int m_builds = 0;
};

}  // namespace vynui
