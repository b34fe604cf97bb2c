// GLSL programs: compiling, linking and the version check. The OpenGL 2.0 entry points come
// straight from libGL (the dispatching library exports every core function), so that they work
// alike in the EGL contexts of the tool and the tests and in the window system's context of the
// viewer; they are called only once the context has said it runs OpenGL 2.0.
#define GL_GLEXT_PROTOTYPES 1
#include "render/ShaderProgram.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

namespace vorn {

namespace {

// "major.minor" at the start of text, or after the "OpenGL ES " prefix of embedded contexts
// (which never qualify here, since they lack the fixed-function state the shaders read).
bool LeadingVersion(const char* text, int& major, int& minor) {
    return text && std::sscanf(text, "%d.%d", &major, &minor) == 2;
}

// The info log of a shader or a program, read through the matching pair of GL calls.
template <typename GetValue, typename GetLog>
std::string InfoLog(GLuint object, GetValue getValue, GetLog getLog) {
    GLint length = 0;
    getValue(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        getLog(object, length, nullptr, &log[0]);
    return log;
}

std::string ShaderLog(GLuint shader) {
    return InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

std::string ProgramLog(GLuint program) {
    return InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
}

// A compiled shader, or 0 with the compiler's complaint appended to log.
GLuint Compile(GLenum kind, const std::string& source, std::string& log) {
    const GLuint shader = glCreateShader(kind);
    if (!shader) {
        log += "no shader object\n";
        return 0;
    }
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        log += (kind == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") +
               ShaderLog(shader) + "\n";
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

bool GlslUsable(const char* glVersion, const char* glslVersion) {
    int major = 0, minor = 0;
    if (!LeadingVersion(glVersion, major, minor) || major < 2)
        return false;
    int glslMajor = 0, glslMinor = 0;
    if (!LeadingVersion(glslVersion, glslMajor, glslMinor))
        return false;
    // GLSL minor versions are written with two digits: "1.20", "4.50".
    return glslMajor > 1 || (glslMajor == 1 && glslMinor >= 20);
}

ShaderProgram::ShaderProgram(const std::string& vertexSource, const std::string& fragmentSource,
                             const std::vector<std::string>& attributes) {
    const GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource, m_log);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource, m_log);
    if (vertex && fragment) {
        const GLuint program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        for (std::size_t i = 0; i < attributes.size(); ++i)
            glBindAttribLocation(program, static_cast<GLuint>(i), attributes[i].c_str());
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked == GL_TRUE) {
            m_program = program;
        } else {
            m_log += "link: " + ProgramLog(program) + "\n";
            glDeleteProgram(program);
        }
    }
    // Attached shaders live on inside the program until it is deleted.
    if (vertex)
        glDeleteShader(vertex);
    if (fragment)
        glDeleteShader(fragment);
}

ShaderProgram& ShaderProgram::operator=(ShaderProgram&& other) noexcept {
    std::swap(m_program, other.m_program);
    std::swap(m_log, other.m_log);
    return *this;
}

void ShaderProgram::Release() {
    if (m_program)
        glDeleteProgram(m_program);
    m_program = 0;
}

void ShaderProgram::Use() const {
    glUseProgram(m_program);
}

int ShaderProgram::Uniform(const char* name) const {
    return m_program ? glGetUniformLocation(m_program, name) : -1;
}

} // namespace vorn
