// A fixture for whole-program tests that write level files: the game runs
// in a scratch working folder of its own (ScratchDataFolder, not entered)
// on the test's X server, driven with xdotool.
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/ProgramDriver.h"
#include "support/ScratchData.h"
#include "support/TestEnv.h"

namespace QRX {
namespace TestSupport {

class ScratchProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "needs an X display (run through test.sh)";
        ASSERT_FALSE(BinaryDir().empty()) << "ZENDRA_BINARY_DIR is not set";
        ASSERT_EQ(std::system("command -v xdotool >/dev/null 2>&1"), 0) << "xdotool is not installed";
        ASSERT_TRUE(scratch.Ok());
    }
    // Waits until the level file exists (saves are written by the game's frame).
    bool WaitForLevel(const std::string& name)
    {
        return WaitUntil([&]() { return ::access(scratch.LevelFile(name).c_str(), R_OK) == 0; });
    }

    ScratchDataFolder scratch{false};
};

} // namespace TestSupport
} // namespace QRX
