#include "platform/graphics/gl/GlPrograms.h"

#include "platform/graphics/GraphicsTypes.h"
#include "platform/log/PlatformLog.h"

#include <string>

namespace platform {

namespace {

// Device clip space (z 0..w, y up, pixel centres on whole coordinates) to
// GL's (z -w..w), with y turned over so that row 0 of the picture is row 0
// of the framebuffer and everything moved by half a pixel.
const char* kToGl = R"(
vec4 ToGl(vec4 c) {
    return vec4(c.x + c.w * uHalfPixel.x, -c.y + c.w * uHalfPixel.y, 2.0 * c.z - c.w, c.w);
}
)";

std::string VertexSource(const ProgramKey& key) {
    std::string s = "#version 120\n"
                    "attribute vec4 aPosition;\n"
                    "attribute vec4 aColor;\n"
                    "attribute vec2 aTexCoord;\n"
                    "uniform mat4 uMatrix;\n"
                    "uniform vec2 uHalfPixel;\n"
                    "uniform vec4 uScreen;\n"
                    "uniform vec4 uLitColor;\n"
                    "varying vec2 vTexCoord;\n";
    s += kToGl;
    s += "void main() {\n";
    if (key.screenVertices) {
        // x, y in pixels, z in 0..1, w from the reciprocal in the fourth word.
        s += "    float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;\n"
             "    vec2 ndc = vec2((aPosition.x - uScreen.x) / uScreen.z * 2.0 - 1.0,\n"
             "                    1.0 - (aPosition.y - uScreen.y) / uScreen.w * 2.0);\n"
             "    gl_Position = ToGl(vec4(ndc * w, aPosition.z * w, w));\n";
    } else {
        s += "    gl_Position = ToGl(uMatrix * vec4(aPosition.xyz, 1.0));\n";
    }
    if (key.lit)
        s += "    gl_FrontColor = uLitColor;\n";
    else if (key.hasColor)
        s += "    gl_FrontColor = aColor.zyxw;\n"; // bytes B, G, R, A
    else
        s += "    gl_FrontColor = vec4(1.0);\n";
    s += "    vTexCoord = aTexCoord;\n}\n";
    return s;
}

std::string Argument(uint32_t arg, bool textured) {
    std::string base;
    switch (arg & gfx::kArgSelectMask) {
    case gfx::kArgTexture:
        base = textured ? "texel" : "vec4(1.0)";
        break;
    case gfx::kArgFactor:
        base = "uFactor";
        break;
    case gfx::kArgSpecular:
        base = "vec4(0.0, 0.0, 0.0, 1.0)";
        break;
    default: // diffuse, and the current colour of the first stage
        base = "gl_Color";
        break;
    }
    if (arg & gfx::kArgComplement)
        base = "(vec4(1.0) - " + base + ")";
    if (arg & gfx::kArgAlphaReplicate)
        base = "vec4(" + base + ".a)";
    return base;
}

std::string Operation(uint32_t op, uint32_t arg1, uint32_t arg2, bool textured) {
    switch (op) {
    case gfx::kOpSelectArg1:
        return Argument(arg1, textured);
    case gfx::kOpSelectArg2:
        return Argument(arg2, textured);
    case gfx::kOpModulate:
        return "(" + Argument(arg1, textured) + " * " + Argument(arg2, textured) + ")";
    default: // disabled: the diffuse colour passes
        return "gl_Color";
    }
}

const char* Comparison(uint32_t func) {
    switch (func) {
    case gfx::kCmpNever:
        return "false";
    case gfx::kCmpLess:
        return "a < uAlphaRef";
    case gfx::kCmpEqual:
        return "a == uAlphaRef";
    case gfx::kCmpLessEqual:
        return "a <= uAlphaRef";
    case gfx::kCmpGreater:
        return "a > uAlphaRef";
    case gfx::kCmpNotEqual:
        return "a != uAlphaRef";
    case gfx::kCmpGreaterEqual:
        return "a >= uAlphaRef";
    default:
        return "true";
    }
}

std::string FragmentSource(const ProgramKey& key) {
    std::string s = "#version 120\n"
                    "uniform sampler2D uTexture;\n"
                    "uniform vec4 uFactor;\n"
                    "uniform float uAlphaRef;\n"
                    "varying vec2 vTexCoord;\n"
                    "void main() {\n";
    // One fetch, however many arguments read the texture.
    if (key.textured)
        s += "    vec4 texel = texture2D(uTexture, vTexCoord);\n";
    s += "    vec3 rgb = " + Operation(key.colorOp, key.colorArg1, key.colorArg2, key.textured) +
         ".rgb;\n";
    s += "    float alpha = " + Operation(key.alphaOp, key.alphaArg1, key.alphaArg2, key.textured) +
         ".a;\n";
    if (key.alphaFunc != 0) {
        // Compared as the 8-bit value the reference is given in.
        s += "    float a = floor(alpha * 255.0 + 0.5);\n";
        s += std::string("    if (!(") + Comparison(key.alphaFunc) + ")) discard;\n";
    }
    s += "    gl_FragColor = vec4(rgb, alpha);\n}\n";
    return s;
}

GLuint Compile(GLenum type, const std::string& source) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        PlatformLog("A drawing program did not compile: %s", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

GlPrograms::~GlPrograms() {
    for (auto& [key, program] : mPrograms)
        if (program.id)
            glDeleteProgram(program.id);
}

const GlProgram* GlPrograms::Get(const ProgramKey& key) {
    const auto found = mPrograms.find(key);
    if (found != mPrograms.end())
        return found->second.id ? &found->second : nullptr;
    GlProgram& program = mPrograms[key];
    const GLuint vs = Compile(GL_VERTEX_SHADER, VertexSource(key));
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, FragmentSource(key));
    if (!vs || !fs) {
        if (vs)
            glDeleteShader(vs);
        if (fs)
            glDeleteShader(fs);
        return nullptr;
    }
    const GLuint id = glCreateProgram();
    glAttachShader(id, vs);
    glAttachShader(id, fs);
    glBindAttribLocation(id, kAttribPosition, "aPosition");
    glBindAttribLocation(id, kAttribColor, "aColor");
    glBindAttribLocation(id, kAttribTexCoord, "aTexCoord");
    glLinkProgram(id);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetProgramInfoLog(id, sizeof log, nullptr, log);
        PlatformLog("A drawing program did not link: %s", log);
        glDeleteProgram(id);
        return nullptr;
    }
    program.id = id;
    program.matrix = glGetUniformLocation(id, "uMatrix");
    program.halfPixel = glGetUniformLocation(id, "uHalfPixel");
    program.screen = glGetUniformLocation(id, "uScreen");
    program.factor = glGetUniformLocation(id, "uFactor");
    program.litColor = glGetUniformLocation(id, "uLitColor");
    program.alphaRef = glGetUniformLocation(id, "uAlphaRef");
    program.sampler = glGetUniformLocation(id, "uTexture");
    glUseProgram(id);
    glUniform1i(program.sampler, 0);
    return &program;
}

} // namespace platform
