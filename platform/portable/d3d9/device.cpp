// The Direct3D 9 device on OpenGL: creation on the window's SDL GL context, the state that the
// fixed-function pipeline reads (render states, transforms, lights, material, texture), its caps,
// textures made, Clear and the scene brackets. Draws live in draw.cpp, Present in present.cpp.
#include <cmath>
#include <cstdio>
#include <iterator>

#include "platform/portable/call_recorder.h"
#include "platform/portable/frame_rate.h"
#include "platform/portable/d3d9/internal.h"
#include "platform/portable/win32/window.h"

namespace d3d9 {
namespace {

const D3DMATRIX kIdentity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX out;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                          a.m[i][3] * b.m[3][j];
    return out;
}

// The inverse transpose of the upper 3x3 of m, row-major, for Direct3D's n' = n * M^-T. A
// singular matrix (a mesh scaled to nothing) gives zero normals, which light nothing.
void InverseTranspose3(const D3DMATRIX& m, float out[9])
{
    const double a = m._11, b = m._12, c = m._13;
    const double d = m._21, e = m._22, f = m._23;
    const double g = m._31, h = m._32, i = m._33;
    const double c11 = e * i - f * h, c12 = f * g - d * i, c13 = d * h - e * g;
    const double det = a * c11 + b * c12 + c * c13;
    if (det == 0.0) {
        for (int k = 0; k < 9; ++k) out[k] = 0.0f;
        return;
    }
    // The inverse's transpose is the cofactor matrix divided by the determinant.
    const double cof[9] = {c11, c12, c13, c * h - b * i, a * i - c * g, b * g - a * h,
                           b * f - c * e, c * d - a * f, a * e - b * d};
    for (int k = 0; k < 9; ++k) out[k] = static_cast<float>(cof[k] / det);
}

void SetDefaultRenderStates(DWORD* states, bool depthBuffer)
{
    states[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
    states[D3DRS_FILLMODE] = 3;   // D3DFILL_SOLID
    states[D3DRS_SHADEMODE] = 2;  // D3DSHADE_GOURAUD
    states[D3DRS_ZWRITEENABLE] = TRUE;
    states[D3DRS_SRCBLEND] = 2;   // D3DBLEND_ONE
    states[D3DRS_DESTBLEND] = 1;  // D3DBLEND_ZERO
    states[D3DRS_CULLMODE] = D3DCULL_CCW;
    states[D3DRS_ZFUNC] = 4;  // D3DCMP_LESSEQUAL
    states[D3DRS_LIGHTING] = TRUE;
    states[D3DRS_COLORVERTEX] = TRUE;
    states[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    states[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    states[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    states[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    states[D3DRS_LOCALVIEWER] = TRUE;
}

// The lights that light: enabled and directional.
bool Lights(const D3DLIGHT9& light, bool enabled)
{
    return enabled && light.Type == D3DLIGHT_DIRECTIONAL;
}

// The states whose programs are made with the device, so that their first draws wait for no
// compiler: one directional light without a specular colour on meshes without vertex colours,
// textured or not, as the viewer draws its course and car.
constexpr unsigned kEarlyStates[] = {
    kStateLighting | 1u << kStateLightCountShift,
    kStateLighting | kStateTextured | 1u << kStateLightCountShift,
};

}  // namespace

GLuint CreateColorTexture(GLenum format, int width, int height, GLint filter)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    // The (empty) image's byte order is the window's, which the driver then stores as such:
    // Present's blit of the back buffer to the window is a plain copy.
    if (width > 0 && height > 0)
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0,
                     kWindowPixelOrder, GL_UNSIGNED_BYTE, nullptr);
    return texture;
}

Device* Device::Create(HWND window, const D3DPRESENT_PARAMETERS& parameters)
{
    if (!window || !window->sdl) return nullptr;
    RequestGlContext();
    const SDL_GLContext context = SDL_GL_CreateContext(window->sdl);
    if (!context) return nullptr;

    Device* device = new Device;
    device->window_ = window;
    device->windowId_ = SDL_GetWindowID(window->sdl);
    device->context_ = context;
    RegisterDevice(device);

    int width = static_cast<int>(parameters.BackBufferWidth);
    int height = static_cast<int>(parameters.BackBufferHeight);
    if (width == 0 || height == 0) SDL_GL_GetDrawableSize(window->sdl, &width, &height);
    const bool depthBuffer = parameters.EnableAutoDepthStencil != FALSE;
    if (!device->MakeCurrent() || !GlContextSufficient()) {
        device->DropReference();
        return nullptr;
    }
    MarkStartupStep("GL context");
    if (!CreatePipeline(device->pipeline_, kEarlyStates, std::size(kEarlyStates)) ||
        !device->CreateTargets(width, height, depthBuffer)) {
        device->DropReference();
        return nullptr;
    }
    MarkStartupStep("programs");
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &device->maxTextureSize_);
    // Direct3D's default interval waits for the vertical retrace; some displays refuse it.
    SDL_GL_SetSwapInterval(parameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);

    SetDefaultRenderStates(device->renderStates_, depthBuffer);
    device->world_ = device->view_ = device->projection_ = kIdentity;
    return device;
}

Device::~Device()
{
    UnregisterDevice(this);
    if (!context_) return;
    if (MakeCurrent()) {
        DestroyPipeline(pipeline_);
        glDeleteFramebuffers(1, &backFramebuffer_);
        glDeleteFramebuffers(1, &presentFramebuffer_);
        glDeleteTextures(1, &backColor_);
        glDeleteRenderbuffers(1, &backDepth_);
        glDeleteTextures(1, &presentColor_);
        glDeleteTextures(1, &textTexture_);
        glDeleteVertexArrays(1, &streamVertexArray_);
    }
    SDL_GL_DeleteContext(context_);
}

// The back buffer: colour as the display's X8R8G8B8 format (stored with four channels, which the
// software rasteriser writes faster than three; Present ignores the fourth), and the automatic
// depth buffer when asked for, always 16 bits.
bool Device::CreateTargets(int width, int height, bool depthBuffer)
{
    if (width <= 0 || height <= 0) return false;
    backWidth_ = width;
    backHeight_ = height;
    backColor_ = CreateColorTexture(GL_RGBA8, width, height, backFilter_);
    glGenFramebuffers(1, &backFramebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backColor_, 0);
    if (depthBuffer) {
        glGenRenderbuffers(1, &backDepth_);
        glBindRenderbuffer(GL_RENDERBUFFER, backDepth_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, backDepth_);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    textTexture_ = CreateColorTexture(GL_RGBA8, 0, 0, GL_NEAREST);
    return true;
}

bool Device::MakeCurrent()
{
    SDL_Window* window = SDL_GetWindowFromID(windowId_);
    if (!window) return false;
    if (SDL_GL_GetCurrentContext() != context_ || SDL_GL_GetCurrentWindow() != window)
        return SDL_GL_MakeCurrent(window, context_) == 0;
    return true;
}

ULONG Device::AddRef() { return ++references_; }

ULONG Device::Release()
{
    RecordCall("Release(IDirect3DDevice9)");
    return DropReference();
}

ULONG Device::DropReference()
{
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value)
{
    if (RecorderActive()) {
        const char* name = RenderStateName(State);
        const bool colour = State == D3DRS_AMBIENT;
        char number[16];
        std::snprintf(number, sizeof number, "%d", static_cast<int>(State));
        RecordCall(colour ? "SetRenderState(%s, 0x%08x)" : "SetRenderState(%s, %u)",
                   name ? name : number, Value);
    }
    if (static_cast<DWORD>(State) >= kRenderStateCount) return D3DERR_INVALIDCALL;
    if (renderStates_[State] != Value) ++lightingGeneration_;
    renderStates_[State] = Value;
    return D3D_OK;
}

HRESULT Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                      DWORD Stencil)
{
    RecordCall("Clear(%u, %s, %u, 0x%08x, %.9g, %u)", Count, pRects ? "rects" : "NULL", Flags,
               Color, static_cast<double>(Z), Stencil);
    if ((Count > 0 && !pRects) || (Flags & D3DCLEAR_STENCIL) ||
        ((Flags & D3DCLEAR_ZBUFFER) && !backDepth_))
        return D3DERR_INVALIDCALL;
    if (!MakeCurrent()) return D3DERR_DEVICELOST;

    GLbitfield mask = 0;
    if (Flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        glClearColor(static_cast<float>((Color >> 16) & 0xff) / 255.0f,
                     static_cast<float>((Color >> 8) & 0xff) / 255.0f,
                     static_cast<float>(Color & 0xff) / 255.0f,
                     static_cast<float>(Color >> 24) / 255.0f);
    }
    if (Flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        glDepthMask(GL_TRUE);
        glClearDepth(static_cast<double>(Z < 0.0f ? 0.0f : Z > 1.0f ? 1.0f : Z));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    if (!pRects || Count == 0) {
        glDisable(GL_SCISSOR_TEST);
        glClear(mask);
        return D3D_OK;
    }
    // Rectangles are top-down in Direct3D and bottom-up in the framebuffer.
    glEnable(GL_SCISSOR_TEST);
    for (DWORD i = 0; i < Count; ++i) {
        const D3DRECT& r = pRects[i];
        const LONG x1 = r.x1 < 0 ? 0 : r.x1, y1 = r.y1 < 0 ? 0 : r.y1;
        const LONG x2 = r.x2 > backWidth_ ? backWidth_ : r.x2;
        const LONG y2 = r.y2 > backHeight_ ? backHeight_ : r.y2;
        if (x2 <= x1 || y2 <= y1) continue;
        glScissor(x1, backHeight_ - y2, x2 - x1, y2 - y1);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
    return D3D_OK;
}

HRESULT Device::BeginScene()
{
    RecordCall("BeginScene()");
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    RecordCall("EndScene()");
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix)
{
    if (RecorderActive()) {
        const char* name = TransformStateName(State);
        RecordCall("SetTransform(%s, %s)", name ? name : "?",
                   pMatrix ? FormatMatrix(*pMatrix).c_str() : "NULL");
    }
    if (!pMatrix) return D3DERR_INVALIDCALL;
    // The view also turns the lights' directions into camera space.
    switch (static_cast<int>(State)) {
    case D3DTS_WORLD: ++transformsGeneration_; world_ = *pMatrix; return D3D_OK;
    case D3DTS_VIEW:
        ++transformsGeneration_;
        ++lightingGeneration_;
        view_ = *pMatrix;
        return D3D_OK;
    case D3DTS_PROJECTION: ++transformsGeneration_; projection_ = *pMatrix; return D3D_OK;
    default: return D3DERR_INVALIDCALL;
    }
}

HRESULT Device::SetLight(DWORD Index, const D3DLIGHT9* pLight)
{
    if (RecorderActive())
        RecordCall("SetLight(%u, %s)", Index, pLight ? FormatLight(*pLight).c_str() : "NULL");
    if (!pLight || Index >= kMaxLights) return D3DERR_INVALIDCALL;
    lights_[Index] = *pLight;
    ++lightingGeneration_;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD Index, BOOL Enable)
{
    RecordCall("LightEnable(%u, %d)", Index, Enable);
    if (Index >= kMaxLights) return D3DERR_INVALIDCALL;
    // Enabling a light never set gives Direct3D's default light: white, shining along +Z.
    if (Enable && lights_[Index].Type == 0) {
        lights_[Index] = D3DLIGHT9{};
        lights_[Index].Type = D3DLIGHT_DIRECTIONAL;
        lights_[Index].Diffuse = {1, 1, 1, 0};
        lights_[Index].Direction = {0, 0, 1};
    }
    lightEnabled_[Index] = Enable != FALSE;
    ++lightingGeneration_;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* pMaterial)
{
    if (RecorderActive())
        RecordCall("SetMaterial(%s)", pMaterial ? FormatMaterial(*pMaterial).c_str() : "NULL");
    if (!pMaterial) return D3DERR_INVALIDCALL;
    material_ = *pMaterial;
    ++materialGeneration_;
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture)
{
    // Only this backend creates textures, so every one is a d3d9::Texture. D3DX names the ones
    // it loads after their files.
    Texture* texture = static_cast<Texture*>(pTexture);
    if (RecorderActive()) {
        const char* name = texture ? RecordedObjectName(texture) : nullptr;
        if (name)
            RecordCall("SetTexture(%u, \"%s\")", Stage, name);
        else
            RecordCall("SetTexture(%u, %s)", Stage, texture ? "texture" : "NULL");
    }
    if (Stage != 0) return D3DERR_INVALIDCALL;
    texture0_ = texture;
    return D3D_OK;
}

void Device::ForgetTexture(const Texture* texture)
{
    if (texture0_ == texture) texture0_ = nullptr;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* pCaps)
{
    RecordCall("GetDeviceCaps()");
    if (!pCaps) return D3DERR_INVALIDCALL;
    *pCaps = D3DCAPS9{};
    pCaps->DeviceType = D3DDEVTYPE_HAL;
    pCaps->MaxTextureWidth = pCaps->MaxTextureHeight = static_cast<DWORD>(maxTextureSize_);
    // 32-bit indices and draws that GL counts in a GLsizei.
    pCaps->MaxPrimitiveCount = 0x7fffffff / 3;
    pCaps->MaxVertexIndex = 0xffffffff;
    pCaps->MaxStreams = 1;
    return D3D_OK;
}

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                              D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                              HANDLE* pSharedHandle)
{
    RecordCall("CreateTexture(%u, %u, %u, 0x%x, %d, %d)", Width, Height, Levels, Usage,
               static_cast<int>(Format), static_cast<int>(Pool));
    if (!ppTexture || pSharedHandle || Width == 0 || Height == 0 ||
        Width > static_cast<UINT>(maxTextureSize_) || Height > static_cast<UINT>(maxTextureSize_) ||
        Format != D3DFMT_A8R8G8B8)
        return D3DERR_INVALIDCALL;
    Texture* texture = Texture::Create(this, Width, Height, Levels);
    if (!texture) return D3DERR_DEVICELOST;
    *ppTexture = texture;
    return D3D_OK;
}

void Device::UploadTransforms(const PipelineUniforms& u) const
{
    const D3DMATRIX worldView = Multiply(world_, view_);
    glUniformMatrix4fv(u.worldView, 1, GL_FALSE, &worldView._11);
    glUniformMatrix4fv(u.projection, 1, GL_FALSE, &projection_._11);
    if (u.normalMatrix >= 0) {
        float normalMatrix[9];
        InverseTranspose3(worldView, normalMatrix);
        glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, normalMatrix);
    }
    glUniform2f(u.pixelOffset, 1.0f / static_cast<float>(backWidth_),
                -1.0f / static_cast<float>(backHeight_));
}

unsigned Device::LightingState() const
{
    if (!renderStates_[D3DRS_LIGHTING]) return kStateVertexColor;
    unsigned state = kStateLighting;
    // A term takes the vertex's colour only from D3DMCS_COLOR1 (vertices carry no specular
    // colour), and with D3DRS_COLORVERTEX off none does.
    if (renderStates_[D3DRS_COLORVERTEX]) {
        const D3DRENDERSTATETYPE sources[4] = {
            D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_AMBIENTMATERIALSOURCE,
            D3DRS_SPECULARMATERIALSOURCE, D3DRS_EMISSIVEMATERIALSOURCE};
        for (unsigned k = 0; k < 4; ++k)
            if (renderStates_[sources[k]] == D3DMCS_COLOR1) state |= kStateDiffuseFromVertex << k;
    }
    unsigned count = 0;
    bool specularLight = false;
    for (DWORD i = 0; i < kMaxLights; ++i) {
        const D3DLIGHT9& light = lights_[i];
        if (!Lights(light, lightEnabled_[i])) continue;
        ++count;
        specularLight = specularLight || light.Specular.r != 0.0f || light.Specular.g != 0.0f ||
                        light.Specular.b != 0.0f;
    }
    // Lights without a specular colour add no specular term, so the program leaves it out: the
    // viewer's light has none, and the term's normalize and pow per vertex are its dearest part.
    if (renderStates_[D3DRS_SPECULARENABLE] && specularLight) state |= kStateSpecular;
    return state | count << kStateLightCountShift;
}

unsigned Device::ProgramStateOfDraw()
{
    if (lightingStateOf_ != lightingGeneration_) {
        lightingState_ = LightingState();
        lightingStateOf_ = lightingGeneration_;
    }
    unsigned state = lightingState_;
    if (!(fvf_ & D3DFVF_DIFFUSE)) state &= ~kStateVertexColors;
    if (texture0_) state |= kStateTextured;
    return state;
}

void Device::UploadLighting(const PipelineUniforms& u) const
{
    const DWORD ambient = renderStates_[D3DRS_AMBIENT];
    float ambientSum[3] = {static_cast<float>((ambient >> 16) & 0xff) / 255.0f,
                           static_cast<float>((ambient >> 8) & 0xff) / 255.0f,
                           static_cast<float>(ambient & 0xff) / 255.0f};
    float directions[kMaxLights * 3];
    float diffuse[kMaxLights * 4];
    float specular[kMaxLights * 4];
    GLsizei count = 0;
    for (DWORD i = 0; i < kMaxLights; ++i) {
        const D3DLIGHT9& light = lights_[i];
        if (!Lights(light, lightEnabled_[i])) continue;
        ambientSum[0] += light.Ambient.r;
        ambientSum[1] += light.Ambient.g;
        ambientSum[2] += light.Ambient.b;
        // The direction goes into camera space by the view's rotation, is normalised, and is
        // turned around to point toward the light.
        const D3DVECTOR& d = light.Direction;
        float x = d.x * view_._11 + d.y * view_._21 + d.z * view_._31;
        float y = d.x * view_._12 + d.y * view_._22 + d.z * view_._32;
        float z = d.x * view_._13 + d.y * view_._23 + d.z * view_._33;
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length > 0.0f) x /= length, y /= length, z /= length;
        directions[count * 3 + 0] = -x;
        directions[count * 3 + 1] = -y;
        directions[count * 3 + 2] = -z;
        const float* lightDiffuse = &light.Diffuse.r;
        const float* lightSpecular = &light.Specular.r;
        for (int k = 0; k < 4; ++k) {
            diffuse[count * 4 + k] = lightDiffuse[k];
            specular[count * 4 + k] = lightSpecular[k];
        }
        ++count;
    }
    glUniform3fv(u.ambient, 1, ambientSum);
    if (count > 0) {
        glUniform3fv(u.lightDirection, count, directions);
        glUniform4fv(u.lightDiffuse, count, diffuse);
        glUniform4fv(u.lightSpecular, count, specular);
    }
}

void Device::UploadFixedFunctionState(FixedFunctionProgram& program)
{
    const PipelineUniforms& u = program.uniforms;
    if (program.transforms != transformsGeneration_) UploadTransforms(u);
    if ((program.state & kStateLighting) && program.lighting != lightingGeneration_)
        UploadLighting(u);
    if ((program.state & kStateLighting) && program.material != materialGeneration_) {
        glUniform4fv(u.materialDiffuse, 1, &material_.Diffuse.r);
        glUniform4fv(u.materialAmbient, 1, &material_.Ambient.r);
        glUniform4fv(u.materialSpecular, 1, &material_.Specular.r);
        glUniform4fv(u.materialEmissive, 1, &material_.Emissive.r);
        glUniform1f(u.materialPower, material_.Power);
    }
    program.transforms = transformsGeneration_;
    program.lighting = lightingGeneration_;
    program.material = materialGeneration_;
}

ViewVolume Device::CurrentViewVolume() const
{
    ViewVolume volume;
    volume.clip = Multiply(Multiply(world_, view_), projection_);
    volume.shiftX = 1.0f / static_cast<float>(backWidth_);
    volume.shiftY = -1.0f / static_cast<float>(backHeight_);
    return volume;
}

}  // namespace d3d9
