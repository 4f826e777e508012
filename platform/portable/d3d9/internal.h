// The objects behind the portable Direct3D 9 interfaces, shared by the device's files and frame
// capture. Not part of the API that the viewer and D3DX see.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/portable/d3d9/d3d9.h"
#include "platform/portable/d3d9/gl_api.h"

namespace d3d9 {

constexpr DWORD kMaxLights = 8;        // lights 0..7 may be set and enabled
constexpr DWORD kRenderStateCount = 256;  // every D3DRENDERSTATETYPE below 256 is kept

class Texture;
class VertexBuffer;
class IndexBuffer;

// The fixed-function state that changes a program's code, as bits; each state has a program
// of its own (pipeline.cpp), so that a draw runs only the lighting terms its state uses.
enum ProgramState : unsigned {
    kStateLighting = 1u << 0,   // D3DRS_LIGHTING
    kStateSpecular = 1u << 1,   // D3DRS_SPECULARENABLE and a light with a specular colour
    kStateTextured = 1u << 2,   // a texture on stage 0
    kStateVertexColor = 1u << 3,  // unlit, with a diffuse colour in the vertex format
    // Lit, with D3DRS_COLORVERTEX on, a diffuse colour in the vertex format and the term's
    // source D3DMCS_COLOR1: the term takes the vertex's colour.
    kStateDiffuseFromVertex = 1u << 4,
    kStateAmbientFromVertex = 1u << 5,
    kStateSpecularFromVertex = 1u << 6,
    kStateEmissiveFromVertex = 1u << 7,
    kStateVertexColors = 0xf8u,  // the bits that need a colour in the vertex format
    kStateLightCountShift = 8,   // the enabled directional lights, 0 to 8, from this bit on
};
inline unsigned LightCountOf(unsigned state) { return state >> kStateLightCountShift; }

// Uniform locations of a fixed-function program (pipeline.cpp); -1 where its state uses none.
struct PipelineUniforms {
    GLint worldView, projection, normalMatrix, pixelOffset, ambient;
    GLint materialDiffuse, materialAmbient, materialSpecular, materialEmissive, materialPower;
    GLint lightDirection, lightDiffuse, lightSpecular;
};

// A fixed-function program and the generations of the device's uniform groups it last received
// (Device), so that a draw sets only what changed since this program's last draw.
struct FixedFunctionProgram {
    unsigned state = 0;
    GLuint program = 0;  // 0 when its shaders did not compile
    PipelineUniforms uniforms{};
    unsigned transforms = 0, lighting = 0, material = 0;
};

// Room for the states a program meets in practice: making one then moves none of the others.
constexpr std::size_t kExpectedPrograms = 16;

// The GL programs of a device: the fixed-function emulation's, one per state in use, and
// Present's copies and text-layer compositing.
struct Pipeline {
    std::vector<FixedFunctionProgram> programs;
    GLuint screenProgram = 0;
    GLint screenTextLayer = -1;  // true: the text layer; false: a copy of a colour texture
    GLint screenTopRow = -1;     // the framebuffer row of the layer's top row
    GLuint emptyVertexArray = 0;  // core profile needs one bound even for attribute-less draws
};

// Makes Present's program and the programs of the states given, which are then ready before the
// first draw needs them.
bool CreatePipeline(Pipeline& pipeline, const unsigned* earlyStates, std::size_t earlyCount);
// The program of a state, made at its first use; null when it does not compile.
FixedFunctionProgram* FixedFunctionProgramFor(Pipeline& pipeline, unsigned state);
void DestroyPipeline(Pipeline& pipeline);

// A one-level colour texture clamped at its edges, for a target that Present samples or for the
// text layer; storage comes later when a side is 0.
GLuint CreateColorTexture(GLenum format, int width, int height, GLint filter);

// The clip transform of a draw, for telling model-space boxes that no draw could show.
struct ViewVolume {
    D3DMATRIX clip{};                  // world * view * projection
    float shiftX = 0.0f, shiftY = 0.0f;  // the half-pixel shift, per unit of w
    // False only when all the box's corners lie clearly beyond one plane of the view volume: no
    // triangle inside it can then reach a pixel.
    bool MayShow(const float lower[3], const float upper[3]) const;
};

// A run of a draw's faces and the model-space box around their corners.
struct FaceRun {
    float lower[3], upper[3];
    std::uint32_t firstIndex, indexCount;
};

// An indexed draw of a triangle list cut into runs of faces, as built once for the buffers, stream
// and range it reads, and kept by the index buffer until either buffer is written again.
struct CulledDraw {
    const VertexBuffer* vertices;
    unsigned vertexGeneration;
    UINT streamOffset, stride;
    DWORD fvf;
    INT baseVertex;
    UINT startIndex, primCount;
    bool indicesValid;  // every index, with the base added, names a whole vertex of the stream
    std::vector<FaceRun> runs;
    std::vector<GLsizei> drawCounts;  // room for one GL draw per run: drawing allocates nothing
    std::vector<const void*> drawOffsets;
};

// The runs of faces of a triangle list, from index `startIndex` on: bounds read from the
// positions that the stream gives (3 floats at the start of each vertex).
void BuildCulledDraw(const std::uint8_t* vertices, std::size_t vertexBytes, UINT vertexSize,
                     const std::uint8_t* indices, UINT indexSize, CulledDraw& draw);

class Device final : public IDirect3DDevice9 {
public:
    // Makes the GL context on the window and the back buffer; null on failure.
    static Device* Create(HWND window, const D3DPRESENT_PARAMETERS& parameters);

    ULONG AddRef() override;
    ULONG Release() override;
    // Release without a line in the call log: for the references that textures and meshes hold.
    ULONG DropReference();
    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                  DWORD Stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT SetLight(DWORD Index, const D3DLIGHT9* pLight) override;
    HRESULT LightEnable(DWORD Index, BOOL Enable) override;
    HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) override;
    HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                          D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                          HANDLE* pSharedHandle) override;
    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer9** ppVertexBuffer,
                               HANDLE* pSharedHandle) override;
    HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DIndexBuffer9** ppIndexBuffer,
                              HANDLE* pSharedHandle) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                            UINT OffsetInBytes, UINT Stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
    HRESULT SetFVF(DWORD FVF) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                 UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                 UINT primCount) override;

    // Makes this device's GL context current; false when its window is gone.
    bool MakeCurrent();
    // What a draw now would apply to a mesh's positions.
    ViewVolume CurrentViewVolume() const;
    // An object being destroyed leaves stage 0, the stream or the indices empty rather than
    // dangling.
    void ForgetTexture(const Texture* texture);
    void ForgetBuffer(const VertexBuffer* buffer);
    void ForgetBuffer(const IndexBuffer* buffer);
    // Index data goes to GL with the device's vertex array bound, whose index binding then has
    // to be set again before the next draw.
    void BindStreamVertexArray();
    // The frame shown by the last Present, text included: RGBA, top row first; only in a program
    // that keeps its presented frames.
    bool ReadPresentedFrame(std::vector<std::uint8_t>& rgba, int& width, int& height);
    HWND Window() const { return window_; }

private:
    Device() = default;
    ~Device();
    bool CreateTargets(int width, int height, bool depthBuffer);
    bool ResizePresentTarget(int width, int height);
    HRESULT PresentToWindow();
    void CompositeTextLayer(GLuint target, int targetHeight);
    void DrawScreenQuad(GLuint source, int textTopRow);
    unsigned ProgramStateOfDraw();
    unsigned LightingState() const;
    void UploadFixedFunctionState(FixedFunctionProgram& program);
    void UploadTransforms(const PipelineUniforms& u) const;
    void UploadLighting(const PipelineUniforms& u) const;
    void LayOutStream(INT baseVertex);

    ULONG references_ = 1;
    HWND window_ = nullptr;
    Uint32 windowId_ = 0;
    SDL_GLContext context_ = nullptr;
    Pipeline pipeline_;
    GLint maxTextureSize_ = 0;

    // Colour targets are textures, which Present samples.
    GLuint backFramebuffer_ = 0, backColor_ = 0, backDepth_ = 0;
    int backWidth_ = 0, backHeight_ = 0;
    GLint backFilter_ = GL_NEAREST;  // the back buffer's filter for its stretch onto the window
    GLuint presentFramebuffer_ = 0, presentColor_ = 0;
    int presentWidth_ = 0, presentHeight_ = 0;
    bool framePresented_ = false;
    GLuint textTexture_ = 0;
    int textTextureWidth_ = 0, textTextureHeight_ = 0;

    DWORD renderStates_[kRenderStateCount] = {};
    D3DMATRIX world_{}, view_{}, projection_{};
    D3DLIGHT9 lights_[kMaxLights] = {};
    bool lightEnabled_[kMaxLights] = {};
    D3DMATERIAL9 material_{};
    Texture* texture0_ = nullptr;
    bool inScene_ = false;

    // Stream 0, the indices and the vertex format, and what the device's vertex array was last
    // laid out for (a draw lays it out again only when one of them changed).
    VertexBuffer* stream_ = nullptr;
    UINT streamOffset_ = 0, streamStride_ = 0;
    IndexBuffer* indices_ = nullptr;
    DWORD fvf_ = 0;
    GLuint streamVertexArray_ = 0;
    struct Layout {
        const VertexBuffer* vertices;
        const IndexBuffer* indices;
        UINT offset, stride;
        DWORD fvf;
        INT baseVertex;
        bool operator==(const Layout& o) const
        {
            return vertices == o.vertices && indices == o.indices && offset == o.offset &&
                   stride == o.stride && fvf == o.fvf && baseVertex == o.baseVertex;
        }
    } laidOut_{};

    // Generations of the uniforms' groups, each counted up by a change to what it holds; a
    // program that last received an older one gets the group again at its next draw. The subsets
    // of a mesh, which differ in material and texture alone, so pass nothing else again.
    unsigned transformsGeneration_ = 1;  // world, view, projection, back buffer size
    unsigned lightingGeneration_ = 1;    // lights, their enables, the render states, view
    unsigned materialGeneration_ = 1;
    // The program state that the lights and render states give, as of lightingStateOf_.
    unsigned lightingState_ = 0, lightingStateOf_ = 0;
};


// An A8R8G8B8 texture: its levels in memory, as a managed texture's are, and level 0 on the GPU,
// sent there when it is unlocked. A texture holds a reference on its device.
class Texture final : public IDirect3DTexture9 {
public:
    // Null when the GL context is gone.
    static Texture* Create(Device* device, UINT width, UINT height, UINT levels);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    DWORD GetLevelCount() override;
    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                     DWORD Flags) override;
    HRESULT UnlockRect(UINT Level) override;

    GLuint Name() const { return texture_; }

private:
    Texture() = default;
    ~Texture();
    UINT Width(UINT level) const { return width_ >> level ? width_ >> level : 1; }
    UINT Height(UINT level) const { return height_ >> level ? height_ >> level : 1; }

    ULONG references_ = 1;
    Device* device_ = nullptr;
    GLuint texture_ = 0;
    UINT width_ = 0, height_ = 0;
    std::vector<std::vector<std::uint8_t>> levels_;  // B, G, R, A bytes, rows top first
    std::vector<bool> locked_;                       // per level
};

// Vertex and index buffers: their bytes in memory, where the face runs of a draw are bounded and
// a lock writes, and on the GPU, where each unlock after writing sends the locked range.
class Buffer {
public:
    const std::uint8_t* Data() const { return data_.data(); }
    std::size_t Size() const { return data_.size(); }
    GLuint Name() const { return buffer_; }
    // Changes with each write, so that what was derived from the bytes can tell it is stale.
    unsigned Generation() const { return generation_; }
    // A buffer drawn before any unlock reads as the zeros it was made with.
    bool EnsureUploaded() { return uploaded_ || Upload(0, 0); }

protected:
    Buffer(Device* device, GLenum target, UINT length);
    ~Buffer();
    HRESULT LockBytes(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT UnlockBytes();
    bool Upload(UINT offset, UINT size);

    Device* device_;
    GLenum target_;
    std::vector<std::uint8_t> data_;
    GLuint buffer_ = 0;
    bool uploaded_ = false;
    unsigned generation_;
    bool locked_ = false;
    DWORD lockFlags_ = 0;
    UINT lockOffset_ = 0, lockSize_ = 0;
};

class VertexBuffer final : public IDirect3DVertexBuffer9, public Buffer {
public:
    VertexBuffer(Device* device, UINT length) : Buffer(device, GL_ARRAY_BUFFER, length) {}
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;

private:
    ~VertexBuffer();
    ULONG references_ = 1;
};

class IndexBuffer final : public IDirect3DIndexBuffer9, public Buffer {
public:
    IndexBuffer(Device* device, UINT length, bool sixteenBits)
        : Buffer(device, GL_ELEMENT_ARRAY_BUFFER, length), indexSize_(sixteenBits ? 2 : 4) {}
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;

    UINT IndexSize() const { return indexSize_; }
    // The face runs of a draw from this buffer, built on its first use.
    CulledDraw& DrawOf(const VertexBuffer& vertices, UINT offset, UINT stride, DWORD fvf,
                       UINT vertexSize, INT baseVertex, UINT startIndex, UINT primCount);

private:
    ~IndexBuffer();
    ULONG references_ = 1;
    UINT indexSize_;
    std::vector<CulledDraw> draws_;
};

// Makes every Present of the process compose its frame in a texture that stays readable after the
// swap, at the cost of one more copy of the window per frame. Frame capture asks for it.
void KeepPresentedFrames();

// The devices alive, so that frame capture finds the one presenting into a window.
void RegisterDevice(Device* device);
void UnregisterDevice(Device* device);
Device* DeviceOfWindow(HWND window);  // null when none

// Recorder formatting of the records the device takes ("%.9g" floats, see d3d9.h).
std::string FormatMatrix(const D3DMATRIX& matrix);
std::string FormatLight(const D3DLIGHT9& light);
std::string FormatMaterial(const D3DMATERIAL9& material);
const char* RenderStateName(D3DRENDERSTATETYPE state);
const char* TransformStateName(D3DTRANSFORMSTATETYPE state);

}  // namespace d3d9
