// D3DX's matrix operations as D3DX defines them: row vectors multiplied from the left,
// left-handed camera and projection, single precision throughout.
#include <cmath>

#include "platform/portable/call_recorder.h"
#include "platform/portable/d3dx9/d3dx9.h"

namespace {

D3DXVECTOR3 Subtract(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A zero vector stays zero, as D3DXVec3Normalize leaves it.
D3DXVECTOR3 Normalize(const D3DXVECTOR3& v)
{
    const float length = std::sqrt(Dot(v, v));
    if (length == 0.0f) return {0.0f, 0.0f, 0.0f};
    return {v.x / length, v.y / length, v.z / length};
}

D3DXMATRIX* SetIdentity(D3DXMATRIX* out)
{
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

}  // namespace

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* pOut)
{
    RecordCall("D3DXMatrixIdentity()");
    return SetIdentity(pOut);
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z)
{
    RecordCall("D3DXMatrixTranslation(%.9g, %.9g, %.9g)", static_cast<double>(x),
               static_cast<double>(y), static_cast<double>(z));
    SetIdentity(pOut);
    pOut->_41 = x;
    pOut->_42 = y;
    pOut->_43 = z;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz)
{
    RecordCall("D3DXMatrixScaling(%.9g, %.9g, %.9g)", static_cast<double>(sx),
               static_cast<double>(sy), static_cast<double>(sz));
    SetIdentity(pOut);
    pOut->_11 = sx;
    pOut->_22 = sy;
    pOut->_33 = sz;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT Angle)
{
    RecordCall("D3DXMatrixRotationX(%.9g)", static_cast<double>(Angle));
    const float s = std::sin(Angle), c = std::cos(Angle);
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* pOut, FLOAT Angle)
{
    RecordCall("D3DXMatrixRotationY(%.9g)", static_cast<double>(Angle));
    const float s = std::sin(Angle), c = std::cos(Angle);
    *pOut = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT Angle)
{
    RecordCall("D3DXMatrixRotationZ(%.9g)", static_cast<double>(Angle));
    const float s = std::sin(Angle), c = std::cos(Angle);
    *pOut = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pOut, CONST D3DXMATRIX* pM1,
                                      CONST D3DXMATRIX* pM2)
{
    RecordCall("D3DXMatrixMultiply()");
    // Computed aside first: the output may be either input.
    D3DXMATRIX product;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            product.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] +
                              pM1->m[i][2] * pM2->m[2][j] + pM1->m[i][3] * pM2->m[3][j];
    *pOut = product;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* pOut, CONST D3DXVECTOR3* pEye,
                                      CONST D3DXVECTOR3* pAt, CONST D3DXVECTOR3* pUp)
{
    RecordCall("D3DXMatrixLookAtLH([%.9g, %.9g, %.9g], [%.9g, %.9g, %.9g], [%.9g, %.9g, %.9g])",
               static_cast<double>(pEye->x), static_cast<double>(pEye->y),
               static_cast<double>(pEye->z), static_cast<double>(pAt->x),
               static_cast<double>(pAt->y), static_cast<double>(pAt->z),
               static_cast<double>(pUp->x), static_cast<double>(pUp->y),
               static_cast<double>(pUp->z));
    const D3DXVECTOR3 zAxis = Normalize(Subtract(*pAt, *pEye));
    const D3DXVECTOR3 xAxis = Normalize(Cross(*pUp, zAxis));
    const D3DXVECTOR3 yAxis = Cross(zAxis, xAxis);
    *pOut = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0, xAxis.y, yAxis.y, zAxis.y, 0, xAxis.z,
                       yAxis.z, zAxis.z, 0, -Dot(xAxis, *pEye), -Dot(yAxis, *pEye),
                       -Dot(zAxis, *pEye), 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT Aspect,
                                              FLOAT zn, FLOAT zf)
{
    RecordCall("D3DXMatrixPerspectiveFovLH(%.9g, %.9g, %.9g, %.9g)", static_cast<double>(fovy),
               static_cast<double>(Aspect), static_cast<double>(zn), static_cast<double>(zf));
    const float yScale = 1.0f / std::tan(fovy / 2.0f);
    const float xScale = yScale / Aspect;
    *pOut = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, zf / (zf - zn), 1, 0, 0,
                       -zn * zf / (zf - zn), 0);
    return pOut;
}
