// The GLSL programs that stand in for Direct3D 9's fixed-function pipeline: per-vertex Gouraud
// lighting in camera space as Direct3D defines it, texture stage 0 modulating, and the program
// with which Present copies frames and composites the window's text layer. The fixed-function
// program comes in variants, one per state that changes its code, made as draws first need them.
#include <cstdio>
#include <cstring>

#include "platform/portable/d3d9/internal.h"

namespace d3d9 {
namespace {

// Matrices arrive as Direct3D stores them (row vectors, row-major); uploaded untransposed, GLSL
// reads them as their transposes, so `M * v` applies them as Direct3D's `v * M` does.
// Normals go through the inverse transpose of world*view and are not renormalised, as with
// D3DRS_NORMALIZENORMALS off: a mesh scaled by 0.3 lights 3.3 times as strongly, up to the
// reference's limit of 1 per light (it clamps N.L to 0..1). Light directions arrive normalised,
// in camera space, pointing toward the light. The variant's state arrives as #defines after the
// first line, so that a draw runs no branch and passes no varying that its state leaves unused.
const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aTexCoord;
layout(location = 3) in vec4 aColor;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform vec2 uPixelOffset;
#if LIGHTING
uniform mat3 uNormalMatrix;
uniform vec3 uAmbient;
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialEmissive;
#if LIGHT_COUNT > 0
uniform vec3 uLightDirection[LIGHT_COUNT];
uniform vec4 uLightDiffuse[LIGHT_COUNT];
#endif
#if SPECULAR
uniform vec4 uMaterialSpecular;
uniform float uMaterialPower;
uniform vec4 uLightSpecular[LIGHT_COUNT];
#endif
#endif

out vec4 vDiffuse;
#if SPECULAR
out vec3 vSpecular;
#endif
#if TEXTURED
out vec2 vTexCoord;
#endif

// The vertex's diffuse colour: a D3DCOLOR, whose bytes lie in memory as B, G, R, A.
vec4 VertexColor()
{
    return aColor.bgra;
}

// A material colour, or the vertex's where the term's source is its diffuse colour (D3DMCS_COLOR1
// with a colour in the vertex format).
#define SOURCE(fromVertex, material) ((fromVertex) != 0 ? VertexColor() : (material))

void main()
{
    vec4 eye = uWorldView * vec4(aPosition, 1.0);
    gl_Position = uProjection * eye;
    // Direct3D's clip depth runs 0..w, OpenGL's -w..w.
    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
    // Direct3D 9 puts pixel centres on whole coordinates, OpenGL half a pixel further on.
    gl_Position.xy += uPixelOffset * gl_Position.w;
#if TEXTURED
    vTexCoord = aTexCoord;
#endif

#if !LIGHTING
    vDiffuse = SOURCE(VERTEX_COLOR, vec4(1.0));
#else
    vec3 n = uNormalMatrix * aNormal;
    vec3 diffuse = vec3(0.0);
#if SPECULAR
    vec3 specular = vec3(0.0);
    vec3 toEye = -normalize(eye.xyz);
#endif
#if LIGHT_COUNT > 0
    for (int i = 0; i < LIGHT_COUNT; ++i) {
        float nDotL = dot(n, uLightDirection[i]);
        diffuse += uLightDiffuse[i].rgb * clamp(nDotL, 0.0, 1.0);
#if SPECULAR
        if (nDotL > 0.0) {
            float nDotH = dot(n, normalize(toEye + uLightDirection[i]));
            if (nDotH > 0.0) specular += uLightSpecular[i].rgb * pow(nDotH, uMaterialPower);
        }
#endif
    }
#endif
    vec4 materialDiffuse = SOURCE(DIFFUSE_FROM_VERTEX, uMaterialDiffuse);
    vec3 color = SOURCE(EMISSIVE_FROM_VERTEX, uMaterialEmissive).rgb
               + SOURCE(AMBIENT_FROM_VERTEX, uMaterialAmbient).rgb * uAmbient
               + materialDiffuse.rgb * diffuse;
    vDiffuse = clamp(vec4(color, materialDiffuse.a), 0.0, 1.0);
#if SPECULAR
    vSpecular = clamp(SOURCE(SPECULAR_FROM_VERTEX, uMaterialSpecular).rgb * specular, 0.0, 1.0);
#endif
#endif
}
)";

// Stage 0 at its defaults: colour = texture * diffuse, alpha = texture alpha; without a texture
// the lit colour alone. Specular is added after texturing; without it the colour is already
// within 0..1. Textures hold A8R8G8B8 texels as they lie in memory, B, G, R, A, which GL reads as
// R, G, B, A: turned back here.
const char* const kFragmentShader = R"(#version 330 core
in vec4 vDiffuse;
#if SPECULAR
in vec3 vSpecular;
#endif
#if TEXTURED
in vec2 vTexCoord;
uniform sampler2D uTexture;
#endif
out vec4 fragColor;

void main()
{
    vec4 color = vDiffuse;
#if TEXTURED
    vec4 texel = texture(uTexture, vTexCoord).bgra;
    color = vec4(color.rgb * texel.rgb, texel.a);
#endif
#if SPECULAR
    color.rgb = min(color.rgb + vSpecular, vec3(1.0));
#endif
    fragColor = color;
}
)";

// The program of Present's own drawing: a quad over the viewport that either copies a
// framebuffer-oriented colour texture, stretched over the viewport with the texture's filter, or
// shows the window's text layer pixel for pixel. One program for both, with GL's own blits left
// unused, keeps the shaders that the first frame has to compile to two.
const char* const kScreenVertexShader = R"(#version 330 core
out vec2 vSource;
void main()
{
    vec2 corner = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    vSource = corner;
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

// The layer's top row is its first and the framebuffer's is its last: texel (x, top - y).
const char* const kScreenFragmentShader = R"(#version 330 core
in vec2 vSource;
uniform sampler2D uSource;
uniform bool uTextLayer;
uniform int uTopRow;
out vec4 fragColor;
void main()
{
    if (uTextLayer) {
        ivec2 pixel = ivec2(gl_FragCoord.xy);
        fragColor = texelFetch(uSource, ivec2(pixel.x, uTopRow - pixel.y), 0);
    } else {
        // The back buffer is X8R8G8B8: whatever alpha the scene wrote reads as opaque.
        fragColor = vec4(texture(uSource, vSource).rgb, 1.0);
    }
}
)";

// Each program's first line names its GLSL version; the GL in use gives its own in its place,
// followed by the variant's #defines.
GLuint CompileShader(GLenum type, const char* defines, const char* source)
{
    const GLuint shader = glCreateShader(type);
    const char* const parts[] = {kGlslHeader, defines, std::strchr(source, '\n') + 1};
    glShaderSource(shader, 3, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "d3d9: shader does not compile: %s\n", log);
    glDeleteShader(shader);
    return 0;
}

GLuint LinkProgram(const char* defines, const char* vertexSource, const char* fragmentSource)
{
    const GLuint vertex = CompileShader(GL_VERTEX_SHADER, defines, vertexSource);
    const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, defines, fragmentSource);
    GLuint program = 0;
    if (vertex && fragment) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            glDeleteProgram(program);
            program = 0;
        }
    }
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return program;
}

FixedFunctionProgram MakeFixedFunctionProgram(unsigned state)
{
    const auto bit = [state](unsigned flag) { return state & flag ? 1 : 0; };
    char defines[320];
    std::snprintf(defines, sizeof defines,
                  "#define LIGHTING %d\n#define LIGHT_COUNT %u\n#define SPECULAR %d\n"
                  "#define TEXTURED %d\n#define VERTEX_COLOR %d\n#define DIFFUSE_FROM_VERTEX %d\n"
                  "#define AMBIENT_FROM_VERTEX %d\n#define SPECULAR_FROM_VERTEX %d\n"
                  "#define EMISSIVE_FROM_VERTEX %d\n",
                  bit(kStateLighting), LightCountOf(state), bit(kStateSpecular),
                  bit(kStateTextured), bit(kStateVertexColor), bit(kStateDiffuseFromVertex),
                  bit(kStateAmbientFromVertex), bit(kStateSpecularFromVertex),
                  bit(kStateEmissiveFromVertex));
    FixedFunctionProgram made;
    made.state = state;
    made.program = LinkProgram(defines, kVertexShader, kFragmentShader);
    if (!made.program) return made;

    const GLuint p = made.program;
    PipelineUniforms& u = made.uniforms;
    u.worldView = glGetUniformLocation(p, "uWorldView");
    u.projection = glGetUniformLocation(p, "uProjection");
    u.normalMatrix = glGetUniformLocation(p, "uNormalMatrix");
    u.pixelOffset = glGetUniformLocation(p, "uPixelOffset");
    u.ambient = glGetUniformLocation(p, "uAmbient");
    u.materialDiffuse = glGetUniformLocation(p, "uMaterialDiffuse");
    u.materialAmbient = glGetUniformLocation(p, "uMaterialAmbient");
    u.materialSpecular = glGetUniformLocation(p, "uMaterialSpecular");
    u.materialEmissive = glGetUniformLocation(p, "uMaterialEmissive");
    u.materialPower = glGetUniformLocation(p, "uMaterialPower");
    u.lightDirection = glGetUniformLocation(p, "uLightDirection");
    u.lightDiffuse = glGetUniformLocation(p, "uLightDiffuse");
    u.lightSpecular = glGetUniformLocation(p, "uLightSpecular");
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "uTexture"), 0);
    return made;
}

}  // namespace

FixedFunctionProgram* FixedFunctionProgramFor(Pipeline& pipeline, unsigned state)
{
    for (FixedFunctionProgram& made : pipeline.programs)
        if (made.state == state) return made.program ? &made : nullptr;
    // A variant that does not compile is kept as such, so that its draws fail at once.
    pipeline.programs.push_back(MakeFixedFunctionProgram(state));
    return pipeline.programs.back().program ? &pipeline.programs.back() : nullptr;
}

bool CreatePipeline(Pipeline& pipeline, const unsigned* earlyStates, std::size_t earlyCount)
{
    pipeline.programs.reserve(kExpectedPrograms);
    for (std::size_t i = 0; i < earlyCount; ++i)
        if (!FixedFunctionProgramFor(pipeline, earlyStates[i])) return false;
    pipeline.screenProgram = LinkProgram("", kScreenVertexShader, kScreenFragmentShader);
    if (!pipeline.screenProgram) return false;

    glUseProgram(pipeline.screenProgram);
    glUniform1i(glGetUniformLocation(pipeline.screenProgram, "uSource"), 0);
    pipeline.screenTextLayer = glGetUniformLocation(pipeline.screenProgram, "uTextLayer");
    pipeline.screenTopRow = glGetUniformLocation(pipeline.screenProgram, "uTopRow");

    glGenVertexArrays(1, &pipeline.emptyVertexArray);
    return true;
}

void DestroyPipeline(Pipeline& pipeline)
{
    for (const FixedFunctionProgram& made : pipeline.programs) glDeleteProgram(made.program);
    glDeleteProgram(pipeline.screenProgram);
    glDeleteVertexArrays(1, &pipeline.emptyVertexArray);
    pipeline = Pipeline{};
}

}  // namespace d3d9
