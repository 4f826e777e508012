// Keeping what was lit: a draw's vertices, lit by its fixed-function program into a buffer by
// transform feedback, and drawn again through the pass-through program while nothing that lights
// them changes, so that a still picture costs the software rasteriser no lighting per frame.
#include <cstring>
#include <vector>

#include "platform/portable/d3d9/internal.h"

namespace d3d9 {
namespace {

// The draw's indices less the lowest, in the index buffer's own width.
std::vector<std::uint8_t> RebasedIndices(const IndexBuffer& indices, const CulledDraw& draw)
{
    const UINT size = indices.IndexSize();
    const std::uint8_t* source = indices.Data() + std::size_t{draw.startIndex} * size;
    const std::size_t count = std::size_t{draw.primCount} * 3;
    std::vector<std::uint8_t> rebased(count * size);
    for (std::size_t i = 0; i < count; ++i) {
        if (size == 2) {
            std::uint16_t index = 0;
            std::memcpy(&index, source + i * 2, 2);
            index = static_cast<std::uint16_t>(index - draw.lowestIndex);
            std::memcpy(&rebased[i * 2], &index, 2);
        } else {
            std::uint32_t index = 0;
            std::memcpy(&index, source + i * 4, 4);
            index -= draw.lowestIndex;
            std::memcpy(&rebased[i * 4], &index, 4);
        }
    }
    return rebased;
}

}  // namespace

void ReleaseCapture(CapturedVertices& captured)
{
    glDeleteBuffers(1, &captured.vertices);
    glDeleteBuffers(1, &captured.indices);
    glDeleteVertexArrays(1, &captured.vertexArray);
    captured = CapturedVertices{};
}

// Every vertex of the draw's index range is lit, as points with rasterising off, in the layout
// that the pass-through program reads.
bool Device::Capture(CulledDraw& draw, FixedFunctionProgram& program)
{
    if (!EnsurePassProgram(program)) return false;
    CapturedVertices& captured = draw.captured;
    const auto count = static_cast<GLsizei>(draw.highestIndex - draw.lowestIndex + 1);
    const GLsizei stride = CapturedFloats(program.state) * static_cast<GLsizei>(sizeof(float));
    const GLsizeiptr bytes = GLsizeiptr{count} * stride;
    while (glGetError() != GL_NO_ERROR) {
    }
    if (!captured.vertexArray) {
        glGenVertexArrays(1, &captured.vertexArray);
        glGenBuffers(1, &captured.vertices);
        glGenBuffers(1, &captured.indices);
        glBindVertexArray(captured.vertexArray);
        const std::vector<std::uint8_t> rebased = RebasedIndices(*indices_, draw);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, captured.indices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(rebased.size()),
                     rebased.data(), GL_STATIC_DRAW);
    }
    glBindVertexArray(captured.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, captured.vertices);
    if (captured.capacity < bytes) {
        glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_DYNAMIC_COPY);
        captured.capacity = bytes;
    }
    // Clip position and diffuse, then specular and texture coordinates where the state has them;
    // a state of the same draw with fewer outputs leaves the others off.
    std::uintptr_t at = 0;
    const auto attribute = [&](GLuint index, GLint size, bool present) {
        if (!present) {
            glDisableVertexAttribArray(index);
            return;
        }
        glEnableVertexAttribArray(index);
        glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(at));
        at += static_cast<std::uintptr_t>(size) * sizeof(float);
    };
    attribute(0, 4, true);
    attribute(1, 4, true);
    attribute(2, 3, (program.state & kStateSpecular) != 0);
    attribute(3, 2, (program.state & kStateTextured) != 0);
    // WebGL 2 refuses a draw that captures into a buffer still bound elsewhere.
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glUseProgram(program.program);
    UploadFixedFunctionState(program);
    LayOutStream(draw.baseVertex);
    glBindBufferRange(GL_TRANSFORM_FEEDBACK_BUFFER, 0, captured.vertices, 0, bytes);
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, static_cast<GLint>(draw.lowestIndex), count);
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace d3d9
