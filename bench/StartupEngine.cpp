// The start-up probe: the game's own start (as Main.cpp runs it) up to its
// first frame, in a process of its own. It writes when it reached "All
// systems initialized correctly." and when the first frame was on the screen,
// as CLOCK_MONOTONIC nanoseconds, to the file named by its argument; the
// benchmark that started it measures both from the moment it started it.
#include <GL/glew.h>
#include <time.h>

#include <cstdint>
#include <cstdio>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "tools/ProgramParts.h"

namespace {

std::int64_t MonotonicNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

} // namespace

int main(int argc, char** argv)
{
    QRX::InstallProgramParts();
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <times file>\n", argv[0]);
        return 2;
    }
    QRX::System* system = QRX::System::GetInstance();
    if (!system->Initialize()) {
        system->Shutdown();
        QRX::System::DestroyInstance();
        return 1;
    }
    QRX_LOG_INFO("All systems initialized correctly.");
    const std::int64_t initialized = MonotonicNanoseconds();
    QRX_LOG_DEBUG("Test: Debugging message here");
    QRX_LOG_INFO("Test: Informative message here");
    QRX_LOG_WARNING("Test: Warning message here");
    QRX_LOG_ERROR("Test: Error message here");

    system->Update();
    glFinish();
    const std::int64_t firstFrame = MonotonicNanoseconds();

    int result = 0;
    if (std::FILE* out = std::fopen(argv[1], "w")) {
        std::fprintf(out, "initialized %lld\nframe %lld\n", static_cast<long long>(initialized),
                     static_cast<long long>(firstFrame));
        if (std::fclose(out) != 0) result = 1;
    } else {
        result = 1;
    }
    system->Shutdown();
    QRX::System::DestroyInstance();
    return result;
}
