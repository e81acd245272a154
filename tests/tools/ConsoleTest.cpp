// The in-game console without a window: input, history, output and its
// layout, graph samples, the command table, the logger's echo, missing
// masters, the console inside the game flow, and typing faster than the
// frames (keys and characters of one frame taken in their order).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/InputManager.h"
#include "engine/graphics/Camera.h"
#include "engine/platform/VirtualKeys.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/LoadingLevel.h"
#include "tools/Console.h"
#include "tools/LevelEditor.h"
#include "flow/StateTestKit.h"
#include "support/EngineFixture.h"
#include "support/ScratchData.h"

using namespace QRX;
using namespace QRX::Platform;

namespace {

using Lines = std::vector<std::string>;

// A console in a small engine whose splash screen has loaded (and so made its
// objects), in a scratch folder whose level files "save" may replace.
class ConsoleTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        StateTest::SetUp();
        System::GetInstance()->inputManager = input = new InputManager();
        System::GetInstance()->console = console = new Console();
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::LoadingLevel, &loading);
        ASSERT_TRUE(gsm.Initialize());
    }
    void TearDown() override
    {
        // The console hands its objects back before the pool goes.
        delete console;
        delete input;
        System::GetInstance()->console = nullptr;
        System::GetInstance()->inputManager = nullptr;
        StateTest::TearDown();
    }
    // One console update with a key going down (and a typed character).
    void Press(int key, char typed = 0)
    {
        if (key >= 0) InputManager::current[key] = 1;
        if (typed) input->OnCharacter(static_cast<unsigned char>(typed));
        console->Update();
        input->Update();
        ReleaseKeys();
    }
    // Submits the line; returns what it printed after its echo.
    Lines Run(const std::string& line)
    {
        const size_t before = console->GetOutput().size();
        for (char c : line) console->TypeCharacter(c);
        console->SubmitLine();
        const size_t from = std::min(before, console->GetOutput().size());  // "clear" empties it
        Lines printed(console->GetOutput().begin() + static_cast<long>(from), console->GetOutput().end());
        if (!printed.empty() && printed.front() == "] " + line) printed.erase(printed.begin());
        return printed;
    }
    // Types the line (letters are keys too) and Enter through the game's frames.
    void EnterThroughFrames(const std::string& line)
    {
        for (char c : line) {
            if (std::isalpha(static_cast<unsigned char>(c))) InputManager::current[KEY_A + (std::toupper(c) - 'A')] = 1;
            input->OnCharacter(static_cast<unsigned char>(c));
            Frame();
            input->Update();
            ReleaseKeys();
        }
        FrameWithKey(KEY_RETURN);
    }
    // One frame whose message pump brought these keys (virtual-key codes,
    // each pressed and released) and characters, in this order: "`" stands
    // for the console key, "\n" for Enter, "\x1b" for Escape, "^" for Shift
    // going down (with the next letter).
    void TypeInOneFrame(const std::string& messages)
    {
        bool shift = false;
        for (char c : messages) {
            std::uint32_t vk = 0;
            if (c == '`') vk = VK_OEM_3;
            else if (c == '\n') vk = VK_RETURN;
            else if (c == '\x1b') vk = VK_ESCAPE;
            else if (c == '^') {
                input->KeyDown(VK_SHIFT);
                shift = true;
                continue;
            }
            if (vk) {
                input->KeyDown(vk);
                input->KeyUp(vk);
                continue;
            }
            const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (std::isalnum(static_cast<unsigned char>(key))) input->KeyDown(static_cast<std::uint32_t>(key));
            input->OnCharacter(static_cast<unsigned char>(c));
            if (std::isalnum(static_cast<unsigned char>(key))) input->KeyUp(static_cast<std::uint32_t>(key));
            if (shift) input->KeyUp(VK_SHIFT);
            shift = false;
        }
        console->Update();
        unclaimed = input->GetUnclaimedText();
        input->Update();
    }
    bool OutputHas(const std::string& line) const
    {
        return std::find(console->GetOutput().begin(), console->GetOutput().end(), line) != console->GetOutput().end();
    }

    TestSupport::ScratchDataFolder scratch;
    InputManager* input = nullptr;
    Console* console = nullptr;
    std::string unclaimed;  // what the last TypeInOneFrame left to the game
    BaseLevel level;
    LoadingLevel loading;
};

TEST_F(ConsoleTest, InputHistoryAndEcho)
{
    Press(-1, 'a');
    EXPECT_EQ(console->GetInput(), "");  // closed: nothing typed
    Press(KEY_OEM_3, 'x');               // the opening frame types nothing yet
    ASSERT_TRUE(console->IsOpen());
    Press(-1, '\b');  // backspace on an empty line
    Press(KEY_UP);    // nothing to recall
    EXPECT_EQ(console->GetInput(), "");
    const size_t lines = console->GetOutput().size();
    testing::internal::CaptureStdout();
    Press(KEY_RETURN);  // an empty line adds nothing
    EXPECT_TRUE(console->GetOutput().size() == lines && console->GetHistory().empty());

    for (char c : std::string("ab")) Press(-1, c);
    Press(-1, '\b');
    EXPECT_EQ(console->GetInput(), "a");
    Press(KEY_RETURN);
    for (const char* line : {"b", "c", "c", "c"}) {
        console->TypeCharacter(line[0]);
        Press(KEY_RETURN);
    }
    EXPECT_EQ(TestSupport::Count(testing::internal::GetCapturedStdout(), "Enter triggered\n"), 6u);
    EXPECT_EQ(console->GetHistory(), (Lines{"a", "b", "c"}));  // equal neighbours collapse
    Lines seen;
    for (int key : {KEY_UP, KEY_UP, KEY_UP, KEY_UP, KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_DOWN}) {
        Press(key);
        seen.push_back(console->GetInput());
    }
    EXPECT_EQ(seen, (Lines{"c", "b", "a", "a", "b", "c", "", ""}));
    EXPECT_EQ(Console::GetHistoryCursor(), 0);

    // 150 characters echo as "] " alone, then 66, 66 and 18; 66 as one line.
    const std::string long150 = "x" + std::string(149, 'y');
    EXPECT_EQ(Run(long150), (Lines{"] ", long150.substr(0, 66), long150.substr(66, 66), long150.substr(132),
                                   "Unknown command: " + long150}));
    EXPECT_EQ(Run(std::string(66, 'q')), (Lines{"Unknown command: " + std::string(66, 'q')}));
}

TEST_F(ConsoleTest, OutputKeepsTheNewestLinesAndScrolls)
{
    Run("clear");
    for (unsigned i = 0; i < Console::LINE_LIMIT + 1; ++i) console->Print("line " + std::to_string(i));
    EXPECT_EQ(console->GetOutput().size(), Console::LINE_LIMIT);
    EXPECT_EQ(console->GetOutput().front(), "line 1");
    Run(std::string(150, 'z'));  // a full output stays full through a long echo
    EXPECT_EQ(console->GetOutput().size(), Console::LINE_LIMIT);

    Run("clear");
    for (int i = 0; i < 30; ++i) console->Print("line " + std::to_string(i));
    for (char c : "0123456789" + std::string(60, 'k')) console->TypeCharacter(c);
    EXPECT_EQ(console->InputLine().text, " > 56789" + std::string(60, 'k'));
    EXPECT_EQ(console->InputLine().position, glm::vec2(-96.0f, -157.0f));
    std::vector<Console::TextLine> rows = console->CollectLines();
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows.back().text, "line 29");
    EXPECT_EQ(rows.back().position, glm::vec2(-86.0f, -129.0f));

    // Home: one frame with nothing, then the oldest alone in the bottom row.
    Press(KEY_OEM_3);
    Press(KEY_HOME);
    EXPECT_TRUE(console->CollectLines().empty());
    rows = console->CollectLines();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "line 0");
    Press(KEY_PAGEDOWN);
    EXPECT_EQ(console->CollectLines().size(), 2u);
    Press(KEY_END);
    EXPECT_EQ(console->CollectLines().size(), 26u);

    EXPECT_EQ(ExpandTabs("ab\t\tc"), "ab" + std::string(6, ' ') + "c");
    std::string text = "  spawn\t ";
    EXPECT_EQ(Trim(text), "spawn\t");
    EXPECT_EQ(text, "spawn\t");
}

TEST_F(ConsoleTest, GraphSamplesAndSegments)
{
    GameObject* graph = console->GetGraphObject();
    ASSERT_NE(graph, nullptr);
    const float base = console->GraphOrigin().y;  // inside the backing, below its middle
    double& dt = System::GetInstance()->frameRateController->dt;
    dt = 1.0 / 64.0;
    for (int i = 0; i < 32; ++i) console->Update();
    EXPECT_TRUE(console->GetGraphSamples().empty());
    console->Update();  // the 33rd
    ASSERT_EQ(console->GetGraphSamples().size(), 1u);
    EXPECT_EQ(console->GetGraphSamples()[0], glm::vec2(graph->position.x - 20.0f, graph->position.y - 60.0f + 128.0f));
    dt = 1.0 / 32.0;  // every 17th update, 64 above
    for (int i = 0; i < 17 * 11; ++i) console->Update();
    ASSERT_EQ(console->GetGraphSamples().size(), 11u);
    EXPECT_EQ(console->GetGraphSamples()[0].y, base + 64.0f);  // the 12th dropped the oldest
    dt = 0.0;  // no time, no sample
    for (int i = 0; i < 100; ++i) console->Update();
    dt = 2.0;  // a slow frame counts as 0.05 s
    for (int i = 0; i < 11; ++i) console->Update();
    EXPECT_EQ(console->GetGraphSamples().back().y, base + 40.0f);

    EXPECT_EQ(Console::GraphStep(512.0f), 23);
    const glm::vec3 at(-70.0f, 50.0f, -3.0f);
    const auto segments = Console::GraphSegments({{-70, 10}, {-70, 80}, {-70, 81}, {-70, 111}, {-70, 178}}, at,
                                                 512.0f, 2.0f);
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[0].from, glm::vec2(-70.0f + 4 * 23, 178.0f));  // d = 128
    EXPECT_EQ(segments[0].colour, glm::vec4(0, 1, 0, 1));
    EXPECT_EQ(segments[1].colour, glm::vec4(0, 1, 0, 1));  // d = 61
    EXPECT_EQ(segments[2].colour, glm::vec4(1, 1, 0, 1));  // d = 31
    EXPECT_EQ(segments[3].colour, glm::vec4(1, 0, 0, 1));  // d = 30
}

TEST_F(ConsoleTest, CommandTable)
{
    const std::vector<std::pair<std::string, Lines>> rows = {
        {"quit now", {"Unknown command: quit now"}},
        {"delete", {}},
        {"deletex", {}},
        {"delete crate", {"Deleted crate(not working, upvote this to KM if you want it)"}},
        {"goto ", {}},
        {"goto    ", {"Invalid level name"}},
        {"goto level99", {"level99 is not a valid gamestate to load."}},
        {"goto missing.xml", {"missing.xml cannot be found in the level folder"}},  // logged, echoed
        {"password", {"You're so smart."}},
        {"password abc", {"Password *** accepted. Additional options is now available."}},
        {"spawn clear", {"All jobs in the queue has been cleared!"}},
        {"spawn 3 -1 0", {"Missing or incorrect parameters!"}},
        {"spawn 3 0 16", {"Spawn job has been added to queue."}},
        {"god 1", {"God mode enabled."}},
        {"editor", {"Invalid level to edit.", "Type a gamestate name or a .xml file name"}},
        {"edit nothere.xml", {"Level nothere.xml does not exist"}},
        {"save", {"Saved as splash.xml"}},
        {"save mine.xml", {"Saved as mine.xml"}},
        // A refusal: one reason, once (logged, echoed); no previous file to keep.
        {"save mine.txt", {"Level not saved as mine.txt: \"mine.txt\" does not end in .xml"}},
        {"save .xml", {"Level not saved as .xml: \".xml\" has no name before .xml"}},
    };
    for (const auto& row : rows) EXPECT_EQ(Run(row.first), row.second) << "\"" << row.first << "\"";
    EXPECT_EQ(Run("spawn   ").size(), 9u);
    EXPECT_EQ(Run("spawn")[8], "\t\tFLYING     - 13");
    EXPECT_TRUE(OutputHas("] password abc"));  // the echo keeps what was typed
    EXPECT_TRUE(console->IsGodMode());
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH);  // none of these asked for a state

    const Lines help = Run("help");
    ASSERT_EQ(help.size(), 15u);
    EXPECT_EQ(help[5], "\t\t\t# = level (enum; leave # empty default to current level)");
    const Lines list = Run("list");
    ASSERT_EQ(list.size(), 47u);
    EXPECT_EQ(Lines(list.begin(), list.begin() + 2), (Lines{"SPLASH - splash.xml", " - splash_controller.xml"}));
    EXPECT_EQ(list[11], "LEVEL5 - Twister.xml ");

    // Graph, logging and quitting.
    Run("fps 1");
    EXPECT_FALSE(console->GetGraphObject()->flags & OBJ_SKIP_DRAW);
    Run("fps 0");
    EXPECT_TRUE(console->GetGraphObject()->flags & OBJ_SKIP_DRAW);
    EXPECT_EQ(Run("log 0"), (Lines{"Logging is turned Off"}));
    testing::internal::CaptureStdout();
    QRX_LOG_INFO("not on the page");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(console->GetOutput().back(), "not on the page");
    EXPECT_EQ(TestSupport::ReadFile(System::GetInstance()->logger->GetPath()).find("not on the page"),
              std::string::npos);
    Run("quit");
    EXPECT_FALSE(System::GetInstance()->IsRunning());
}

TEST_F(ConsoleTest, StateRequests)
{
    EXPECT_EQ(Run("goto level1"), (Lines{"Loading level: LEVEL1"}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    EXPECT_EQ(Run("goto BOOM.xml more"), (Lines{"Loading level: BOOM.xml"}));
    EXPECT_EQ(gsm.GetLevelManager()->GetFreeLoadPath(), "BOOM.xml");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_FREELOAD);
    EXPECT_EQ(Run("goto Warm Up.xml"), (Lines{"Loading level: Warm Up.xml"}));  // a file name with a blank
    Frame();
    Run("goto Bazinga.xml");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_FREELOADNEXT);
    EXPECT_EQ(Run("save"), (Lines{"Saved as Bazinga.xml"}));  // the free-load file
    EXPECT_NE(TestSupport::ReadFile(scratch.LevelFile("Bazinga.xml")).find("<Row>"), std::string::npos);
    Go(STATE_LEVEL1);
    EXPECT_EQ(Run("goto"), (Lines{"Loading next level in leveltable"}));
    EXPECT_EQ(gsm.GetRequestedState(), 17);

    // Each edit command names the editor's file and asks for the editor.
    LevelEditor* editor = FindLevelEditor();
    ASSERT_NE(editor, nullptr);
    testing::internal::CaptureStdout();
    const std::vector<std::pair<std::string, std::string>> edits = {
        {"edit new", "leveltemplate.xml"}, {"edit level1", "The Throw.xml"}, {"edit BOOM.xml", "BOOM.xml"},
        {"edit", "The Throw.xml"}};
    for (const auto& edit : edits) {
        editor->SetFileName("");
        gsm.RequestState(STATE_LEVEL1);
        Run(edit.first);
        EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVELEDITOR) << edit.first;
        EXPECT_EQ(editor->GetFileName(), edit.second) << edit.first;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("The Throw.xml\n"), std::string::npos);  // "edit" names the level's file
    Frame();
    EXPECT_EQ(gsm.GetCurrentState(), STATE_LEVELEDITOR);
}

TEST_F(ConsoleTest, EchoAndDisplayObjects)
{
    GameObject* panel = console->GetConsoleObject();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->position, glm::vec3(150.0f, 80.0f, -2.0f));
    // No window: in the bottom right corner of one of the layout's size.
    EXPECT_EQ(console->GetGraphObject()->position, glm::vec3(512.0f - 136.0f, 136.0f - 384.0f, -3.0f));
    EXPECT_EQ(panel->scale, glm::vec3(512.0f, 512.0f, 1.0f));
    EXPECT_EQ(panel->flags & (OBJ_PERSISTENT | OBJ_SKIP_DRAW), OBJ_PERSISTENT | OBJ_SKIP_DRAW);
    Press(KEY_OEM_3);
    EXPECT_FALSE(panel->flags & OBJ_SKIP_DRAW);
    EXPECT_TRUE(Camera::ReadInput().consoleOpen);
    Press(KEY_ESCAPE);
    EXPECT_TRUE(panel->flags & OBJ_SKIP_DRAW);

    // A console before its Load takes no echo; after it, one line per text line.
    auto fresh = std::make_unique<Console>();
    System::GetInstance()->console = fresh.get();
    testing::internal::CaptureStdout();
    QRX_LOG_INFO("before load");
    fresh->Load();
    QRX_LOG_INFO("a\nb");
    QRX_LOG_WARNING("ends with a newline\n");
    testing::internal::GetCapturedStdout();
    System::GetInstance()->console = console;
    EXPECT_EQ(Lines(fresh->GetOutput().begin(), fresh->GetOutput().end()), (Lines{"a", "b", "ends with a newline"}));
    GameObject* other = fresh->GetConsoleObject();
    fresh.reset();
    EXPECT_FALSE(other->flags & OBJ_PERSISTENT);  // handed back to the pool
}

TEST_F(ConsoleTest, MissingMastersLeaveTheObjectsOut)
{
    System* system = System::GetInstance();
    ObjectManager* real = system->objectManager;
    auto spare = std::make_unique<ObjectManager>();  // no masters loaded, none found
    system->objectManager = spare.get();
    RegisterComponentFactories();
    const std::string empty = TestSupport::MakeTempDir();
    spare->SetObjectFolder(empty + "/");
    Logger::SetDialogAvailableOverride(0);

    auto lonely = std::make_unique<Console>();
    testing::internal::CaptureStdout();
    lonely->Load();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[LOG] ERROR - Problem creating console object!"), std::string::npos);
    EXPECT_EQ(out.find("FPSGRAPH"), std::string::npos);  // not attempted
    system->frameRateController->dt = 0.05;
    for (int i = 0; i < 30; ++i) lonely->Update();  // no sampling, no crash
    EXPECT_TRUE(lonely->GetGraphSamples().empty());
    lonely->DrawFPSGraph();
    for (char c : std::string("fps 1")) lonely->TypeCharacter(c);
    lonely->SubmitLine();
    EXPECT_EQ(lonely->GetGraphMode(), 1);
    lonely.reset();
    spare->Shutdown();
    spare.reset();
    system->objectManager = real;
    Logger::SetDialogAvailableOverride(-1);
    TestSupport::RemoveTree(empty);
}

TEST_F(ConsoleTest, TypedThroughTheGameFlow)
{
    Go(STATE_LEVEL1);
    EXPECT_TRUE(OutputHas("Skipping console object creation. It appears to have existed already."));
    FrameWithKey(KEY_OEM_3);
    ASSERT_TRUE(console->IsOpen());
    testing::internal::CaptureStdout();
    EnterThroughFrames("clear");  // its C must not skip the level
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    for (int i = 0; i < 10; ++i) Frame();
    EnterThroughFrames("restart");
    EXPECT_DOUBLE_EQ(level.GetLevelTime(), 0.0);
    EXPECT_FALSE(OutputHas("Skipping console object creation. It appears to have existed already."));
    EnterThroughFrames("reload");  // Load runs again
    EXPECT_TRUE(OutputHas("Skipping console object creation. It appears to have existed already."));
    FrameWithKey(KEY_ESCAPE);  // closes the console, opens no pause menu
    EXPECT_FALSE(console->IsOpen());
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    FrameWithKey(KEY_ESCAPE);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_PAUSEMENU);

    Go(STATE_LOADING);
    FrameWithKey(KEY_OEM_3);
    EnterThroughFrames("quit");
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(System::GetInstance()->IsRunning());
}

TEST_F(ConsoleTest, TypingFasterThanTheFramesKeepsEveryCharacterInOrder)
{
    // What comes before the console key is the game's; after it, the line's.
    TypeInOneFrame("p`help");
    ASSERT_TRUE(console->IsOpen());
    EXPECT_TRUE(InputManager::IsKeyboardTaken());
    EXPECT_EQ(console->GetInput(), "help");
    EXPECT_EQ(unclaimed, "p");
    // Shifted letters, and Enter between two lines of one frame.
    TypeInOneFrame("\b\b\b\bgoto ^L^E^V^E^L6 x\nlist");
    EXPECT_EQ(console->GetHistory().back(), "goto LEVEL6 x");
    EXPECT_EQ(console->GetInput(), "list");
    EXPECT_EQ(unclaimed, "");
    // Escape in the middle: the rest is the game's, and the console is shut.
    TypeInOneFrame("s\x1bwasd");
    EXPECT_FALSE(console->IsOpen());
    EXPECT_EQ(console->GetInput(), "lists");
    EXPECT_EQ(unclaimed, "wasd");
    // The console key's own character (a layout that makes one) is never
    // text, neither the line's nor, as it closes, the game's.
    TypeInOneFrame("`");
    ASSERT_TRUE(console->IsOpen());
    input->KeyDown(VK_OEM_3);
    input->OnCharacter('o');
    input->KeyUp(VK_OEM_3);
    input->KeyDown('K');
    input->OnCharacter('k');
    input->KeyUp('K');
    console->Update();
    EXPECT_EQ(input->GetUnclaimedText(), "k");
    input->Update();
    EXPECT_FALSE(console->IsOpen());
    EXPECT_FALSE(InputManager::IsKeyboardTaken());
    TypeInOneFrame("`");
    ASSERT_TRUE(console->IsOpen());
    EXPECT_EQ(console->GetInput(), "lists");
    // Ten letters in one frame, none lost.
    TypeInOneFrame("\babcdefghij");
    EXPECT_EQ(console->GetInput(), "listabcdefghij");
}

} // namespace
