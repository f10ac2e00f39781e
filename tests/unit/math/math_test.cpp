#include <gtest/gtest.h>

#include <cmath>

#include "math/color_rgba.h"
#include "math/matrix4.h"
#include "math/vector3.h"

namespace {

constexpr float kPi = 3.14159265358979f;

void ExpectMatrixNear(const Matrix4& actual, const float (&expected)[4][4], float tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected[r][c], tolerance) << "row " << r << " col " << c;
}

void ExpectVectorNear(const Vector3& actual, const Vector3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(Matrix4, RotationRowsFollowTheLeftHandedConvention) {
    float a = 0.3f, c = std::cos(a), s = std::sin(a);
    ExpectMatrixNear(MatrixRotationX(a), {{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}},
                     1e-7f);
    ExpectMatrixNear(MatrixRotationY(a), {{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}},
                     1e-7f);
    ExpectMatrixNear(MatrixRotationZ(a), {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
                     1e-7f);
    // The arbitrary-axis rotation agrees with the three principal ones, and
    // normalises its axis first.
    EXPECT_TRUE(MatrixRotationAxis({2, 0, 0}, a) == MatrixRotationX(a) ||
                std::fabs(MatrixRotationAxis({2, 0, 0}, a).m[1][2] - s) < 1e-6f);
    const Matrix4 axisY = MatrixRotationAxis({0, 1, 0}, a), principalY = MatrixRotationY(a);
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col) EXPECT_NEAR(axisY.m[r][col], principalY.m[r][col], 1e-6f);
}

TEST(Matrix4, ProductAppliesTheLeftOperandFirst) {
    // Translate then rotate about Z by 90°: (1, 0, 0) → (2, 0, 0) → (0, 2, 0).
    Matrix4 m = MatrixTranslation(1, 0, 0) * MatrixRotationZ(kPi / 2);
    ExpectVectorNear(Vec3TransformCoord({1, 0, 0}, m), {0, 2, 0}, 1e-6f);
    // The other order rotates first: (1, 0, 0) → (0, 1, 0) → (1, 1, 0).
    Matrix4 n = MatrixRotationZ(kPi / 2) * MatrixTranslation(1, 0, 0);
    ExpectVectorNear(Vec3TransformCoord({1, 0, 0}, n), {1, 1, 0}, 1e-6f);
}

TEST(Matrix4, YawPitchRollEqualsRollThenPitchThenYaw) {
    float yaw = 0.7f, pitch = -0.4f, roll = 1.1f;
    Matrix4 expected = MatrixRotationZ(roll) * MatrixRotationX(pitch) * MatrixRotationY(yaw);
    Matrix4 actual = MatrixRotationYawPitchRoll(yaw, pitch, roll);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-6f);
}

TEST(Matrix4, WorldMatrixOfTheSceneMapsModelPointsAsExpected) {
    // Scale, then yaw π / pitch −π/2 / roll 0, then move to (0, 0, 100).
    Matrix4 world = MatrixScaling(1, 1, 1) * MatrixRotationYawPitchRoll(kPi, -kPi / 2, 0) *
                    MatrixTranslation(0, 0, 100);
    ExpectMatrixNear(world, {{-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}, {0, 0, 100, 1}}, 1e-6f);
    ExpectVectorNear(Vec3TransformCoord({1, 2, 3}, world), {-1, 3, 102}, 1e-5f);
}

TEST(Matrix4, PerspectiveFor800By600) {
    Matrix4 p = MatrixPerspectiveFovLH(0.7853982f, 800.0f / 600.0f, 1.0f, 5000.0f);
    EXPECT_NEAR(p.m[0][0], 1.8106602f, 1e-6f);
    EXPECT_NEAR(p.m[1][1], 2.4142137f, 1e-6f);
    EXPECT_NEAR(p.m[2][2], 5000.0f / 4999.0f, 1e-6f);
    EXPECT_NEAR(p.m[3][2], -5000.0f / 4999.0f, 1e-6f);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_EQ(p.m[3][3], 0.0f);
    // Near plane → depth 0, far plane → depth 1.
    EXPECT_NEAR(Vec3TransformCoord({0, 0, 1}, p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(Vec3TransformCoord({0, 0, 5000}, p).z, 1.0f, 1e-6f);
}

TEST(Matrix4, InverseAndTranspose) {
    Matrix4 m = MatrixRotationYawPitchRoll(0.3f, 0.2f, -0.5f) * MatrixScaling(2, 3, 4) *
                MatrixTranslation(5, -6, 7);
    Matrix4 inverse;
    ASSERT_TRUE(MatrixInverse(m, &inverse));
    Matrix4 product = m * inverse;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f);

    Matrix4 t = MatrixTranspose(m);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(t.m[r][c], m.m[c][r]);
}

TEST(Matrix4, InverseReportsSingularMatricesAndLeavesTheOutputAlone) {
    Matrix4 untouched = MatrixTranslation(1, 2, 3), out = untouched;
    EXPECT_FALSE(MatrixInverse(MatrixScaling(1, 0, 1), &out));
    EXPECT_TRUE(out == untouched);
    Matrix4 withNaN;
    withNaN.m[1][1] = std::nanf("");
    EXPECT_FALSE(MatrixInverse(withNaN, &out));
    Matrix4 tiny = MatrixScaling(1e-39f, 1.0f, 1.0f);
    EXPECT_FALSE(MatrixInverse(tiny, &out));  // the inverse overflows float
    EXPECT_TRUE(out == untouched);
}

TEST(Vector3, TransformsCrossDotAndNormalise) {
    // As a point the translation applies and w divides; as a normal neither.
    Matrix4 m = MatrixScaling(2, 2, 2) * MatrixTranslation(1, 1, 1);
    ExpectVectorNear(Vec3TransformCoord({1, 0, 0}, m), {3, 1, 1}, 1e-6f);
    ExpectVectorNear(Vec3TransformNormal({1, 0, 0}, m), {2, 0, 0}, 1e-6f);
    Matrix4 w;
    w.m[3][3] = 2.0f;
    ExpectVectorNear(Vec3TransformCoord({4, 6, 8}, w), {2, 3, 4}, 1e-6f);

    ExpectVectorNear(Vec3Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1}, 0);
    ExpectVectorNear(Vec3Cross({0, 0, 1}, {1, 0, 0}), {0, 1, 0}, 0);
    EXPECT_EQ(Vec3Dot({1, 2, 3}, {4, -5, 6}), 12.0f);
    ExpectVectorNear(Vec3Normalize({3, 0, 4}), {0.6f, 0, 0.8f}, 1e-7f);
    ExpectVectorNear(Vec3Normalize({0, 0, 0}), {0, 0, 0}, 0);
}

TEST(ColorRGBA, PacksClampedRoundedChannelsAsARGB) {
    EXPECT_EQ((ColorRGBA{0, 1, 1, 1}.PackARGB()), 0xFF00FFFFu);
    EXPECT_EQ((ColorRGBA{1, 1, 0, 1}.PackARGB()), 0xFFFFFF00u);
    EXPECT_EQ(PackColorChannel(0.5f), 128u);
    EXPECT_EQ(PackColorChannel(1.5f), 255u);
    EXPECT_EQ(PackColorChannel(-0.2f), 0u);
    EXPECT_EQ(PackColorChannel(std::nanf("")), 0u);
    EXPECT_EQ((ColorRGBA{0.5f, 0.25f, 0.0f, 1.0f}.PackARGB()), 0xFF804000u);
}

}  // namespace
