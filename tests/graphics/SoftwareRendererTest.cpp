// Telling a software renderer from a graphics card, and the software
// renderer's flags the video layer asks for. No window needed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/graphics/SoftwareRenderer.h"
#include "engine/platform/Video.h"

using namespace QRX;

namespace {

TEST(SoftwareRenderer, MesasRasterisersAreKnownByNameAndTheirFlagsAskedOnlyWhenUnset)
{
    EXPECT_TRUE(IsSoftwareRendererName("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_FALSE(IsSoftwareRendererName("AMD Radeon RX 580 (radeonsi, polaris10, LLVM 15.0.6)"));
    EXPECT_FALSE(IsSoftwareRendererName(nullptr));
    EXPECT_FALSE(IsSoftwareRenderer()) << "no current context, no renderer to ask";

    const char* variable = Platform::SOFTWARE_RENDERER_FLAGS_VARIABLE;
    const char* before = std::getenv(variable);
    const std::string kept = before ? before : "";
    unsetenv(variable);
    Platform::PreferSoftwareRendererJit();
    EXPECT_STREQ(std::getenv(variable), "no_linear");
    setenv(variable, "no_mipmap", 1);
    Platform::PreferSoftwareRendererJit();
    EXPECT_STREQ(std::getenv(variable), "no_mipmap");
    if (before) setenv(variable, kept.c_str(), 1);
    else unsetenv(variable);
}

} // namespace
