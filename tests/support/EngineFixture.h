// Shared fixtures for tests that need the engine's singleton.
//
// EngineTest is for tests that start the whole System (System::Initialize):
// it makes the program's GL context current (start-up loads textures and
// builds programs), gives the test a private HOME and installs the recording
// audio back end, and shuts down and destroys whatever System is left.
//
// GLServicesTest is for tests of one GL manager without a full start-up: the
// context is current, the System holds a Logger and a FileManager (and a
// ShaderManager when asked), log dialogs are off, and the test may work in a
// fresh folder (EnterTempDir). TearDown checks that no GL error is pending,
// goes back to the starting folder and empties the System again.
#pragma once
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "support/FakeAudio.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

namespace QRX {
namespace TestSupport {

// The program's one GL context, opened at the size of the first call. Never
// destroyed: the software driver's allocations then stay reachable (and
// nameable for the leak report) at exit.
GLTestContext& SharedContext(int width = 256, int height = 256);

// Deletes every manager a test put in the System, in the reverse of the
// start-up order (the tweak-bar library is terminated and the object manager
// shut down first, programs and file data are released), then destroys the
// System. Safe on an empty System.
void ReleaseSystem();

// Occurrences of part in text (log pages, reports).
std::size_t Count(const std::string& text, const std::string& part);

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    ScopedTempHome m_home;
    ScopedFakeAudio m_fake;
};

class GLServicesTest : public ::testing::Test
{
protected:
    // withShaders also puts a ShaderManager in the System (its programs are
    // deleted in TearDown). The context is opened at width x height.
    explicit GLServicesTest(bool withShaders = false, int width = 256, int height = 256);
    void SetUp() override;
    void TearDown() override;

    // Makes a fresh folder, enters it and returns its path; TearDown leaves
    // and removes it.
    std::string EnterTempDir();

    ScopedTempHome m_home;
    std::string m_dir;

private:
    bool m_withShaders;
    int m_width;
    int m_height;
    std::string m_oldCwd;
};

} // namespace TestSupport
} // namespace QRX
