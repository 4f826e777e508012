// The portable device draws what Direct3D 9 draws, under the viewer's own camera, light and render
// states: the lighting facts measured on the reference, specular, point-sampled wrapped textures,
// culling, depth, clip depth, state changed between draws, Present's stretch and text layer, a
// failed GL context, and the buffers, textures and indexed draws that D3DX makes through it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "render/device.h"
#include "render/drawing.h"
#include "tests/platform/d3d_test_support.h"

namespace {

const D3DCOLOR kGrey = 0xff646464;
const int kSize = 200;
// A pixel below the centre, where the plane at y = 0 lies under the course camera.
const int kPlaneX = kSize / 2, kPlaneY = kSize * 3 / 4;

D3DXMATRIX m;
D3DXMATRIX Scaling(float s) { return *D3DXMatrixScaling(&m, s, s, s); }
D3DXMATRIX Translation(float x, float y, float z) { return *D3DXMatrixTranslation(&m, x, y, z); }

class DeviceDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = test::MakeWindow(kSize, kSize);
        made_ = test::MakeDevice(Window());
        ASSERT_NE(made_->device, nullptr);
        device_ = made_->device;
        ASSERT_EQ(D3DXLoadMeshFromXA(test::DataFile("plane.x").c_str(), D3DXMESH_SYSTEMMEM,
                                     device_, nullptr, nullptr, nullptr, nullptr, &plane_),
                  D3D_OK);
        pD3DDevice = device_;
        SetRenderStates();
        SetViewAndProjection();
        SetCourseLight();
    }

    void TearDown() override
    {
        if (texture_) texture_->Release();
        if (plane_) plane_->Release();
        pD3DDevice = nullptr;
    }

    HWND Window() { return &window_->record; }

    void DrawPlane(const D3DXMATRIX& world, const D3DMATERIAL9& material,
                   IDirect3DTexture9* texture = nullptr)
    {
        device_->SetTransform(D3DTS_WORLD, &world);
        device_->SetMaterial(&material);
        device_->SetTexture(0, texture);
        plane_->DrawSubset(0);
    }

    template <typename Draw>
    test::Frame Frame(Draw draw)
    {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kGrey, 1.0f, 0);
        EXPECT_EQ(device_->BeginScene(), D3D_OK);
        draw();
        device_->EndScene();
        device_->Present(nullptr, nullptr, nullptr, nullptr);
        return test::Capture(Window());
    }

    test::Rgb PlanePixel(const D3DXMATRIX& world, const D3DMATERIAL9& material,
                         IDirect3DTexture9* texture = nullptr)
    {
        const test::Frame frame = Frame([&] { DrawPlane(world, material, texture); });
        EXPECT_EQ(frame.width, kSize);
        if (frame.width != kSize) return {-1, -1, -1};
        return frame.At(kPlaneX, kPlaneY);
    }

    // A texture of the test data, loaded as the viewer loads textures.
    IDirect3DTexture9* Texture(const char* name)
    {
        const std::string path = test::DataFile(name);
        EXPECT_EQ(D3DXCreateTextureFromFileA(device_, path.c_str(), &texture_), D3D_OK);
        return texture_;
    }

    std::unique_ptr<test::Window> window_;
    std::unique_ptr<test::Device> made_;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXMesh* plane_ = nullptr;
    IDirect3DTexture9* texture_ = nullptr;
};

// A light of the test's own: white, its specular colour green.
void SetWhiteLight(float x, float y, DWORD index = 0)
{
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = {x, y, 0.0f};
    light.Diffuse = D3DXCOLOR(1, 1, 1, 1);
    light.Specular = D3DXCOLOR(0, 1, 0, 1);
    pD3DDevice->SetLight(index, &light);
    pD3DDevice->LightEnable(index, TRUE);
}

// The viewer's lights on planes scaled as the course (4.6) and the car (0.3), as Wine draws them:
// normals are not renormalised, but no light gives more than its colour; textures modulate the lit
// colour; specular needs the material's, the light's and the render state.
TEST_F(DeviceDrawing, LitPixelsReadAsOnTheReference)
{
    D3DXMATRIX tilted;   // turned 45 degrees about Z, its normal away from the light's lean
    D3DXMatrixRotationZ(&tilted, 0.7853982f);
    D3DMATERIAL9 shiny = test::Material(0.2f, 0, 0), dull = shiny;
    shiny.Specular = D3DXCOLOR(0, 1, 0, 1);
    shiny.Power = 2.0f;
    const auto grazing = [] { SetWhiteLight(-1.0f, -0.25f); };
    const auto overhead = [] { SetWhiteLight(-0.2f, -0.8f); };
    const auto twoLights = [] {
        SetWhiteLight(-0.2f, -0.8f);
        SetWhiteLight(-1.0f, -0.25f, 1);
    };
    const struct {
        const char* what;
        void (*light)();
        D3DXMATRIX world;
        D3DMATERIAL9 material;
        bool textured, specular;
        test::Rgb expected;
    } rows[] = {
        // 0x11/255 + 0.3 + the normalised light against a normal shortened to 1/4.6.
        {"course", SetCourseLight, Scaling(4.6f), test::Material(1, 0, 0), 0, 1, {148, 0, 0}},
        // The texel (255, 128, 64) times the lit white; the next rows draw untextured.
        {"textured", SetCourseLight, Scaling(4.6f), test::Material(1, 1, 1), 1, 1, {148, 74, 37}},
        // 0.5 * (0x11/255 + N.L), N.L = 0.707 * (0.970 - 0.243): the light's lean shows here.
        {"car tilted", SetCarLight, tilted, test::Material(0.5f, 0.5f, 0.5f), 0, 1, {74, 74, 74}},
        // N.L would be 3.23; clamped to 1, a grey car does not wash out, a red one saturates.
        {"car grey", SetCarLight, Scaling(0.3f), test::Material(.5f, .5f, .5f), 0, 1,
         {136, 136, 136}},
        {"car red", SetCarLight, Scaling(0.3f), test::Material(1, 0, 0), 0, 1, {255, 0, 0}},
        // N.L is 0.808 on the plane scaled by 0.3; renormalised normals would give 79.
        {"grazing", grazing, Scaling(0.3f), test::Material(1, 1, 1), 0, 1, {223, 223, 223}},
        // 0.2 * (0x11/255 + N.L), and the specular green where it is enabled.
        {"shiny", overhead, Scaling(1.0f), shiny, 0, 1, {53, 131, 0}},
        {"dull", overhead, Scaling(1.0f), dull, 0, 1, {53, 0, 0}},
        // 0.2 * (0x11/255 + 0.970 + 0.243): both lights add, the second at its grazing N.L.
        {"two lights", twoLights, Scaling(1.0f), dull, 0, 1, {65, 0, 0}},
        {"specular off", overhead, Scaling(1.0f), shiny, 0, 0, {53, 0, 0}},
        {"course light, no specular", SetCourseLight, Scaling(1.0f), shiny, 0, 1, {68, 0, 0}},
    };
    IDirect3DTexture9* texture = Texture("texel.png");   // one texel, (255, 128, 64)
    for (const auto& row : rows) {
        row.light();
        device_->SetRenderState(D3DRS_SPECULARENABLE, row.specular);
        const test::Rgb pixel =
            PlanePixel(row.world, row.material, row.textured ? texture : nullptr);
        device_->LightEnable(1, FALSE);
        EXPECT_NEAR(pixel.r, row.expected.r, 2) << row.what;
        EXPECT_NEAR(pixel.g, row.expected.g, 2) << row.what;
        EXPECT_NEAR(pixel.b, row.expected.b, 2) << row.what;
    }
}

// The viewer's camera and field of view put the far edge of a plane ending at z = 0 at 0.4527 of
// the half-height below the centre: (0 - 1.2) / (1 + 3 * 1.8) * cot(pi / 8).
TEST_F(DeviceDrawing, ViewerCameraPutsTheFarEdgeOfThePlaneWhereItsFieldOfViewSays)
{
    const test::Frame frame =
        Frame([&] { DrawPlane(Translation(0, 0, -10), test::Material(1, 0, 0)); });
    ASSERT_EQ(frame.height, kSize);
    EXPECT_EQ(frame.At(kSize / 2, 144).r, 100) << "row 144 is above the edge at 145.3";
    EXPECT_GT(frame.At(kSize / 2, 146).r, 140) << "row 146 is on the plane";
}

// The device passes a program only what changed since that program's last draw; a render state
// changed between two draws of one frame must reach the second (the course's red, 148, less the
// ambient), also where a draw of another program (textured) came between and took the change
// first.
TEST_F(DeviceDrawing, StateChangedBetweenTwoDrawsReachesTheSecondDraw)
{
    IDirect3DTexture9* texture = Texture("texel.png");
    for (const bool textureBetween : {false, true}) {
        const test::Rgb pixel =
            Frame([&] {
                DrawPlane(Scaling(4.6f), test::Material(1, 0, 0));
                device_->SetRenderState(D3DRS_AMBIENT, 0);
                if (textureBetween) DrawPlane(Scaling(4.6f), test::Material(1, 1, 1), texture);
                DrawPlane(Scaling(4.6f), test::Material(1, 0, 0));
            }).At(kPlaneX, kPlaneY);
        EXPECT_NEAR(pixel.r, 148 - 0x11, 1) << (textureBetween ? "a textured draw between" : "");
        device_->SetRenderState(D3DRS_AMBIENT, 0x00111111);
    }
}

// The road's texture coordinates run to about 270 along it: the device must wrap them and sample
// the nearest texel, as the viewer never sets a filter or an address mode. A 2 by 2 checker on a
// plane whose v runs 0..270 along Z must show only its two colours, alternating down the screen.
TEST_F(DeviceDrawing, TexturesArePointSampledAndWrapped)
{
    Texture("checker.png");   // 2 by 2, white and black
    ID3DXMesh* road = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXA(test::DataFile("road.x").c_str(), D3DXMESH_SYSTEMMEM, device_,
                                 nullptr, nullptr, nullptr, nullptr, &road),
              D3D_OK);
    const test::Frame frame = Frame([&] {
        DrawPlane(Scaling(1.0f), test::Material(1, 1, 1), texture_);
        road->DrawSubset(0);
    });
    road->Release();
    ASSERT_EQ(frame.height, kSize);
    int changes = 0;
    for (int y = 50; y < kSize; ++y) {
        const int value = frame.At(kSize / 4, y).g;
        EXPECT_TRUE(value == 0 || value == 255) << "a blended texel at row " << y << ": " << value;
        changes += y > 50 && value != frame.At(kSize / 4, y - 1).g;
    }
    EXPECT_GE(changes, 10) << "the checker does not repeat down the road";
}

// Culling of counter-clockwise faces, less-or-equal depth and clip depth from the near plane: each
// row draws a red plane, then a green one, and reads which shows over the grey.
TEST_F(DeviceDrawing, CullingDepthAndTheNearPlaneDecideWhatShows)
{
    D3DXMATRIX flipped, wall, world;
    D3DXMatrixRotationX(&flipped, 3.1415927f);  // turned over, the plane shows its back
    D3DXMatrixRotationX(&wall, -1.57079637f);   // facing a camera at the origin looking along +Z
    const auto wallAt = [&](float z) {
        const D3DXMATRIX move = Translation(0, 0, z);
        return *D3DXMatrixMultiply(&world, &wall, &move);
    };
    const struct {
        const char* what;
        D3DXMATRIX red, green;
        D3DCULL cull;
        bool headOn;   // the camera at the origin, whose near plane is at 1
        char shows;
    } rows[] = {
        {"back faces", flipped, flipped, D3DCULL_CCW, false, ' '},
        {"back faces, culling off", flipped, flipped, D3DCULL_NONE, false, 'g'},
        {"green lower", Scaling(1), Translation(0, -0.5f, 0), D3DCULL_CCW, false, 'r'},
        {"green higher", Scaling(1), Translation(0, 0.2f, 0), D3DCULL_CCW, false, 'g'},
        {"green at equal depth", Scaling(1), Scaling(1), D3DCULL_CCW, false, 'g'},
        {"green behind the near plane", wallAt(1.1f), wallAt(0.9f), D3DCULL_NONE, true, 'r'},
    };
    for (const auto& row : rows) {
        D3DXMATRIX view;
        if (row.headOn) device_->SetTransform(D3DTS_VIEW, D3DXMatrixIdentity(&view));
        device_->SetRenderState(D3DRS_CULLMODE, row.cull);
        const test::Rgb pixel = Frame([&] {
                                    DrawPlane(row.red, test::Material(1, 0, 0));
                                    DrawPlane(row.green, test::Material(0, 1, 0));
                                }).At(kPlaneX, row.headOn ? kSize / 2 : kPlaneY);
        EXPECT_EQ(pixel.r == 100 && pixel.g == 100 ? ' ' : pixel.g > pixel.r ? 'g' : 'r', row.shows)
            << row.what;
    }
}

// The back buffer keeps its size and is stretched over the client area as it is now.
TEST_F(DeviceDrawing, PresentStretchesTheBackBufferOverTheCurrentClientArea)
{
    SDL_SetWindowSize(window_->record.sdl, 400, 100);
    const D3DRECT left = {0, 0, 100, 200}, right = {100, 0, 200, 200};
    device_->Clear(1, &left, D3DCLEAR_TARGET, 0xffff0000, 1.0f, 0);
    device_->Clear(1, &right, D3DCLEAR_TARGET, 0xff0000ff, 1.0f, 0);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const test::Frame frame = test::Capture(Window());
    ASSERT_EQ(frame.width * 1000 + frame.height, 400100);
    EXPECT_EQ(frame.At(190, 90).r, 255);
    EXPECT_EQ(frame.At(210, 10).b, 255);
}

// Where the text layer's alpha is 0 the frame shows; the layer is composited once, then cleared.
TEST_F(DeviceDrawing, PresentCompositesTheTextLayerOnceThenClearsIt)
{
    HWND__& record = window_->record;
    record.textWidth = record.textHeight = kSize;
    record.textPixels.assign(kSize * kSize * 4, 0);
    for (int y = 2; y < 6; ++y)   // one opaque white cell at (8..15, 2..5)
        std::fill_n(&record.textPixels[(y * kSize + 8) * 4], 8 * 4, 255);
    record.textDrawn = {0, 0, kSize, kSize};
    for (int present = 0; present < 2; ++present) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, kGrey, 1.0f, 0);
        device_->Present(nullptr, nullptr, nullptr, nullptr);
        const test::Frame frame = test::Capture(Window());
        ASSERT_EQ(frame.width, kSize);
        EXPECT_EQ(frame.At(8, 2).r, present == 0 ? 255 : 100) << present;
        EXPECT_EQ(frame.At(15, 5).g, present == 0 ? 255 : 100) << present;
        EXPECT_EQ(frame.At(16, 5).g, 100);
        EXPECT_EQ(frame.At(8, 6).g, 100);
    }
}

// A vertex of the tests' own buffers: unlit, in clip space (every transform the identity).
struct ClipVertex {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
const DWORD kClipFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A quad over the whole view, wound clockwise, at x shifted by `dx`, in one colour.
void WriteQuad(ClipVertex* out, float dx, D3DCOLOR colour)
{
    const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    for (int i = 0; i < 4; ++i)
        out[i] = {corners[i][0] + dx, corners[i][1], 0.5f, colour, (corners[i][0] + 1) / 2, 0};
}

class ClientDraws : public DeviceDrawing {
protected:
    void SetUp() override
    {
        DeviceDrawing::SetUp();
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        for (D3DTRANSFORMSTATETYPE state : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION})
            device_->SetTransform(state, &identity);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        // Eight vertices: a red quad, then a green one; six 16-bit indices of one quad.
        ASSERT_EQ(device_->CreateVertexBuffer(8 * sizeof(ClipVertex), 0, kClipFvf,
                                              D3DPOOL_MANAGED, &vertices_, nullptr),
                  D3D_OK);
        ASSERT_EQ(device_->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                             &indices_, nullptr),
                  D3D_OK);
        WriteVertices(0, 0xffff0000);
        WriteVertices(4, 0xff00ff00);
        const WORD quad[6] = {0, 1, 2, 0, 2, 3};
        WriteIndices(quad);
        SetBuffers();
    }
    void TearDown() override
    {
        if (vertices_) vertices_->Release();
        if (indices_) indices_->Release();
        DeviceDrawing::TearDown();
    }
    void WriteVertices(UINT first, D3DCOLOR colour, float dx = 0)
    {
        void* data = nullptr;
        ASSERT_EQ(vertices_->Lock(first * sizeof(ClipVertex), 4 * sizeof(ClipVertex), &data, 0),
                  D3D_OK);
        WriteQuad(static_cast<ClipVertex*>(data), dx, colour);
        ASSERT_EQ(vertices_->Unlock(), D3D_OK);
    }
    void WriteIndices(const WORD (&quad)[6])
    {
        void* data = nullptr;
        ASSERT_EQ(indices_->Lock(0, 0, &data, 0), D3D_OK);
        std::copy_n(quad, 6, static_cast<WORD*>(data));
        ASSERT_EQ(indices_->Unlock(), D3D_OK);
    }
    void SetBuffers()
    {
        device_->SetFVF(kClipFvf);
        device_->SetStreamSource(0, vertices_, 0, sizeof(ClipVertex));
        device_->SetIndices(indices_);
    }
    // The pixel at (x, centre) of a frame that draws the quad from the base vertex given.
    test::Rgb QuadPixel(INT baseVertex, int x = kSize / 2)
    {
        const test::Frame frame = Frame([&] {
            EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, baseVertex, 0, 4, 0, 2),
                      D3D_OK);
        });
        if (frame.width != kSize) return {-1, -1, -1};
        return frame.At(x, kSize / 2);
    }

    IDirect3DVertexBuffer9* vertices_ = nullptr;
    IDirect3DIndexBuffer9* indices_ = nullptr;
};

bool operator==(const test::Rgb& a, const test::Rgb& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// The base vertex picks the quad; a D3DCOLOR's bytes read as its colour; a buffer written after a
// draw that the view left out is drawn anew: its bounds do not outlive the write.
TEST_F(ClientDraws, IndexedDrawsShowWhatTheBuffersHoldNow)
{
    EXPECT_TRUE(QuadPixel(4) == (test::Rgb{0, 255, 0}));
    WriteVertices(0, 0xff0000ff, 5.0f);   // wholly to the right of the view
    EXPECT_TRUE(QuadPixel(0) == (test::Rgb{100, 100, 100}));
    WriteVertices(0, 0xff0000ff);
    EXPECT_TRUE(QuadPixel(0) == (test::Rgb{0, 0, 255}));
}

// A texture made and filled through its lock, A8R8G8B8: a red texel, then a blue one, across.
TEST_F(ClientDraws, TexturesShowTheTexelsWrittenThroughTheirLock)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(2, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                     nullptr),
              D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 2u);
    D3DLOCKED_RECT rect{};
    ASSERT_EQ(texture->LockRect(0, &rect, nullptr, 0), D3D_OK);
    const BYTE texels[8] = {0, 0, 255, 255, 255, 0, 0, 255};
    std::copy_n(texels, 8, static_cast<BYTE*>(rect.pBits));
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    WriteVertices(0, 0xffffffff);
    device_->SetTexture(0, texture);
    EXPECT_TRUE(QuadPixel(0, kSize / 4) == (test::Rgb{255, 0, 0}));
    EXPECT_TRUE(QuadPixel(0, kSize * 3 / 4) == (test::Rgb{0, 0, 255}));
    device_->SetTexture(0, nullptr);
    texture->Release();
}

// What the device refuses, each after the buffers of the fixture were set: out-of-range locks
// and draws fail rather than read or write past a buffer, and draw nothing.
TEST_F(ClientDraws, LocksAndDrawsOutsideTheirBuffersFail)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                     nullptr),
              D3D_OK);
    void* data = nullptr;
    D3DLOCKED_RECT rect{};
    const auto draw = [&](UINT start, UINT faces) {
        return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, start, faces);
    };
    const struct {
        const char* what;
        std::function<HRESULT()> call;
    } rows[] = {
        {"lock past the end", [&] { return vertices_->Lock(190, 8, &data, 0); }},
        {"lock while locked",
         [&] {
             indices_->Lock(0, 0, &data, D3DLOCK_READONLY);
             const HRESULT second = indices_->Lock(0, 0, &data, 0);
             indices_->Unlock();
             return second;
         }},
        {"unlock when not locked", [&] { return vertices_->Unlock(); }},
        {"texture level past the chain", [&] { return texture->LockRect(1, &rect, nullptr, 0); }},
        {"texture unlock when not locked", [&] { return texture->UnlockRect(0); }},
        {"faces past the indices", [&] { return draw(3, 2); }},
        {"an index past the vertices",
         [&] {
             WriteIndices({0, 1, 2, 0, 2, 8});
             const HRESULT result = draw(0, 2);
             WriteIndices({0, 1, 2, 0, 2, 3});
             return result;
         }},
        {"a base past the vertices",
         [&] { return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 5, 0, 4, 0, 2); }},
        {"a stride shorter than the format",
         [&] {
             device_->SetStreamSource(0, vertices_, 0, 12);
             return draw(0, 2);
         }},
        {"no indices",
         [&] {
             device_->SetIndices(nullptr);
             return draw(0, 2);
         }},
        {"a format without positions", [&] { return device_->SetFVF(D3DFVF_NORMAL); }},
        {"no faces", [&] { return draw(0, 0); }},
    };
    for (const auto& row : rows) {
        SetBuffers();
        const test::Frame frame =
            Frame([&] { EXPECT_EQ(row.call(), D3DERR_INVALIDCALL) << row.what; });
        EXPECT_TRUE(frame.At(kSize / 2, kSize / 2) == (test::Rgb{100, 100, 100})) << row.what;
    }
    SetBuffers();
    EXPECT_TRUE(QuadPixel(0) == (test::Rgb{255, 0, 0})) << "the buffers are whole";
    texture->Release();
}

TEST(DeviceCreation, WindowWithoutGLFailsWithANullDeviceForBothTypes)
{
    auto window = test::MakeWindow(32, 32, /*opengl=*/false);
    auto made = test::MakeDevice(&window->record);
    ASSERT_NE(made->d3d, nullptr);
    D3DPRESENT_PARAMETERS d3dpp{};
    d3dpp.Windowed = TRUE;
    for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
        auto* device = reinterpret_cast<IDirect3DDevice9*>(0x1);
        EXPECT_LT(made->d3d->CreateDevice(D3DADAPTER_DEFAULT, type, &window->record,
                                          D3DCREATE_MIXED_VERTEXPROCESSING, &d3dpp, &device),
                  0);
        EXPECT_EQ(device, nullptr);
    }
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
}

}  // namespace
