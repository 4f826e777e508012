// D3DX9 for the portable backend: the value types, matrix operations, X-file mesh loading and
// texture loading that the viewer uses, with the SDK's names, signatures, values and results.
// Meshes are read with Assimp, textures with stb_image and libsquish (DDS); the matrices follow
// D3DX's definitions. A client of Direct3D 9 alone, through its public interface (d3d9.h), as
// D3DX is: meshes are vertex and index buffers of the device, textures its textures.
//
// Implemented:
//  [x] D3DXVECTOR3, D3DXCOLOR (usable as D3DCOLORVALUE), D3DXMATRIX, D3DXMATRIXA16 (16-byte aligned)
//  [x] D3DXMatrixIdentity, Translation, Scaling, RotationX/Y/Z, Multiply (the output may be an
//      input), LookAtLH, PerspectiveFovLH: row vectors, left-handed, single precision
//  [x] D3DXLoadMeshFromXA: text, binary (32- and 64-bit floats) and compressed (tzip, bzip: MSZIP,
//      inflated with zlib before Assimp parses) X files through Assimp; one mesh
//      whose subset i is exactly the faces of material i; the materials are each mesh's
//      MeshMaterialList in its order, inline or named ({Red}, { Red }) wherever the file defines
//      them, and a file of several meshes gives their lists one after another, each mesh's faces
//      in its own part (equal materials not merged); D3DX's default material when the file has
//      none; quads and polygons fanned; frame transforms baked into the vertices, a child's
//      frame first and then each parent's, normals by the inverse transpose made unit;
//      MeshVertexColors as each vertex's diffuse colour (a D3DCOLOR)
//  [x] X-file objects, as Wine's D3DX treats them, the same in text, binary and compressed files
//      (xfile_rewrite.h): read: Frame, FrameTransformMatrix, Mesh, MeshNormals (with face normal
//      indices), MeshTextureCoords, MeshVertexColors, MeshMaterialList, Material (inline or
//      named by a reference in the list), TextureFilename; ignored (dropped before Assimp parses
//      the file, however large or inconsistent): template declarations (open [...] and
//      restricted [Name] members), Header, XSkinMeshHeader, SkinWeights,
//      VertexDuplicationIndices, FVFData, DeclData, EffectInstance, AnimTicksPerSecond,
//      AnimationSet, Animation, AnimationKey, AnimationOptions, data references outside a
//      material list, and objects of templates the file declares (KeyValuePair, matrix
//      comments); refused: nesting deeper than 256 objects, a reference to a material the file
//      does not define; in text an open string or GUID and unbalanced braces; in binary a token
//      of an unknown code, a name, string, list or GUID running past the end, a string without
//      its separator; in a compressed file a block without its "CK" or one that does not
//      inflate to exactly the size it gives, or blocks beyond the size the file declares
//  [x] The text grammar as D3DX reads it: whole numbers in float fields, // and # comments,
//      template declarations, Header, commas or semicolons as separators and runs of them, CRLF,
//      names with dashes or leading digits (rewritten for Assimp by xfile_rewrite.h before it
//      parses; Wine 8.0's D3DX refuses whole numbers in float fields, and mangles a second mesh
//      in a child frame)
//  [x] Where Wine 8.0's D3DX is wrong and the portable one is not (see README's reference
//      section): Wine applies nested frames parent first, moves normals by the frame's whole
//      matrix (translation included) without making them unit, and refuses binary files of
//      64-bit floats (0064)
//  [x] D3DXCreateTextureFromFileA: BMP, PNG, TGA, JPG, GIF, PSD, HDR, PIC, PNM, and DDS in DXT1,
//      DXT3, DXT5, A8R8G8B8, X8R8G8B8, R8G8B8, R5G6B5, A1R5G5B5 (and the other RGB bit-mask
//      formats) with every mip level the file claims present, found as Windows would find them
//      (backslash separators, any letter case); sides rounded up to powers of two and resampled
//      with D3DX's documented default, the triangle filter (Wine 8.0 logs that filter as
//      unhandled and resamples by point: a 48 by 24 image differs there at the band edges);
//      an image whose header claims, before or after rounding, more than the device's largest
//      texture side or more than 8192 by 8192 pixels fails before it is decoded; DDS alpha
//      kept (DXT1's transparent texels, DXT3's and DXT5's alpha, the A8 and A1 masks), texel for
//      texel as ImageMagick decodes the same files
//  [x] ID3DXBuffer (GetBufferPointer, GetBufferSize), ID3DXMesh (DrawSubset, GetNumFaces,
//      GetNumVertices, LockAttributeBuffer with D3DLOCK_READONLY: each face's subset), reference
//      counts
//  [x] A mesh's buffers: D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, with D3DFVF_DIFFUSE when the
//      file gives vertex colours (as Wine's D3DX: a vertex that its mesh's MeshVertexColors does
//      not list is white, one listed twice takes its last entry, and in a file of several meshes
//      those of a mesh without colours are 0, lit by the ambient term alone); 16-bit indices up
//      to 65536 vertices unless D3DXMESH_32BIT asks for 32; pools as the options name them
//      (D3DXMESH_SYSTEMMEM: D3DPOOL_SYSTEMMEM). DrawSubset sets the format, stream 0 and the
//      indices, then draws the subset's faces with one DrawIndexedPrimitive and returns its
//      result
//  [x] A texture: CreateTexture of D3DFMT_A8R8G8B8 in D3DPOOL_MANAGED with the whole mip chain,
//      level 0 the image, each level below the box filter of the one above (D3DX's default mip
//      filter), every level filled through LockRect; its largest side from GetDeviceCaps
// Not implemented:
//  [ ] adjacency and effect-instance outputs of the mesh loader (asking for them fails the call
//      with E_NOTIMPL), skinning and animation in X files; a mesh without a MeshMaterialList
//      beside one with a list takes the other's first material (Assimp's choice) where D3DX gives
//      it the default material; a material list shorter than the faces (Assimp repeats nothing)
//  [ ] DeclData's elements (normals, texture coordinates) are not applied: Wine 8.0 draws a
//      mesh whose only normals and coordinates are in DeclData without them too, and no
//      reference here shows what Windows' D3DX does
//  [ ] writable attribute buffers: a lock without D3DLOCK_READONLY fails with D3DERR_INVALIDCALL
//      (the faces are grouped by subset on the GPU once, at load); GetAttributeTable
//  [ ] a DDS file's own mip levels below the first are checked but not kept: the chain is made
//      from level 0 (the default point filter never samples it); DDS cube maps, volumes, DX10
//      headers and luminance formats; the other D3DX functions
//  [ ] Assimp parses in a child process, so a hostile file that crashes or hangs it, or has it
//      allocate more than 4 GiB (a count of a billion vertices), only fails the load; but an
//      out-of-range normal index that lands in readable memory gives arbitrary normals, and an
//      out-of-range face index a vertex of unset position, where D3DX fails the load (Assimp does
//      not check those indices)
//  [ ] a doubled backslash in a texture name comes back single (Assimp collapses it; D3DX keeps
//      both); both name the same file on Windows and here
//
// Result codes as measured on the reference (Wine's D3DX): a missing file, X or texture, gives
// D3DXERR_INVALIDDATA (0x88760B59); an X file that does not parse gives E_FAIL; a file that is
// not an X file gives 0x8876035D (the X-file parser's DXFILEERR_BADFILETYPE); a texture file that
// cannot be decoded gives D3DXERR_INVALIDDATA. No output is written on failure.
//
// Call recorder lines: D3DXLoadMeshFromXA("name", 0x110), D3DXCreateTextureFromFileA("name"),
// GetBufferPointer(), DrawSubset(2), D3DXMatrixIdentity(), D3DXMatrixTranslation(x, y, z),
// D3DXMatrixScaling(x, y, z), D3DXMatrixRotationY(angle), D3DXMatrixMultiply(),
// D3DXMatrixLookAtLH([eye], [at], [up]), D3DXMatrixPerspectiveFovLH(fovy, aspect, zn, zf),
// Release(ID3DXMesh), Release(ID3DXBuffer).
#pragma once
#pragma GCC system_header

#include "platform/portable/d3dx9/direct3d.h"

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_PI ((FLOAT)3.141592654f)

#define _FACDD 0x876
#define MAKE_DDHRESULT(code) ((HRESULT)(0x80000000UL | ((DWORD)_FACDD << 16) | (DWORD)(code)))
#define D3DXERR_CANNOTMODIFYINDEXBUFFER MAKE_DDHRESULT(2900)
#define D3DXERR_INVALIDMESH MAKE_DDHRESULT(2901)
#define D3DXERR_INVALIDDATA MAKE_DDHRESULT(2905)
#define D3DXERR_LOADEDMESHASNODATA MAKE_DDHRESULT(2906)

#define _FACD3DXF 0x876
#define D3DXFERR_BADOBJECT MAKE_DDHRESULT(900)
#define D3DXFERR_FILENOTFOUND MAKE_DDHRESULT(905)
#define D3DXFERR_BADFILE MAKE_DDHRESULT(911)
#define D3DXFERR_PARSEERROR MAKE_DDHRESULT(912)

enum _D3DXMESH {
    D3DXMESH_32BIT = 0x001,
    D3DXMESH_VB_SYSTEMMEM = 0x010,
    D3DXMESH_IB_SYSTEMMEM = 0x100,
    D3DXMESH_VB_MANAGED = 0x020,
    D3DXMESH_IB_MANAGED = 0x200,
    D3DXMESH_SYSTEMMEM = 0x110,
    D3DXMESH_MANAGED = 0x220,
};

struct D3DXVECTOR3 : D3DVECTOR {
    D3DXVECTOR3() = default;
    D3DXVECTOR3(FLOAT fx, FLOAT fy, FLOAT fz) : D3DVECTOR{fx, fy, fz} {}
    D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
    bool operator==(const D3DXVECTOR3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const D3DXVECTOR3& o) const { return !(*this == o); }
};

struct D3DXCOLOR {
    D3DXCOLOR() = default;
    D3DXCOLOR(FLOAT fr, FLOAT fg, FLOAT fb, FLOAT fa) : r(fr), g(fg), b(fb), a(fa) {}
    D3DXCOLOR(const D3DCOLORVALUE& c) : r(c.r), g(c.g), b(c.b), a(c.a) {}
    D3DXCOLOR(DWORD argb)
        : r(static_cast<FLOAT>((argb >> 16) & 0xff) / 255.0f),
          g(static_cast<FLOAT>((argb >> 8) & 0xff) / 255.0f),
          b(static_cast<FLOAT>(argb & 0xff) / 255.0f),
          a(static_cast<FLOAT>((argb >> 24) & 0xff) / 255.0f) {}

    // The SDK lets a D3DXCOLOR stand wherever a D3DCOLORVALUE is expected: same layout.
    operator D3DCOLORVALUE&() { return *reinterpret_cast<D3DCOLORVALUE*>(this); }
    operator const D3DCOLORVALUE&() const { return *reinterpret_cast<const D3DCOLORVALUE*>(this); }
    operator D3DCOLORVALUE*() { return reinterpret_cast<D3DCOLORVALUE*>(this); }
    operator const D3DCOLORVALUE*() const { return reinterpret_cast<const D3DCOLORVALUE*>(this); }

    FLOAT r, g, b, a;
};

struct D3DXMATRIX : D3DMATRIX {
    D3DXMATRIX() = default;
    D3DXMATRIX(const D3DMATRIX& mat) : D3DMATRIX(mat) {}
    D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
               FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44)
    {
        _11 = f11, _12 = f12, _13 = f13, _14 = f14;
        _21 = f21, _22 = f22, _23 = f23, _24 = f24;
        _31 = f31, _32 = f32, _33 = f33, _34 = f34;
        _41 = f41, _42 = f42, _43 = f43, _44 = f44;
    }
    FLOAT& operator()(UINT row, UINT col) { return m[row][col]; }
    FLOAT operator()(UINT row, UINT col) const { return m[row][col]; }
    operator FLOAT*() { return &_11; }
    operator const FLOAT*() const { return &_11; }
};

struct alignas(16) D3DXMATRIXA16 : D3DXMATRIX {
    D3DXMATRIXA16() = default;
    D3DXMATRIXA16(const D3DMATRIX& mat) : D3DXMATRIX(mat) {}
};

typedef struct _D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    LPSTR pTextureFilename;
} D3DXMATERIAL;
typedef D3DXMATERIAL* LPD3DXMATERIAL;

struct ID3DXBuffer : IUnknownLike {
    virtual LPVOID GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;

protected:
    ~ID3DXBuffer() = default;
};

struct ID3DXBaseMesh : IUnknownLike {
    virtual HRESULT DrawSubset(DWORD AttribId) = 0;
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;

protected:
    ~ID3DXBaseMesh() = default;
};

struct ID3DXMesh : ID3DXBaseMesh {
    virtual HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) = 0;
    virtual HRESULT UnlockAttributeBuffer() = 0;

protected:
    ~ID3DXMesh() = default;
};

typedef ID3DXBuffer* LPD3DXBUFFER;
typedef ID3DXMesh* LPD3DXMESH;

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* pOut);
D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z);
D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz);
D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT Angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* pOut, FLOAT Angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT Angle);
D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pOut, CONST D3DXMATRIX* pM1,
                                      CONST D3DXMATRIX* pM2);
D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* pOut, CONST D3DXVECTOR3* pEye,
                                      CONST D3DXVECTOR3* pAt, CONST D3DXVECTOR3* pUp);
D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT Aspect,
                                              FLOAT zn, FLOAT zf);

HRESULT WINAPI D3DXLoadMeshFromXA(LPCSTR pFilename, DWORD Options, LPDIRECT3DDEVICE9 pD3DDevice,
                                  LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials,
                                  LPD3DXBUFFER* ppEffectInstances, DWORD* pNumMaterials,
                                  LPD3DXMESH* ppMesh);
HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile,
                                          LPDIRECT3DTEXTURE9* ppTexture);

#define D3DXLoadMeshFromX D3DXLoadMeshFromXA
#define D3DXCreateTextureFromFile D3DXCreateTextureFromFileA
