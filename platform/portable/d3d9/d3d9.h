// Direct3D 9 for the portable backend: the types, constants and interfaces that the viewer uses,
// with the names, signatures and values of the Windows SDK, drawn with OpenGL 3.3 core (libepoxy),
// or WebGL 2 in the browser (gl_api.h), into the SDL window behind the HWND.
//
// Implemented:
//  [x] Direct3DCreate9 (D3D_SDK_VERSION only), IDirect3D9::CreateDevice (HAL and REF are the same
//      GL device; a GL context that cannot be made fails with D3DERR_NOTAVAILABLE and a null device)
//  [x] IDirect3DDevice9: SetRenderState, Clear, BeginScene, EndScene, Present, SetTransform,
//      SetLight, LightEnable, SetMaterial, SetTexture (stage 0)
//  [x] GetDeviceCaps: DeviceType, AdapterOrdinal, MaxTextureWidth/Height (GL's largest side),
//      MaxPrimitiveCount, MaxVertexIndex, MaxStreams (the record declares those alone)
//  [x] CreateVertexBuffer, CreateIndexBuffer (16- and 32-bit), and their Lock (a range; size 0
//      to the end; one lock at a time; D3DLOCK_READONLY writes nothing back) and Unlock, which
//      sends the range written to GL; every pool and usage is kept in memory alike
//  [x] SetFVF with D3DFVF_XYZ and any of D3DFVF_NORMAL, D3DFVF_DIFFUSE, D3DFVF_TEX1 (2D),
//      SetStreamSource (stream 0), SetIndices, DrawIndexedPrimitive of D3DPT_TRIANGLELIST; a
//      draw whose faces or indices reach past their buffers fails with D3DERR_INVALIDCALL and
//      draws nothing. Each draw leaves out the runs of 64 faces whose bounds lie wholly outside
//      the view (bounded on the first draw of a range, again after either buffer is written)
//  [x] CreateTexture of D3DFMT_A8R8G8B8 (levels 0: the whole chain), LockRect and UnlockRect of
//      whole levels; the levels stay in memory and level 0 goes to GL when it is unlocked
//  [x] AddRef/Release on every object; textures and buffers hold a reference on their device
//  [x] Fixed-function lighting as Direct3D 9 does it: per vertex in camera space, normals by the
//      inverse transpose of world*view and not renormalised, directional lights (up to 8), the
//      render-state ambient plus the lights' ambients, each light's N.L clamped to 0..1 (as the
//      reference, Wine, does), specular with a local viewer when D3DRS_SPECULARENABLE is set,
//      alpha from the diffuse term's source; stage 0 modulates texture and lit colour, point
//      sampled, wrapped; depth test less-or-equal on a 16-bit depth buffer; counter-clockwise
//      faces culled; Direct3D 9's pixel centres and 0..1 clip depth. Each state that changes
//      the program's code (lighting, the count of lights, specular, the colour sources, a
//      texture) has a program of its own, made at its first draw; those of one light without
//      specular, textured or not, come with the device. A program that does not compile fails
//      its draws with D3DERR_NOTAVAILABLE
//  [x] Render states honoured: D3DRS_ZENABLE, D3DRS_LIGHTING, D3DRS_AMBIENT, D3DRS_SPECULARENABLE,
//      D3DRS_CULLMODE, D3DRS_COLORVERTEX and D3DRS_DIFFUSE/AMBIENT/SPECULAR/EMISSIVEMATERIALSOURCE
//      (defaults COLOR1, MATERIAL, COLOR2, MATERIAL); every other state is accepted without
//      effect
//  [x] Vertex colours (meshes with MeshVertexColors): with D3DRS_COLORVERTEX on, a term whose
//      source is D3DMCS_COLOR1 takes the vertex's diffuse colour, and one whose source the vertex
//      lacks (COLOR1 without a colour, COLOR2: vertices carry no specular colour) the material's;
//      unlit, the vertex colour is drawn as it is (white without one)
//  [x] Present stretches the back buffer (sized from the client area at creation) over the current
//      client area (at the same size, a blit that the driver does as a memory copy), then
//      composites the rectangle of the window's text layer drawn since the last Present (TextOutA)
//      and clears it
//  [x] Frames cost no allocation and no upload of their own: buffers and textures go to the GPU
//      when they are unlocked, at load; a draw sets only the uniforms whose state changed since
//      its program's last draw (the subsets of a mesh differ in material and texture alone) and
//      lays out its vertex format only when the stream, the indices or the format changed; only
//      the overlay's rectangle of text goes up each frame; at most one GL draw call per
//      DrawIndexedPrimitive, which leaves out the runs of 64 faces whose bounds lie wholly outside
//      the view. What the GL driver allocates inside its calls is its own.
//  [x] CRS_FPS set in the environment: the times of the start-up steps and of the first frame,
//      and the frames of each second, on stderr (platform/portable/frame_rate.h), for benchmarks
//  [x] For tests, Direct3DCreate9 and each device type can be made to fail (d3d9_fault_hook.h),
//      and a procedure can run after every Present (present_hook.h)
// Not implemented:
//  [ ] QueryInterface, DrawPrimitive, DrawPrimitiveUP, strips, fans, lines and points, vertex
//      declarations, shaders, surfaces, Reset, GetDesc, GetTransform, GetViewport and the rest of
//      the device's methods; streams above 0; a base vertex that puts the stream's start before
//      its buffer; texture formats other than A8R8G8B8, sub-rectangle locks, sampling of levels
//      below 0 (no SetSamplerState: point sampling, no mipmaps); point and spot lights (set and
//      enabled, they light nothing); fog; blending; vertex specular colours; texture stages above
//      0; multisampling; full-screen mode; Present's rectangles and override window
//      (D3DERR_INVALIDCALL)
//
// Call recorder lines (platform/portable/call_recorder.h), one per call, floats as "%.9g":
//   Direct3DCreate9(32)                         CreateDevice(0, D3DDEVTYPE_HAL, window, 0x80)
//   SetRenderState(D3DRS_AMBIENT, 0x00111111)   (colour states in hex, the others in decimal)
//   Clear(0, NULL, 3, 0xff646464, 1, 0)         BeginScene()   EndScene()
//   Present(NULL, NULL, NULL, NULL)             SetTransform(D3DTS_WORLD, [m11, ..., m44])
//   SetLight(0, {type 3, diffuse [r, g, b, a], specular [..], ambient [..], position [x, y, z],
//       direction [x, y, z], range r, falloff f, attenuation [a0, a1, a2], theta t, phi p})
//   LightEnable(0, 1)
//   SetMaterial({diffuse [r, g, b, a], ambient [..], specular [..], emissive [..], power p})
//   SetTexture(0, NULL), SetTexture(0, "name as loaded") or SetTexture(0, texture) (not loaded by
//       D3DX)
//   GetDeviceCaps()   CreateTexture(256, 256, 0, 0x0, 21, 1)   LockRect(0, NULL, 0x0)
//   UnlockRect(0)
//   CreateVertexBuffer(1024, 0x0, 0x112, D3DPOOL_SYSTEMMEM)
//   CreateIndexBuffer(96, 0x0, D3DFMT_INDEX16, D3DPOOL_SYSTEMMEM)
//   Lock(IDirect3DVertexBuffer9, 0, 0, 0x0)     Unlock(IDirect3DIndexBuffer9)
//   SetFVF(0x112)   SetStreamSource(0, buffer, 0, 32)   SetIndices(buffer)
//   DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 24, 0, 12)
//   Release(IDirect3D9), Release(IDirect3DDevice9), Release(IDirect3DTexture9),
//       Release(IDirect3DVertexBuffer9), Release(IDirect3DIndexBuffer9), ... (final or not)
// D3DX's own calls on the device are not recorded (call_recorder.h's RecorderMute): the log holds
// the calls of the viewer.
#pragma once
// The SDK's records use anonymous structs in unions, as the real headers do.
#pragma GCC system_header

#include "platform/portable/win_types.h"

#define D3D_SDK_VERSION 32
#define D3DADAPTER_DEFAULT 0

#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020L
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040L
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080L

#define D3DLOCK_READONLY 0x00000010L
#define D3DLOCK_DISCARD 0x00002000L
#define D3DLOCK_NOOVERWRITE 0x00001000L

#define D3DUSAGE_WRITEONLY 0x00000008L
#define D3DUSAGE_DYNAMIC 0x00000200L

#define D3DFVF_XYZ 0x002
#define D3DFVF_NORMAL 0x010
#define D3DFVF_DIFFUSE 0x040
#define D3DFVF_TEX0 0x000
#define D3DFVF_TEX1 0x100

#define D3DCLEAR_TARGET 0x00000001L
#define D3DCLEAR_ZBUFFER 0x00000002L
#define D3DCLEAR_STENCIL 0x00000004L

#define D3DPRESENT_INTERVAL_DEFAULT 0x00000000L
#define D3DPRESENT_INTERVAL_ONE 0x00000001L
#define D3DPRESENT_INTERVAL_IMMEDIATE 0x80000000L

#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) ((HRESULT)(0x80000000UL | ((DWORD)_FACD3D << 16) | (DWORD)(code)))
#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)

typedef DWORD D3DCOLOR;
#define D3DCOLOR_ARGB(a, r, g, b) \
    ((D3DCOLOR)((((a)&0xff) << 24) | (((r)&0xff) << 16) | (((g)&0xff) << 8) | ((b)&0xff)))
#define D3DCOLOR_XRGB(r, g, b) D3DCOLOR_ARGB(0xff, r, g, b)

typedef struct _D3DVECTOR {
    float x;
    float y;
    float z;
} D3DVECTOR;

typedef struct _D3DCOLORVALUE {
    float r;
    float g;
    float b;
    float a;
} D3DCOLORVALUE;

typedef struct _D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
} D3DMATRIX;

typedef struct _D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
} D3DRECT;

typedef enum _D3DDEVTYPE {
    D3DDEVTYPE_HAL = 1,
    D3DDEVTYPE_REF = 2,
    D3DDEVTYPE_SW = 3,
    D3DDEVTYPE_NULLREF = 4,
    D3DDEVTYPE_FORCE_DWORD = 0x7fffffff
} D3DDEVTYPE;

typedef enum _D3DFORMAT {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_R8G8B8 = 20,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_R5G6B5 = 23,
    D3DFMT_D32 = 71,
    D3DFMT_D24S8 = 75,
    D3DFMT_D24X8 = 77,
    D3DFMT_D16 = 80,
    D3DFMT_INDEX16 = 101,
    D3DFMT_INDEX32 = 102,
    D3DFMT_FORCE_DWORD = 0x7fffffff
} D3DFORMAT;

typedef enum _D3DMULTISAMPLE_TYPE {
    D3DMULTISAMPLE_NONE = 0,
    D3DMULTISAMPLE_NONMASKABLE = 1,
    D3DMULTISAMPLE_FORCE_DWORD = 0x7fffffff
} D3DMULTISAMPLE_TYPE;

typedef enum _D3DSWAPEFFECT {
    D3DSWAPEFFECT_DISCARD = 1,
    D3DSWAPEFFECT_FLIP = 2,
    D3DSWAPEFFECT_COPY = 3,
    D3DSWAPEFFECT_FORCE_DWORD = 0x7fffffff
} D3DSWAPEFFECT;

typedef enum _D3DPOOL {
    D3DPOOL_DEFAULT = 0,
    D3DPOOL_MANAGED = 1,
    D3DPOOL_SYSTEMMEM = 2,
    D3DPOOL_SCRATCH = 3,
    D3DPOOL_FORCE_DWORD = 0x7fffffff
} D3DPOOL;

typedef enum _D3DPRIMITIVETYPE {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
    D3DPT_FORCE_DWORD = 0x7fffffff
} D3DPRIMITIVETYPE;

typedef enum _D3DZBUFFERTYPE {
    D3DZB_FALSE = 0,
    D3DZB_TRUE = 1,
    D3DZB_USEW = 2,
    D3DZB_FORCE_DWORD = 0x7fffffff
} D3DZBUFFERTYPE;

typedef enum _D3DCULL {
    D3DCULL_NONE = 1,
    D3DCULL_CW = 2,
    D3DCULL_CCW = 3,
    D3DCULL_FORCE_DWORD = 0x7fffffff
} D3DCULL;

typedef enum _D3DRENDERSTATETYPE {
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_SHADEMODE = 9,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_DITHERENABLE = 26,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_SPECULARENABLE = 29,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,
    D3DRS_COLORVERTEX = 141,
    D3DRS_LOCALVIEWER = 142,
    D3DRS_NORMALIZENORMALS = 143,
    D3DRS_DIFFUSEMATERIALSOURCE = 145,
    D3DRS_SPECULARMATERIALSOURCE = 146,
    D3DRS_AMBIENTMATERIALSOURCE = 147,
    D3DRS_EMISSIVEMATERIALSOURCE = 148,
    D3DRS_BLENDOPALPHA = 209,
    D3DRS_FORCE_DWORD = 0x7fffffff
} D3DRENDERSTATETYPE;

typedef enum _D3DMATERIALCOLORSOURCE {
    D3DMCS_MATERIAL = 0,
    D3DMCS_COLOR1 = 1,
    D3DMCS_COLOR2 = 2,
    D3DMCS_FORCE_DWORD = 0x7fffffff
} D3DMATERIALCOLORSOURCE;

typedef enum _D3DTRANSFORMSTATETYPE {
    D3DTS_VIEW = 2,
    D3DTS_PROJECTION = 3,
    D3DTS_TEXTURE0 = 16,
    D3DTS_FORCE_DWORD = 0x7fffffff
} D3DTRANSFORMSTATETYPE;
#define D3DTS_WORLDMATRIX(index) (D3DTRANSFORMSTATETYPE)(index + 256)
#define D3DTS_WORLD D3DTS_WORLDMATRIX(0)

typedef enum _D3DLIGHTTYPE {
    D3DLIGHT_POINT = 1,
    D3DLIGHT_SPOT = 2,
    D3DLIGHT_DIRECTIONAL = 3,
    D3DLIGHT_FORCE_DWORD = 0x7fffffff
} D3DLIGHTTYPE;

typedef struct _D3DLIGHT9 {
    D3DLIGHTTYPE Type;
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Ambient;
    D3DVECTOR Position;
    D3DVECTOR Direction;
    float Range;
    float Falloff;
    float Attenuation0;
    float Attenuation1;
    float Attenuation2;
    float Theta;
    float Phi;
} D3DLIGHT9;

typedef struct _D3DMATERIAL9 {
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power;
} D3DMATERIAL9;

typedef struct _D3DPRESENT_PARAMETERS_ {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
} D3DPRESENT_PARAMETERS;

typedef struct _D3DLOCKED_RECT {
    INT Pitch;
    void* pBits;
} D3DLOCKED_RECT;

// The capabilities that the device reports; the SDK's record has many more fields.
typedef struct _D3DCAPS9 {
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
} D3DCAPS9;

struct IDirect3DDevice9;

// Every object of the subset counts its references: Release returns the count left and destroys
// the object when it reaches zero.
struct IUnknownLike {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknownLike() = default;
};

struct IDirect3DResource9 : IUnknownLike {
    virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;

protected:
    ~IDirect3DResource9() = default;
};

struct IDirect3DBaseTexture9 : IDirect3DResource9 {
    virtual DWORD GetLevelCount() = 0;

protected:
    ~IDirect3DBaseTexture9() = default;
};

struct IDirect3DTexture9 : IDirect3DBaseTexture9 {
    virtual HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                             DWORD Flags) = 0;
    virtual HRESULT UnlockRect(UINT Level) = 0;

protected:
    ~IDirect3DTexture9() = default;
};

struct IDirect3DVertexBuffer9 : IDirect3DResource9 {
    virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) = 0;
    virtual HRESULT Unlock() = 0;

protected:
    ~IDirect3DVertexBuffer9() = default;
};

struct IDirect3DIndexBuffer9 : IDirect3DResource9 {
    virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) = 0;
    virtual HRESULT Unlock() = 0;

protected:
    ~IDirect3DIndexBuffer9() = default;
};

struct IDirect3DDevice9 : IUnknownLike {
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
    virtual HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                          DWORD Stencil) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect,
                            HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) = 0;
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) = 0;
    virtual HRESULT SetLight(DWORD Index, const D3DLIGHT9* pLight) = 0;
    virtual HRESULT LightEnable(DWORD Index, BOOL Enable) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) = 0;
    virtual HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS9* pCaps) = 0;
    virtual HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                  D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                  HANDLE* pSharedHandle) = 0;
    virtual HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                       IDirect3DVertexBuffer9** ppVertexBuffer,
                                       HANDLE* pSharedHandle) = 0;
    virtual HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DIndexBuffer9** ppIndexBuffer,
                                      HANDLE* pSharedHandle) = 0;
    virtual HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                    UINT OffsetInBytes, UINT Stride) = 0;
    virtual HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) = 0;
    virtual HRESULT SetFVF(DWORD FVF) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                         UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                         UINT primCount) = 0;

protected:
    ~IDirect3DDevice9() = default;
};

struct IDirect3D9 : IUnknownLike {
    virtual HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                 DWORD BehaviorFlags,
                                 D3DPRESENT_PARAMETERS* pPresentationParameters,
                                 IDirect3DDevice9** ppReturnedDeviceInterface) = 0;

protected:
    ~IDirect3D9() = default;
};

typedef IDirect3D9* LPDIRECT3D9;
typedef IDirect3DDevice9* LPDIRECT3DDEVICE9;
typedef IDirect3DBaseTexture9* LPDIRECT3DBASETEXTURE9;
typedef IDirect3DTexture9* LPDIRECT3DTEXTURE9;
typedef IDirect3DVertexBuffer9* LPDIRECT3DVERTEXBUFFER9;
typedef IDirect3DIndexBuffer9* LPDIRECT3DINDEXBUFFER9;

IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion);
