// D3DX's matrix operations against values worked out by hand: row vectors, left-handed, and a
// product whose first factor acts first.
#include <gtest/gtest.h>

#include "platform/portable/d3dx9/d3dx9.h"

namespace {

const float kHalfPi = 1.57079637f;

void ExpectMatrix(const D3DXMATRIX& actual, const float (&expected)[16], float tolerance = 1e-6f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR((&actual._11)[i], expected[i], tolerance) << "element " << i / 4 + 1 << i % 4 + 1;
}

// p' = p * M for a point (w = 1).
D3DXVECTOR3 Apply(const D3DXVECTOR3& p, const D3DXMATRIX& m)
{
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
            p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

void ExpectPoint(const D3DXVECTOR3& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-6f);
    EXPECT_NEAR(actual.y, y, 1e-6f);
    EXPECT_NEAR(actual.z, z, 1e-6f);
}

TEST(D3DXMatrix, IdentityTranslationAndScalingAreTheirDefinitions)
{
    D3DXMATRIX m(2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2);
    EXPECT_EQ(D3DXMatrixIdentity(&m), &m);
    ExpectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 0.0f);
    D3DXMatrixTranslation(&m, 4.0f, 0.0f, -13.0f);
    ExpectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 4, 0, -13, 1}, 0.0f);
    D3DXMatrixScaling(&m, 4.6f, 0.3f, 2.0f);
    ExpectMatrix(m, {4.6f, 0, 0, 0, 0, 0.3f, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}, 0.0f);
}

TEST(D3DXMatrix, RotationsTurnLeftHandedForRowVectors)
{
    D3DXMATRIX m;
    D3DXMatrixRotationX(&m, kHalfPi);  // +Y turns to +Z
    ExpectPoint(Apply({0, 1, 0}, m), 0, 0, 1);
    ExpectPoint(Apply({0, 0, 1}, m), 0, -1, 0);
    D3DXMatrixRotationY(&m, kHalfPi);  // +Z turns to +X
    ExpectPoint(Apply({0, 0, 1}, m), 1, 0, 0);
    ExpectPoint(Apply({1, 0, 0}, m), 0, 0, -1);
    D3DXMatrixRotationZ(&m, kHalfPi);  // +X turns to +Y
    ExpectPoint(Apply({1, 0, 0}, m), 0, 1, 0);
    ExpectPoint(Apply({0, 1, 0}, m), -1, 0, 0);

    const float c = 0.5f, s = 0.866025388f;  // 60 degrees
    D3DXMatrixRotationY(&m, 1.04719758f);
    ExpectMatrix(m, {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1});
}

TEST(D3DXMatrix, MultiplyAppliesTheFirstFactorFirst)
{
    D3DXMATRIX t, s, product;
    D3DXMatrixTranslation(&t, 1, 2, 3);
    D3DXMatrixScaling(&s, 2, 2, 2);
    D3DXMatrixMultiply(&product, &t, &s);  // translate, then scale the result
    ExpectMatrix(product, {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 4, 6, 1}, 0.0f);
    ExpectPoint(Apply({1, 1, 1}, product), 4, 6, 8);
    D3DXMatrixMultiply(&product, &s, &t);  // scale, then translate
    ExpectMatrix(product, {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1}, 0.0f);
}

TEST(D3DXMatrix, MultiplyMayWriteOverEitherInput)
{
    const D3DXMATRIX a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const D3DXMATRIX b(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 2, 0, 1, 1, 1, 1);
    // a * b worked out by hand: each row of a, with columns 1 and 2 swapped and mixed with
    // column 4, column 3 doubled plus column 4.
    const float ab[16] = {6, 5, 10, 4, 14, 13, 22, 8, 22, 21, 34, 12, 30, 29, 46, 16};
    D3DXMATRIX first = a, second = b;
    D3DXMatrixMultiply(&first, &first, &b);
    ExpectMatrix(first, ab, 0.0f);
    D3DXMatrixMultiply(&second, &a, &second);
    ExpectMatrix(second, ab, 0.0f);
    D3DXMATRIX square = b;
    D3DXMatrixMultiply(&square, &square, &square);
    ExpectMatrix(square, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 4, 0, 2, 2, 3, 1}, 0.0f);
}

TEST(D3DXMatrix, LookAtLHOfTheCourseCamera)
{
    const D3DXVECTOR3 eye(0.0f, 1.0f, -1.8f), at(0.0f, 0.0f, 1.2f), up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    // Axes: x = (1, 0, 0); z = (0, -1, 3) / sqrt(10); y = z cross x = (0, 3, 1) / sqrt(10).
    const float a = 0.948683298f, b = 0.316227766f;
    ExpectMatrix(view, {1, 0, 0, 0, 0, a, -b, 0, 0, b, a, 0, 0, -0.379473319f, 2.02385831f, 1});
    ExpectPoint(Apply(eye, view), 0, 0, 0);
    const D3DXVECTOR3 target = Apply(at, view);
    ExpectPoint(target, 0, 0, 3.16227766f);
}

TEST(D3DXMatrix, PerspectiveFovLHOfTheCourseProjection)
{
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 3.1415927f / 4.0f, 1.0f, 1.0f, 100.0f);
    const float scale = 2.41421356f;  // 1 / tan(pi / 8)
    ExpectMatrix(projection,
                 {scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, 100.0f / 99.0f, 1, 0, 0, -100.0f / 99.0f, 0},
                 2e-6f);
    D3DXMatrixPerspectiveFovLH(&projection, 3.1415927f / 4.0f, 2.0f, 1.0f, 100.0f);
    EXPECT_NEAR(projection._11, scale / 2.0f, 1e-6f);
    EXPECT_NEAR(projection._22, scale, 1e-6f);
}

TEST(D3DXTypes, ColourStandsForColourValueAndAlignedMatrixIsAligned)
{
    D3DLIGHT9 light{};
    light.Ambient = D3DXCOLOR(0.3f, 0.3f, 0.3f, 0.3f);
    EXPECT_EQ(light.Ambient.r, 0.3f);
    EXPECT_EQ(light.Ambient.a, 0.3f);
    const D3DXCOLOR grey(0xff646464u);
    EXPECT_NEAR(grey.r, 100.0f / 255.0f, 1e-7f);
    EXPECT_EQ(grey.a, 1.0f);
    EXPECT_EQ(alignof(D3DXMATRIXA16), 16u);
    EXPECT_EQ(sizeof(D3DXMATRIX), 64u);
    EXPECT_EQ(sizeof(D3DXMATERIAL), sizeof(D3DMATERIAL9) + sizeof(char*) + 4u);
}

}  // namespace
