// The objects behind the portable Direct3D 9 interfaces, shared by the device, the texture and
// mesh loaders of D3DX, and frame capture. Not part of the API the viewer sees.
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

// Uniform locations of the fixed-function program (d3d9_pipeline.cpp).
struct PipelineUniforms {
    GLint worldView, projection, normalMatrix, pixelOffset;
    GLint lighting, specularEnable, ambient;
    GLint materialDiffuse, materialAmbient, materialSpecular, materialEmissive, materialPower;
    GLint colorSource;  // diffuse, ambient, specular, emissive: D3DMCS_* after D3DRS_COLORVERTEX
    GLint lightCount, lightDirection, lightDiffuse, lightSpecular;
    GLint textured, texture;
};

// The GL programs of a device: the fixed-function emulation, and Present's copies and text-layer
// compositing.
struct Pipeline {
    GLuint program = 0;
    PipelineUniforms uniforms{};
    GLuint screenProgram = 0;
    GLint screenTextLayer = -1;  // true: the text layer; false: a copy of a colour texture
    GLint screenTopRow = -1;     // the framebuffer row of the layer's top row
    GLuint emptyVertexArray = 0;  // core profile needs one bound even for attribute-less draws
};

bool CreatePipeline(Pipeline& pipeline);
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

    // Makes this device's GL context current; false when its window is gone.
    bool MakeCurrent();
    // Draws runs of indexed triangles of a vertex array (each an index count and a byte offset
    // into its index buffer) in one call, with the current fixed-function state.
    void DrawTriangleRuns(GLuint vertexArray, const GLsizei* counts, const void* const* offsets,
                          GLsizei runs);
    // What a draw now would apply to a mesh's positions.
    ViewVolume CurrentViewVolume() const;
    // A texture being destroyed leaves stage 0 empty rather than dangling.
    void ForgetTexture(const Texture* texture);
    // The frame shown by the last Present, text included: RGBA, top row first; only in a program
    // that keeps its presented frames.
    bool ReadPresentedFrame(std::vector<std::uint8_t>& rgba, int& width, int& height);
    HWND Window() const { return window_; }
    GLint MaxTextureSize() const { return maxTextureSize_; }

private:
    Device() = default;
    ~Device();
    bool CreateTargets(int width, int height, bool depthBuffer);
    bool ResizePresentTarget(int width, int height);
    HRESULT PresentToWindow();
    void CompositeTextLayer(GLuint target, int targetHeight);
    void DrawScreenQuad(GLuint source, int textTopRow);
    void UploadFixedFunctionState();
    void UploadTransforms();
    void UploadLighting();

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

    // What has changed since the program's uniforms were last set: a draw sets only those, so
    // the subsets of a mesh, which differ in material and texture alone, pass nothing else again.
    enum Dirty : unsigned {
        kTransformsDirty = 1u << 0,  // world, view, projection, back buffer size
        kLightingDirty = 1u << 1,    // lights, their enables, the ambient and lighting states, view
        kMaterialDirty = 1u << 2,
        kAllDirty = 0x7u,
    };
    unsigned dirty_ = kAllDirty;
    int uploadedTextured_ = -1;  // the uTextured value last set; -1 before any
};


class Texture final : public IDirect3DTexture9 {
public:
    // Uploads an RGBA image, top row first; the texture holds a reference on the device.
    static Texture* Create(Device* device, const std::uint8_t* rgba, int width, int height,
                           const char* name);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    DWORD GetLevelCount() override;

    GLuint Name() const { return texture_; }
    const std::string& SourceName() const { return sourceName_; }

private:
    Texture() = default;
    ~Texture();

    ULONG references_ = 1;
    Device* device_ = nullptr;
    GLuint texture_ = 0;
    int width_ = 0, height_ = 0;
    std::string sourceName_;
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
