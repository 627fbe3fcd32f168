#pragma once
// Near-equality of the geometry value types, as gtest assertions that print
// both values when they differ: EXPECT_TRUE(kftest::Near(a, b, 1e-5f)).

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "wml/Matrix3.h"
#include "wml/Quaternion.h"
#include "wml/Vector2.h"
#include "wml/Vector3.h"

namespace kftest {

namespace detail {
template <class T>
::testing::AssertionResult Compare(const T& a, const T& b, int count, float tol)
{
    for (int i = 0; i < count; ++i)
        if (!(std::fabs(a[i] - b[i]) <= tol)) {
            std::ostringstream text;
            text << "(";
            for (int j = 0; j < count; ++j) text << (j ? ", " : "") << a[j];
            text << ") vs (";
            for (int j = 0; j < count; ++j) text << (j ? ", " : "") << b[j];
            text << "), component " << i << " differs by more than " << tol;
            return ::testing::AssertionFailure() << text.str();
        }
    return ::testing::AssertionSuccess();
}
}  // namespace detail

inline ::testing::AssertionResult Near(const Wml::Vector2<float>& a, const Wml::Vector2<float>& b,
                                       float tol = 1e-5f)
{
    return detail::Compare(a, b, 2, tol);
}

inline ::testing::AssertionResult Near(const Wml::Vector3<float>& a, const Wml::Vector3<float>& b,
                                       float tol = 1e-5f)
{
    return detail::Compare(a, b, 3, tol);
}

inline ::testing::AssertionResult Near(const Wml::Matrix3<float>& a, const Wml::Matrix3<float>& b,
                                       float tol = 1e-5f)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (!(std::fabs(a[r][c] - b[r][c]) <= tol))
                return ::testing::AssertionFailure() << "entry (" << r << ", " << c << "): " << a[r][c]
                                                     << " vs " << b[r][c] << ", tolerance " << tol;
    return ::testing::AssertionSuccess();
}

/// Rotations compare equal up to the quaternion's sign.
inline ::testing::AssertionResult Near(const Wml::Quaternion<float>& a, const Wml::Quaternion<float>& b,
                                       float tol = 1e-5f)
{
    float same = 0.0f, opposite = 0.0f;
    for (int i = 0; i < 4; ++i) {
        same = std::fmax(same, std::fabs(a[i] - b[i]));
        opposite = std::fmax(opposite, std::fabs(a[i] + b[i]));
    }
    if (std::fmin(same, opposite) <= tol) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "quaternions differ by " << std::fmin(same, opposite);
}

}  // namespace kftest
