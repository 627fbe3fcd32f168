#include <gtest/gtest.h>

#include <random>

#include "wml/AxisAlignedBox2.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Matrix3.h"
#include "wml/Vector2.h"

using namespace Wml;

namespace {

std::mt19937 rng(1234);

float Uniform(float lo, float hi)
{
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

Vector3f RandomUnit()
{
    Vector3f v;
    do {
        v = Vector3f(Uniform(-1, 1), Uniform(-1, 1), Uniform(-1, 1));
    } while (v.SquaredLength() < 0.01f || v.SquaredLength() > 1.0f);
    v.Normalize();
    return v;
}

void ExpectNear(const Matrix3f& a, const Matrix3f& b, float tol)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(a(r, c), b(r, c), tol) << "at " << r << "," << c;
}

bool IsRotation(const Matrix3f& m, float tol)
{
    Matrix3f p = m.Transpose() * m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (std::fabs(p(r, c) - (r == c ? 1.0f : 0.0f)) > tol) return false;
    return std::fabs(m.Determinant() - 1.0f) < tol;
}

}  // namespace

TEST(Vector, NormalizeNeverYieldsNaN)
{
    Vector3f z = Vector3f::ZERO;
    EXPECT_EQ(z.Normalize(), 0.0f);
    EXPECT_EQ(z, Vector3f::ZERO);
    Vector2f z2(0.0f, 0.0f);
    EXPECT_EQ(z2.Normalize(), 0.0f);
    Vector3f v(3, 0, 4);
    EXPECT_FLOAT_EQ(v.Normalize(), 5.0f);
    EXPECT_FLOAT_EQ(v.Length(), 1.0f);
    EXPECT_EQ(Vector3f::UNIT_X.Cross(Vector3f::UNIT_Y), Vector3f::UNIT_Z);
    EXPECT_FLOAT_EQ(Vector2f(1, 0).Kross(Vector2f(0, 1)), 1.0f);
    Vector3f u, w;
    Vector3f axis = RandomUnit();
    Vector3f::GenerateOrthonormalBasis(u, w, axis);
    EXPECT_NEAR(u.Dot(axis), 0.0f, 1e-6f);
    EXPECT_NEAR(w.Dot(axis), 0.0f, 1e-6f);
    EXPECT_NEAR(u.Cross(w).Dot(axis), 1.0f, 1e-5f);
}

TEST(Matrix3, EulerAnglesRoundTrip)
{
    for (int i = 0; i < 500; ++i) {
        float x = Uniform(-3.1f, 3.1f), y = Uniform(-1.5f, 1.5f), z = Uniform(-3.1f, 3.1f);
        Matrix3f m;
        m.FromEulerAnglesXYZ(x, y, z);
        ASSERT_TRUE(IsRotation(m, 1e-5f));
        float rx, ry, rz;
        ASSERT_TRUE(m.ToEulerAnglesXYZ(rx, ry, rz));
        EXPECT_NEAR(rx, x, 1e-3f);
        EXPECT_NEAR(ry, y, 1e-3f);
        EXPECT_NEAR(rz, z, 1e-3f);
        // And the matrix of the recovered angles is the same rotation.
        Matrix3f back;
        back.FromEulerAnglesXYZ(rx, ry, rz);
        ExpectNear(back, m, 1e-5f);
    }
    // Gimbal lock: not unique, but the recovered angles rebuild the matrix.
    for (float y : {Mathf::HALF_PI, -Mathf::HALF_PI}) {
        Matrix3f m;
        m.FromEulerAnglesXYZ(0.3f, y, -0.7f);
        float rx, ry, rz;
        EXPECT_FALSE(m.ToEulerAnglesXYZ(rx, ry, rz));
        Matrix3f back;
        back.FromEulerAnglesXYZ(rx, ry, rz);
        ExpectNear(back, m, 1e-4f);
    }
}

TEST(Matrix3, AxisAngleInverseAndProducts)
{
    for (int i = 0; i < 300; ++i) {
        Vector3f axis = RandomUnit();
        float angle = Uniform(0.01f, 3.1f);
        Matrix3f m(axis, angle);
        ASSERT_TRUE(IsRotation(m, 1e-5f));
        // The axis is fixed; a perpendicular vector turns by the angle.
        Vector3f fixed = m * axis;
        EXPECT_NEAR((fixed - axis).Length(), 0.0f, 1e-5f);
        Vector3f u, w;
        Vector3f::GenerateOrthonormalBasis(u, w, axis);
        EXPECT_NEAR(Mathf::ACos(u.Dot(m * u)), angle, 1e-3f);
        EXPECT_GT(u.Cross(m * u).Dot(axis), 0.0f);  // right-handed

        Vector3f a2;
        float ang2;
        m.ToAxisAngle(a2, ang2);
        ExpectNear(Matrix3f(a2, ang2), m, 1e-4f);

        ExpectNear(m.Inverse(), m.Transpose(), 1e-5f);
        ExpectNear(m * m.Inverse(), Matrix3f::IDENTITY, 1e-5f);
        Vector3f v(Uniform(-2, 2), Uniform(-2, 2), Uniform(-2, 2));
        Vector3f rowProduct = v * m, transposed = m.Transpose() * v;
        EXPECT_NEAR((rowProduct - transposed).Length(), 0.0f, 1e-5f);
    }
    Matrix3f half(Vector3f::UNIT_Z, Mathf::PI);
    Vector3f axis;
    float angle;
    half.ToAxisAngle(axis, angle);
    EXPECT_NEAR(angle, Mathf::PI, 1e-5f);
    EXPECT_NEAR(std::fabs(axis.Z()), 1.0f, 1e-5f);

    Matrix3f singular(1, 2, 3, 2, 4, 6, 0, 0, 1);
    EXPECT_EQ(singular.Inverse(), Matrix3f::ZERO);
    Matrix3f general(2, 1, 0, 0, 3, 1, 1, 0, 4);
    ExpectNear(general * general.Inverse(), Matrix3f::IDENTITY, 1e-5f);
}

TEST(Matrix3, OrthonormalizeRepairsDrift)
{
    Matrix3f m;
    m.FromEulerAnglesXYZ(0.4f, -0.2f, 1.1f);
    Matrix3f drifted = m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) drifted(r, c) += Uniform(-0.01f, 0.01f);
    EXPECT_FALSE(IsRotation(drifted, 1e-4f));
    drifted.Orthonormalize();
    EXPECT_TRUE(IsRotation(drifted, 1e-5f));
    ExpectNear(drifted, m, 0.05f);
}

TEST(AxisAlignedBox, EmptyMergeAndContainment)
{
    AxisAlignedBox3f box;
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(box.Min(0), 3.4028235e38f);
    EXPECT_EQ(box.Max(2), -3.4028235e38f);
    EXPECT_EQ(box.Volume(), 0.0f);
    EXPECT_FALSE(Contained(box, Vector3f::ZERO));

    box.Merge(Vector3f(1, 2, 3));
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_TRUE(Contained(box, Vector3f(1, 2, 3)));
    box.Merge(Vector3f(-1, 0, 5));
    EXPECT_EQ(box, AxisAlignedBox3f(-1, 1, 0, 2, 3, 5));
    EXPECT_FLOAT_EQ(box.Volume(), 8.0f);
    EXPECT_TRUE(Contained(box, Vector3f(0, 1, 4)));
    EXPECT_FALSE(Contained(box, Vector3f(0, 1, 5.01f)));

    AxisAlignedBox3f other(0.5f, 4, 1, 1.5f, -10, 10);
    AxisAlignedBox3f both = box;
    both.Merge(other);
    EXPECT_EQ(both, AxisAlignedBox3f(-1, 4, 0, 2, -10, 10));
    EXPECT_TRUE(box.Intersects(other));
    EXPECT_EQ(box.Intersection(other), AxisAlignedBox3f(0.5f, 1, 1, 1.5f, 3, 5));
    EXPECT_TRUE(box.Intersection(AxisAlignedBox3f(5, 6, 5, 6, 5, 6)).IsEmpty());

    AxisAlignedBox3f empty;
    empty.Merge(AxisAlignedBox3f());
    EXPECT_TRUE(empty.IsEmpty());
    empty.Dilate(1.0f);
    EXPECT_TRUE(empty.IsEmpty());

    AxisAlignedBox2f flat(0, 2, -1, 1);
    EXPECT_FLOAT_EQ(flat.Area(), 4.0f);
    EXPECT_TRUE(Contained(flat, Vector2f(2, 1)));
    EXPECT_FALSE(Contained(flat, Vector2f(2.5f, 0)));
    EXPECT_EQ(flat.Center(), Vector2f(1, 0));
}
