// The start-up reference: the least a program of this kind does before its
// first frame: a bare window with an OpenGL 2.1 context, one shader
// program, one texture, one textured quad and one swap. It writes when that
// frame was on the screen, as CLOCK_MONOTONIC nanoseconds, to the file named
// by its argument. It links SDL2, GLEW and OpenGL only, not the engine.
#include <GL/glew.h>
#include <dlfcn.h>
#include <link.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/platform/BareGLWindow.h"

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;
constexpr int TEXTURE_SIZE = 256;

const char* VERTEX = R"(#version 120
attribute vec2 corner;
varying vec2 uv;
void main() { uv = corner * 0.5 + 0.5; gl_Position = vec4(corner, 0.0, 1.0); })";
const char* FRAGMENT = R"(#version 120
uniform sampler2D picture;
varying vec2 uv;
void main() { gl_FragColor = texture2D(picture, uv); })";

std::int64_t MonotonicNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Keeps the GL driver mapped to the end of the process, as the engine does,
// so that its caches are still nameable by a leak check at exit.
void PinLoadedLibraries()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0] == '/')
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

GLuint Compile(GLenum kind, const char* source)
{
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <times file>\n", argv[0]);
        return 2;
    }
    QRX::Platform::BareGLWindow window;
    int result = 1;
    if (window.Open("zendra-bench reference", WIDTH, HEIGHT) && glewInit() == GLEW_OK) {
        PinLoadedLibraries();
        GLuint program = glCreateProgram();
        GLuint vertex = Compile(GL_VERTEX_SHADER, VERTEX);
        GLuint fragment = Compile(GL_FRAGMENT_SHADER, FRAGMENT);
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glBindAttribLocation(program, 0, "corner");
        glLinkProgram(program);

        std::vector<std::uint8_t> pixels(TEXTURE_SIZE * TEXTURE_SIZE * 4, 0);
        for (int i = 0; i < TEXTURE_SIZE * TEXTURE_SIZE; ++i) {
            pixels[i * 4] = static_cast<std::uint8_t>(i % TEXTURE_SIZE);
            pixels[i * 4 + 1] = static_cast<std::uint8_t>(i / TEXTURE_SIZE);
            pixels[i * 4 + 3] = 255;
        }
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, TEXTURE_SIZE, TEXTURE_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     pixels.data());

        const GLfloat corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
        GLuint buffer = 0;
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);

        glViewport(0, 0, WIDTH, HEIGHT);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(program);
        glUniform1i(glGetUniformLocation(program, "picture"), 0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(0);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        window.Swap();
        glFinish();
        const std::int64_t frame = MonotonicNanoseconds();

        if (std::FILE* out = std::fopen(argv[1], "w")) {
            std::fprintf(out, "frame %lld\n", static_cast<long long>(frame));
            result = std::fclose(out) == 0 ? 0 : 1;
        }
        glDeleteBuffers(1, &buffer);
        glDeleteTextures(1, &texture);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        glDeleteProgram(program);
    }
    return result;
}
