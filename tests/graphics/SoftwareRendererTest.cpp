// Telling a software renderer from a graphics card, and the software
// renderer's flags the video layer asks for. No window needed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/graphics/SoftwareRenderer.h"
#include "engine/platform/Video.h"

using namespace QRX;

namespace {

TEST(SoftwareRenderer, MesasSoftwareRasterisersAreKnownByName)
{
    EXPECT_TRUE(IsSoftwareRendererName("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(IsSoftwareRendererName("softpipe"));
    EXPECT_FALSE(IsSoftwareRendererName("NVIDIA GeForce GTX 1060/PCIe/SSE2"));
    EXPECT_FALSE(IsSoftwareRendererName("AMD Radeon RX 580 (radeonsi, polaris10, LLVM 15.0.6)"));
    EXPECT_FALSE(IsSoftwareRendererName(""));
    EXPECT_FALSE(IsSoftwareRendererName(nullptr));
    // Without a current context there is no renderer to ask.
    EXPECT_FALSE(IsSoftwareRenderer());
}

// Restores the variable as it was when the test began.
class SoftwareRendererFlags : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* value = std::getenv(Platform::SOFTWARE_RENDERER_FLAGS_VARIABLE);
        m_had = value != nullptr;
        if (m_had) m_value = value;
    }
    void TearDown() override
    {
        if (m_had) setenv(Platform::SOFTWARE_RENDERER_FLAGS_VARIABLE, m_value.c_str(), 1);
        else unsetenv(Platform::SOFTWARE_RENDERER_FLAGS_VARIABLE);
    }
    bool m_had = false;
    std::string m_value;
};

TEST_F(SoftwareRendererFlags, AskedForOnlyWhenTheUserSetNone)
{
    unsetenv(Platform::SOFTWARE_RENDERER_FLAGS_VARIABLE);
    Platform::PreferSoftwareRendererJit();
    const char* set = std::getenv(Platform::SOFTWARE_RENDERER_FLAGS_VARIABLE);
    ASSERT_NE(set, nullptr);
    EXPECT_STREQ(set, "no_linear");

    setenv(Platform::SOFTWARE_RENDERER_FLAGS_VARIABLE, "no_mipmap", 1);
    Platform::PreferSoftwareRendererJit();
    EXPECT_STREQ(std::getenv(Platform::SOFTWARE_RENDERER_FLAGS_VARIABLE), "no_mipmap");
}

} // namespace
