// The engine starts the game-state manager at its step (which loads the
// splash state), runs it each frame and shuts it down first. Start-up needs
// an OpenGL context for the texture manager.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/System.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

class RecordingState : public GameState
{
public:
    void Load() override { Record("Load"); }
    void Init() override { Record("Init"); }
    void Update(GameStateManager&) override { Record("Update"); }
    void Free() override { Record("Free"); }
    void Unload() override { Record("Unload"); }

    std::vector<std::string> calls;

private:
    void Record(const char* slot)
    {
        System* system = System::PeekInstance();
        int id = system && system->gameStateManager ? system->gameStateManager->GetCurrentState() : -1;
        calls.push_back(std::string(slot) + "@" + std::to_string(id));
    }
};

TEST(SystemGameState, ManagerStartsAtItsStepRunsEachFrameAndStopsFirst)
{
    TestSupport::ScopedTempHome home;
    TestSupport::GLTestContext gl;
    ASSERT_TRUE(gl.Ok()) << gl.Error();
    gl.MakeCurrent();

    RecordingState level;
    BindStateObject(StateObjectKind::BaseLevel, &level);
    System* system = System::GetInstance();
    testing::internal::CaptureStdout();
    bool started = system->Initialize();
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(started);
    ASSERT_NE(system->gameStateManager, nullptr);
    size_t files = out.find("File manager initialized.");
    size_t states = out.find("Game state manager initialized.");
    size_t frames = out.find("Frame rate controller initialized.");
    ASSERT_NE(states, std::string::npos);
    EXPECT_LT(files, states);
    EXPECT_LT(out.find("Loading level SPLASH"), states);
    EXPECT_LT(states, frames);
    EXPECT_EQ(level.calls, (std::vector<std::string>{"Load@1", "Init@1"}));

    level.calls.clear();
    system->Update();
    EXPECT_EQ(level.calls, (std::vector<std::string>{"Update@1"}));

    level.calls.clear();
    system->Shutdown();
    EXPECT_EQ(level.calls, (std::vector<std::string>{"Free@1", "Unload@1"}));
    EXPECT_EQ(system->gameStateManager, nullptr);
    System::DestroyInstance();
    BindStateObject(StateObjectKind::BaseLevel, nullptr);
}

} // namespace
