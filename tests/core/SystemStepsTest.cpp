// The engine singleton's step tables: Initialize runs the start-up steps in
// order with their lines and stops at the first that fails, Shutdown runs the
// shut-down steps in order, the frame's hooks are skipped when empty; and the
// program installs its managers in the order the game depends on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "support/TestEnv.h"
#include "tools/ProgramParts.h"

using namespace QRX;

namespace {

// A System whose steps are the test's; a logger is made by the first step
// so that the lines of the later ones reach the page.
class SystemStepsTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (System* system = System::PeekInstance()) {
            DestroySlot(system->logger);
            System::DestroyInstance();
        }
        InstallProgramParts();
    }

    // The door's step tables.
    void SetSteps(std::vector<StartStep> start, std::vector<StopStep> stop)
    {
        Door().startSteps = std::move(start);
        Door().stopSteps = std::move(stop);
    }
    StartStep LoggerStep()
    {
        return {"logger", [](System& s) { return CreateInto(s.logger); }, {}, nullptr, false};
    }
    StartStep Traced(const char* name, StepOutcome outcome, std::vector<const char*> lines = {},
                     const char* failure = nullptr, bool reportsOutOfMemory = true)
    {
        return {name,
                [this, name, outcome](System&) {
                    trace.push_back(name);
                    return outcome;
                },
                std::move(lines), failure, reportsOutOfMemory};
    }
    std::string Page() { return TestSupport::ReadFile(System::GetInstance()->logger->GetPath()); }

    TestSupport::ScopedTempHome home;
    std::vector<std::string> trace;
};

TEST_F(SystemStepsTest, StepsRunInOrderAndEachWritesItsReadyLinesAfterIt)
{
    SetSteps({LoggerStep(), Traced("a", StepOutcome::Done, {"A ready.", "A still ready."}),
              Traced("b", StepOutcome::Done), Traced("c", StepOutcome::Done, {"C ready."})},
             {});
    ASSERT_TRUE(System::GetInstance()->Initialize());
    EXPECT_EQ(trace, (std::vector<std::string>{"a", "b", "c"}));
    const std::string page = Page();
    const size_t a = page.find("A ready."), a2 = page.find("A still ready."), c = page.find("C ready.");
    ASSERT_NE(c, std::string::npos) << page;
    EXPECT_LT(a, a2);
    EXPECT_LT(a2, c);
    // Logged from the singleton's own start, as the steps' lines always were.
    EXPECT_NE(page.find("[System.cpp:"), std::string::npos);
    EXPECT_NE(page.find("|QRX::System::Initialize] <span style=\"color: #004ef0;\"><strong>INFO</strong></span> - "
                        "A ready."),
              std::string::npos)
        << page;
}

TEST_F(SystemStepsTest, OutOfMemoryStopsTheStartWithItsLineUnlessTheStepIsSilent)
{
    SetSteps({LoggerStep(), Traced("a", StepOutcome::OutOfMemory, {"A ready."}), Traced("b", StepOutcome::Done)}, {});
    EXPECT_FALSE(System::GetInstance()->Initialize());
    EXPECT_EQ(trace, std::vector<std::string>{"a"});
    std::string page = Page();
    EXPECT_EQ(TestSupport::ReadFile(System::GetInstance()->logger->GetPath()).find("A ready."), std::string::npos);
    EXPECT_NE(page.find("ERROR</strong></span> - System probably ran out of memory"), std::string::npos) << page;

    DestroySlot(System::GetInstance()->logger);
    trace.clear();
    SetSteps({LoggerStep(), Traced("quiet", StepOutcome::OutOfMemory, {}, nullptr, false)}, {});
    EXPECT_FALSE(System::GetInstance()->Initialize());
    EXPECT_EQ(trace, std::vector<std::string>{"quiet"});
    EXPECT_EQ(Page().find("System probably ran out of memory"), std::string::npos);
}

TEST_F(SystemStepsTest, AFailedStepStopsTheStartWithItsWarningOrSilently)
{
    SetSteps({LoggerStep(),
              Traced("sound", StepOutcome::Failed, {"Audio manager initialized."}, "Sound failed to initialize"),
              Traced("after", StepOutcome::Done)},
             {});
    EXPECT_FALSE(System::GetInstance()->Initialize());
    EXPECT_EQ(trace, std::vector<std::string>{"sound"});
    std::string page = Page();
    EXPECT_NE(page.find("WARNING</strong></span> - Sound failed to initialize"), std::string::npos) << page;
    EXPECT_EQ(page.find("Audio manager initialized."), std::string::npos);
    EXPECT_EQ(page.find("ran out of memory"), std::string::npos);

    DestroySlot(System::GetInstance()->logger);
    trace.clear();
    SetSteps({LoggerStep(), Traced("reader", StepOutcome::Failed)}, {});
    EXPECT_FALSE(System::GetInstance()->Initialize());
    page = Page();
    EXPECT_EQ(page.find("WARNING"), std::string::npos) << page;
}

TEST_F(SystemStepsTest, WithoutStepsTheStartFailsWithItsLineAndShutdownDoesNothing)
{
    // A program that forgot to install its parts: no frame may run on null managers.
    SetSteps({}, {});
    System* system = System::GetInstance();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(system->Initialize());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[LOG] ERROR - No start-up steps are installed"), std::string::npos) << out;
    EXPECT_EQ(system->logger, nullptr);
    system->Shutdown();
    // A step without work counts as done.
    SetSteps({{"empty", nullptr, {}}}, {{"empty", nullptr}});
    EXPECT_TRUE(system->Initialize());
    system->Shutdown();
}

TEST_F(SystemStepsTest, ShutdownRunsEveryStopStepInOrderEvenAfterAFailedStart)
{
    SetSteps({Traced("fails", StepOutcome::Failed)},
             {{"first", [this](System&) { trace.push_back("first"); }},
              {"second", [this](System&) { trace.push_back("second"); }}});
    System* system = System::GetInstance();
    EXPECT_FALSE(system->Initialize());
    system->Shutdown();
    EXPECT_EQ(trace, (std::vector<std::string>{"fails", "first", "second"}));
}

TEST_F(SystemStepsTest, TheProgramStartsAndStopsItsManagersInTheOrderTheGameDependsOn)
{
    InstallProgramParts();
    std::vector<std::string> start, stop;
    for (const StartStep& step : Door().startSteps) start.push_back(step.name);
    for (const StopStep& step : Door().stopSteps) stop.push_back(step.name);
    EXPECT_EQ(start, (std::vector<std::string>{"console", "logger", "file manager", "input manager", "pad 0", "pad 1",
                                                "audio manager", "window and OpenGL context", "input interpreter",
                                                "binary model reader", "renderer and shader manager", "font manager",
                                                "mesh manager", "texture manager", "physics manager", "object manager",
                                                "factories", "profile manager", "game-state manager",
                                                "shadow map and frame buffers", "frame-rate controller",
                                                "cursor display count", "developer panels", "checkpoint store"}));
    EXPECT_EQ(stop, (std::vector<std::string>{"game-state manager (every state popped)", "frame-rate controller",
                                               "console", "profile manager", "object manager (every object and master)",
                                               "physics manager", "audio manager", "input manager",
                                               "binary model reader", "file manager", "cursor display count",
                                               "pads, then the pad layer", "input interpreter", "developer panels",
                                               "font manager", "texture manager", "mesh manager", "renderer",
                                               "shader manager", "window and OpenGL context", "logger",
                                               "checkpoint store"}));
    // Installing again gives the same tables, not doubled ones.
    InstallProgramParts();
    EXPECT_EQ(Door().startSteps.size(), start.size());
    EXPECT_EQ(Door().stopSteps.size(), stop.size());
}

TEST_F(SystemStepsTest, TheCursorFollowsTheInstalledQuestionsAndNeedsTheStateManager)
{
    SetSteps({}, {});
    System* system = System::GetInstance();
    int count = 0;
    system->cursorShowCount = &count;
    const EngineDoor saved = Door();
    Door().currentState = []() { return 36; };  // a menu: shown
    Door().panelsShown = nullptr;
    // No game-state manager yet: nothing happens.
    count = -1;
    UpdateCursorVisibility();
    EXPECT_EQ(count, -1);
    int fakeManager = 0;
    system->gameStateManager = reinterpret_cast<GameStateManager*>(&fakeManager);
    UpdateCursorVisibility();
    EXPECT_EQ(count, 0);
    Door().currentState = []() { return 3; };  // a level: hidden unless the panels show
    UpdateCursorVisibility();
    EXPECT_EQ(count, -1);
    Door().panelsShown = []() { return true; };
    UpdateCursorVisibility();
    EXPECT_EQ(count, 0);
    system->gameStateManager = nullptr;
    system->cursorShowCount = nullptr;
    Door() = saved;
}

} // namespace
