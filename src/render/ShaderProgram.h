// GLSL programs over the OpenGL 2.x entry points, and whether a context offers GLSL 1.20 at all.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vorn {

// Whether a context reporting these GL_VERSION and GL_SHADING_LANGUAGE_VERSION strings runs
// desktop OpenGL 2.0 or later with GLSL 1.20 or later. Null or empty strings count as absent.
bool GlslUsable(const char* glVersion, const char* glslVersion);

// One linked vertex and fragment program of the current context. Attribute names are bound to
// their positions in the list before linking.
class ShaderProgram {
public:
    ShaderProgram() = default;
    // Compiles and links; on failure the program is invalid and Log() says why. The names of
    // the context's objects are given back at once either way but for the linked program.
    ShaderProgram(const std::string& vertexSource, const std::string& fragmentSource,
                  const std::vector<std::string>& attributes);
    ShaderProgram(ShaderProgram&& other) noexcept { *this = std::move(other); }
    ShaderProgram& operator=(ShaderProgram&& other) noexcept;
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;
    // The program object is left to its context: the owner may be destroyed while another
    // context is current, where deleting by name would hit that context's objects. Release()
    // deletes it while its context is current.
    ~ShaderProgram() = default;
    void Release();

    bool Valid() const { return m_program != 0; }
    const std::string& Log() const { return m_log; }
    void Use() const;
    // The location of a uniform, -1 when the program has none of that name (or uses none).
    int Uniform(const char* name) const;

private:
    unsigned m_program = 0;
    std::string m_log;
};

} // namespace vorn
