// What this machine can do for the viewer's picture: the same course, car, textures and overlay in
// the same window and swap, drawn with plain OpenGL from triangles that the CPU has already
// transformed, lit and culled to the view (again only when Up changes the motion state), with the
// cheapest shaders that give the same pixels. With --floor it only clears the window and
// presents. Frames are counted as the viewer counts them (CRS_FPS=1), so that scripts/bench reads
// both alike. Built for the page too (crs-limit.html), on WebGL 2 through the device's GL header,
// pausing after each frame as the viewer's page does.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "motion/motion_state.h"
#include "motion/overlay_lines.h"
#include "platform/portable/child_process.h"
#include "platform/portable/d3d9/gl_api.h"
#include "platform/portable/frame_rate.h"
#include "platform/portable/d3dx9/d3dx9.h"
#include "platform/portable/d3dx9/texture_decode.h"
#include "platform/portable/d3dx9/xfile.h"
#include "platform/portable/win32/font.h"
#include "platform/portable/windows_path.h"
#include "render/drawing.h"

namespace {

// The viewer's client area: an 800 by 600 window less its frame and caption.
constexpr int kWidth = 792, kHeight = 573;
constexpr float kPi = 3.1415927f;

// What render/ does not export of the viewer's scene: the car's scale and the ambient level.
constexpr float kCarScale = 0.3f;
constexpr float kAmbientLevel = 17.0f / 255.0f;  // D3DRS_AMBIENT 0x00111111

// The largest texture side, and the decoder's deadline, as the viewer's D3DX has them.
constexpr int kMaxTextureSide = 1 << 14;
constexpr int kDecodeTimeoutMs = 60000;

// A vertex as the rasteriser takes it: clip position, lit colour, texture coordinates.
struct LitVertex {
    float clip[4];
    float colour[3];
    float texCoord[2];
};

struct Model {
    XFileMesh mesh;
    std::vector<GLuint> textures;  // per material; the white texel where it has none
    std::vector<LitVertex> lit;
    std::vector<std::uint32_t> visible;            // triangles that may show, by subset
    std::vector<GLsizei> counts;                   // per subset, into `visible`
    std::vector<const void*> offsets;
    GLuint vertexArray = 0, vertexBuffer = 0, indexBuffer = 0;
};

const char* const kSceneVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aClip;
layout(location = 1) in vec3 aColour;
layout(location = 2) in vec2 aTexCoord;
out vec3 vColour;
out vec2 vTexCoord;
void main()
{
    gl_Position = aClip;
    vColour = aColour;
    vTexCoord = aTexCoord;
}
)";

// Untextured materials sample a white texel, which leaves the colour as it is.
const char* const kSceneFragmentShader = R"(#version 330 core
in vec3 vColour;
in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 fragColor;
void main()
{
    vec4 texel = texture(uTexture, vTexCoord);
    fragColor = vec4(vColour * texel.rgb, texel.a);
}
)";

// The overlay: its texture pixel for pixel over the viewport, top row first.
const char* const kOverlayVertexShader = R"(#version 330 core
void main()
{
    vec2 corner = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const kOverlayFragmentShader = R"(#version 330 core
uniform sampler2D uOverlay;
uniform int uTopRow;
out vec4 fragColor;
void main()
{
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    fragColor = texelFetch(uOverlay, ivec2(pixel.x, uTopRow - pixel.y), 0);
}
)";

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "crs-limit: %s\n", what.c_str());
    std::exit(1);
}

// Each program's first line names its GLSL version; the GL in use gives its own in its place, as
// the device's programs do.
GLuint LinkProgram(const char* vertexSource, const char* fragmentSource)
{
    const GLuint program = glCreateProgram();
    for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, vertexSource},
                                std::pair{GL_FRAGMENT_SHADER, fragmentSource}}) {
        const GLuint shader = glCreateShader(type);
        const char* const parts[] = {d3d9::kGlslHeader, std::strchr(source, '\n') + 1};
        glShaderSource(shader, 2, parts, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) Fail("a program does not link");
    return program;
}

GLuint MakeTexture(const std::uint8_t* rgba, int width, int height)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    // The device's sampling: point filtered, wrapped, the full-size level only.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    return texture;
}

std::vector<std::uint8_t> ReadFile(const std::string& name)
{
    std::vector<std::uint8_t> data;
    const std::string path = FindFileAsWindows(name.c_str());
    if (path.empty() || !ReadWholeFile(path, std::size_t{256} << 20, data))
        Fail("cannot read " + name);
    return data;
}

Model LoadModel(const char* fileName, GLuint white)
{
    Model model;
    if (FAILED(ReadXFile(ReadFile(fileName), model.mesh)))
        Fail(std::string("cannot parse ") + fileName);
    for (const XFileMaterial& material : model.mesh.materials) {
        if (!material.hasTexture) {
            model.textures.push_back(white);
            continue;
        }
        // Decoded by the parsers' worker, as the viewer's textures are.
        std::vector<std::uint8_t> image;
        const std::size_t maxBytes = 8u + static_cast<std::size_t>(kMaxTexturePixels) * 4u;
        int width = 0, height = 0;
        if (!RunInWorker(DecodeTexture, kMaxTextureSide, ReadFile(material.textureName), image,
                         kDecodeTimeoutMs, maxBytes) ||
            !CheckTextureAnswer(image, kMaxTextureSide, width, height))
            Fail("cannot decode " + material.textureName);
        model.textures.push_back(MakeTexture(image.data() + 8, width, height));
    }
    model.lit.resize(model.mesh.vertices.size());
    model.visible.reserve(model.mesh.indices.size());
    glGenVertexArrays(1, &model.vertexArray);
    glGenBuffers(1, &model.vertexBuffer);
    glGenBuffers(1, &model.indexBuffer);
    glBindVertexArray(model.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, model.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, model.indexBuffer);
    const int sizes[3] = {4, 3, 2};
    const std::size_t offsets[3] = {offsetof(LitVertex, clip), offsetof(LitVertex, colour),
                                    offsetof(LitVertex, texCoord)};
    for (GLuint k = 0; k < 3; ++k) {
        glEnableVertexAttribArray(k);
        glVertexAttribPointer(k, sizes[k], GL_FLOAT, GL_FALSE, sizeof(LitVertex),
                              reinterpret_cast<const void*>(offsets[k]));
    }
    glBindVertexArray(0);
    return model;
}

// world = T(position) * Ry(heading) * Rx(pitch) * Rz(bank) * S(scale), in the viewer's order.
D3DXMATRIX World(float x, float y, float z, float heading, float pitch, float bank, float scale)
{
    D3DXMATRIX world, m, rotation;
    D3DXMatrixIdentity(&world);
    D3DXMatrixTranslation(&m, x, y, z);
    D3DXMatrixMultiply(&world, &world, &m);
    D3DXMatrixIdentity(&rotation);
    D3DXMatrixRotationY(&m, heading);
    D3DXMatrixMultiply(&rotation, &rotation, &m);
    D3DXMatrixRotationX(&m, pitch);
    D3DXMatrixMultiply(&rotation, &rotation, &m);
    D3DXMatrixRotationZ(&m, bank);
    D3DXMatrixMultiply(&rotation, &rotation, &m);
    D3DXMatrixMultiply(&world, &world, &rotation);
    D3DXMatrixScaling(&m, scale, scale, scale);
    D3DXMatrixMultiply(&world, &world, &m);
    return world;
}

// The camera above and behind the car, looking ahead and down.
D3DXMATRIX View()
{
    const D3DXVECTOR3 eye(camPosX, camPosY, camPosZ), at(camPosX, camPosY - 1.0f, camPosZ + 3.0f);
    const D3DXVECTOR3 up(upVecX, upVecY, upVecZ);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    return view;
}

// The normals' matrix: the inverse of the upper 3x3 (by its cofactors), for column vectors, which
// is Direct3D's inverse transpose for row vectors.
void InverseOfUpper3(const D3DXMATRIX& m, float inverse[3][3])
{
    const double a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23;
    const double g = m._31, h = m._32, i = m._33;
    const double cofactor[3][3] = {{e * i - f * h, f * g - d * i, d * h - e * g},
                                   {c * h - b * i, a * i - c * g, b * g - a * h},
                                   {b * f - c * e, c * d - a * f, a * e - b * d}};
    const double det = a * cofactor[0][0] + b * cofactor[0][1] + c * cofactor[0][2];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            inverse[row][column] = static_cast<float>(cofactor[column][row] / det);
}

// Direct3D's per-vertex lighting with one directional light and no specular colour, the clip
// position in OpenGL's conventions (depth from 0..w to -w..w, pixel centres shifted by half a
// pixel), and the triangles of each subset that lie not wholly beyond one clip plane.
void Transform(Model& model, const D3DXMATRIX& world, float lightAmbient)
{
    const D3DXMATRIX view = View();
    D3DXMATRIX projection, worldView;
    D3DXMatrixPerspectiveFovLH(&projection, kPi / fovDivisor, 1.0f, 1.0f, 100.0f);
    D3DXMatrixMultiply(&worldView, &world, &view);
    float inverse[3][3];
    InverseOfUpper3(worldView, inverse);
    const D3DXVECTOR3 d(lightDirX, lightDirY, lightDirZ);
    D3DXVECTOR3 light(d.x * view._11 + d.y * view._21 + d.z * view._31,
                      d.x * view._12 + d.y * view._22 + d.z * view._32,
                      d.x * view._13 + d.y * view._23 + d.z * view._33);
    const float length = std::sqrt(light.x * light.x + light.y * light.y + light.z * light.z);
    light = D3DXVECTOR3(-light.x / length, -light.y / length, -light.z / length);
    const float ambient = kAmbientLevel + lightAmbient;

    std::vector<std::uint8_t> outcodes(model.lit.size());
    const std::vector<XFileVertex>& vertices = model.mesh.vertices;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        const float* p = vertices[v].position;
        float eye[4], clip[4];
        for (int j = 0; j < 4; ++j)
            eye[j] = p[0] * worldView.m[0][j] + p[1] * worldView.m[1][j] +
                     p[2] * worldView.m[2][j] + worldView.m[3][j];
        for (int j = 0; j < 4; ++j)
            clip[j] = eye[0] * projection.m[0][j] + eye[1] * projection.m[1][j] +
                      eye[2] * projection.m[2][j] + eye[3] * projection.m[3][j];
        LitVertex& out = model.lit[v];
        out.clip[3] = clip[3];
        out.clip[2] = 2.0f * clip[2] - clip[3];
        out.clip[0] = clip[0] + clip[3] / static_cast<float>(kWidth);
        out.clip[1] = clip[1] - clip[3] / static_cast<float>(kHeight);
        const float w = out.clip[3];
        outcodes[v] = static_cast<std::uint8_t>(
            (out.clip[0] > w) | (out.clip[0] < -w) << 1 | (out.clip[1] > w) << 2 |
            (out.clip[1] < -w) << 3 | (out.clip[2] > w) << 4 | (out.clip[2] < -w) << 5);
        out.texCoord[0] = vertices[v].texCoord[0];
        out.texCoord[1] = vertices[v].texCoord[1];
    }
    model.counts.clear();
    model.offsets.clear();
    model.visible.clear();
    const std::vector<std::uint32_t>& indices = model.mesh.indices;
    for (std::size_t s = 0; s < model.mesh.subsets.size(); ++s) {
        const XFileSubset& subset = model.mesh.subsets[s];
        const D3DMATERIAL9& material = model.mesh.materials[s].material;
        const std::size_t first = model.visible.size();
        const std::uint32_t end = subset.firstIndex + subset.indexCount;
        for (std::uint32_t i = subset.firstIndex; i < end; i += 3) {
            if (outcodes[indices[i]] & outcodes[indices[i + 1]] & outcodes[indices[i + 2]])
                continue;
            model.visible.insert(model.visible.end(), &indices[i], &indices[i] + 3);
        }
        // Each subset's vertices are lit with its material; the viewer's meshes share none
        // between materials.
        for (std::uint32_t i = subset.firstIndex; i < end; ++i) {
            const XFileVertex& vertex = vertices[indices[i]];
            const float* n = vertex.normal;
            float normal[3];
            for (int j = 0; j < 3; ++j)
                normal[j] = inverse[j][0] * n[0] + inverse[j][1] * n[1] + inverse[j][2] * n[2];
            const float nDotL = std::clamp(
                normal[0] * light.x + normal[1] * light.y + normal[2] * light.z, 0.0f, 1.0f);
            const float* diffuse = &material.Diffuse.r;
            const float* emissive = &material.Emissive.r;
            // The viewer lights every material's ambient part with its diffuse colour.
            for (int c = 0; c < 3; ++c)
                model.lit[indices[i]].colour[c] =
                    std::clamp(emissive[c] + diffuse[c] * ambient + diffuse[c] * nDotL, 0.0f, 1.0f);
        }
        model.counts.push_back(static_cast<GLsizei>(model.visible.size() - first));
        model.offsets.push_back(reinterpret_cast<const void*>(first * sizeof(std::uint32_t)));
    }
    glBindBuffer(GL_ARRAY_BUFFER, model.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(model.lit.size() * sizeof(LitVertex)),
                 model.lit.data(), GL_DYNAMIC_DRAW);
    glBindVertexArray(model.vertexArray);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(model.visible.size() * sizeof(std::uint32_t)),
                 model.visible.data(), GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
}

void Draw(const Model& model)
{
    glBindVertexArray(model.vertexArray);
    for (std::size_t s = 0; s < model.counts.size(); ++s) {
        if (model.counts[s] == 0) continue;
        glBindTexture(GL_TEXTURE_2D, model.textures[s]);
        glDrawElements(GL_TRIANGLES, model.counts[s], GL_UNSIGNED_INT, model.offsets[s]);
    }
}

// The scene's target: the window's pixel format and a 16-bit depth buffer, the depth that the
// viewer's device asks for, which decides the same pixels where surfaces lie close. The window's
// own depth buffer has whatever depth the display offers. A blit of the same format then copies
// the scene to the window.
GLuint MakeSceneFramebuffer()
{
    GLuint framebuffer = 0, colour = 0, depth = 0;
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, d3d9::kWindowPixelOrder,
                 GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kWidth, kHeight);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        Fail("no framebuffer for the scene");
    return framebuffer;
}

// The ten lines as GDI draws them with the default font: black on white cells, top-left
// aligned, each line's cells only; outside them the layer is clear.
struct Overlay {
    GLuint texture = 0;
    int width = 0, height = 0;
};

void DrawOverlayText(Overlay& overlay)
{
    const DeviceFont* font = DefaultDeviceFont();
    if (font == nullptr) Fail("no font");
    char lines[kOverlayLineCount][80];
    int widths[kOverlayLineCount];
    overlay.width = 0;
    for (int line = 0; line < kOverlayLineCount; ++line) {
        FormatOverlayLine(line, lines[line], sizeof lines[line]);
        widths[line] = 0;
        for (const char* c = lines[line]; *c; ++c) widths[line] += font->glyphs[*c - ' '].advance;
        overlay.width = std::max(overlay.width, widths[line]);
    }
    overlay.height = (kOverlayLineCount - 1) * kOverlayLineSpacing + font->cellHeight;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(overlay.width) * overlay.height * 4, 0);
    auto put = [&](int x, int y, int value) {
        std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * overlay.width + x) * 4];
        pixel[0] = pixel[1] = pixel[2] = static_cast<std::uint8_t>(value);
        pixel[3] = 255;
    };
    for (int line = 0; line < kOverlayLineCount; ++line) {
        const int top = line * kOverlayLineSpacing;
        for (int y = top; y < top + font->cellHeight; ++y)
            for (int x = 0; x < widths[line]; ++x) put(x, y, 255);
        int pen = 0;
        for (const char* c = lines[line]; *c; ++c) {
            const FontGlyph& glyph = font->glyphs[*c - ' '];
            for (int row = 0; row < glyph.height; ++row) {
                const int y = top + glyph.top + row;
                if (y < top || y >= top + font->cellHeight) continue;
                for (int column = 0; column < glyph.width; ++column) {
                    const int x = pen + glyph.left + column;
                    const int coverage =
                        glyph.coverage[static_cast<std::size_t>(row * glyph.width + column)];
                    if (coverage != 0 && x >= 0 && x < widths[line])
                        put(x, y, 255 - 255 * coverage / 255);
                }
            }
            pen += glyph.advance;
        }
    }
    if (overlay.texture == 0) glGenTextures(1, &overlay.texture);
    glBindTexture(GL_TEXTURE_2D, overlay.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, overlay.width, overlay.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
}

}  // namespace

int main(int argc, char** argv)
{
    const bool floorOnly = argc > 1 && std::strcmp(argv[1], "--floor") == 0;
    if (argc > 2 || (argc == 2 && !floorOnly)) {
        std::fprintf(stderr, "usage: crs-limit [--floor]\n");
        return 2;
    }
    if (!floorOnly) StartLoadingDefaultDeviceFont();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) Fail(SDL_GetError());
    d3d9::RequestGlContext();
    SDL_Window* window = SDL_CreateWindow("crs move pos", SDL_WINDOWPOS_UNDEFINED,
                                          SDL_WINDOWPOS_UNDEFINED, kWidth, kHeight,
                                          SDL_WINDOW_OPENGL);
    if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) Fail(SDL_GetError());
    if (!d3d9::GlContextSufficient()) Fail("no OpenGL 3.3 or WebGL 2");
    // As the viewer's default presentation interval asks.
    SDL_GL_SetSwapInterval(1);

    GLuint sceneProgram = 0, overlayProgram = 0, emptyVertexArray = 0, sceneFramebuffer = 0;
    GLint topRow = -1;
    Model course, car;
    Overlay overlay;
    if (!floorOnly) {
        sceneProgram = LinkProgram(kSceneVertexShader, kSceneFragmentShader);
        overlayProgram = LinkProgram(kOverlayVertexShader, kOverlayFragmentShader);
        topRow = glGetUniformLocation(overlayProgram, "uTopRow");
        glGenVertexArrays(1, &emptyVertexArray);
        const std::uint8_t whiteTexel[4] = {255, 255, 255, 255};
        const GLuint white = MakeTexture(whiteTexel, 1, 1);
        course = LoadModel("crs.x", white);
        car = LoadModel("F1.x", white);
        sceneFramebuffer = MakeSceneFramebuffer();
        glFrontFace(GL_CW);
        glDepthFunc(GL_LEQUAL);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    }
    InitPosition();
    // Depth is cleared to GL's default, 1.0, as Direct3D clears it.
    glClearColor(100.0f / 255.0f, 100.0f / 255.0f, 100.0f / 255.0f, 1.0f);

    bool moved = true;
    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) return 0;
            if (event.type != SDL_KEYDOWN) continue;
            if (event.key.keysym.sym == SDLK_ESCAPE) return 0;
            if (event.key.keysym.sym == SDLK_UP) {
                AdvancePlate();
                ++plate_pos;
                moved = true;
            }
        }
        if (moved && !floorOnly) {
            Transform(course, World(fPosX, fPosY, fPosZ, crsRadY, crsRadX, crsRadZ, courseScale),
                      0.3f);
            Transform(car, World(0.0f, 0.0f, 0.0f, carRadY, carRadX, carRadZ, kCarScale), 0.0f);
            DrawOverlayText(overlay);
        }
        moved = false;
        glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
        glViewport(0, 0, kWidth, kHeight);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (!floorOnly) {
            glEnable(GL_DEPTH_TEST);
            glEnable(GL_CULL_FACE);
            glUseProgram(sceneProgram);
            Draw(course);
            Draw(car);
            glDisable(GL_DEPTH_TEST);
            glDisable(GL_CULL_FACE);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, sceneFramebuffer);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glBlitFramebuffer(0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, GL_COLOR_BUFFER_BIT,
                              GL_NEAREST);
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glEnable(GL_BLEND);
            glViewport(0, kHeight - overlay.height, overlay.width, overlay.height);
            glUseProgram(overlayProgram);
            glUniform1i(topRow, kHeight - 1);
            glBindTexture(GL_TEXTURE_2D, overlay.texture);
            glBindVertexArray(emptyVertexArray);
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
            glDisable(GL_BLEND);
        }
        d3d9::SwapWindowBuffers(window);
        CountPresentedFrame();
    }
}
