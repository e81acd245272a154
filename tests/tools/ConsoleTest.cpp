// The in-game console without a window: input, history, output and its
// layout, the graph's samples, the command table, the logger's echo and the
// console inside the game flow (the states load and update it).
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/InputManager.h"
#include "engine/graphics/Camera.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/LoadingLevel.h"
#include "tools/Console.h"
#include "flow/StateTestKit.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

using Lines = std::vector<std::string>;

const char* const SAVE_REASON = "The level editor, which writes level files, is not available.";

// A console in a small engine whose splash screen has loaded (and so made
// the console's objects).
class ConsoleTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        StateTest::SetUp();
        System* system = System::GetInstance();
        system->inputManager = new InputManager();
        system->console = new Console();
        console = system->console;
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::LoadingLevel, &loading);
        ASSERT_TRUE(gsm.Initialize());
    }
    void TearDown() override
    {
        System* system = System::GetInstance();
        // The console's objects go back to the pool before the pool goes.
        delete system->console;
        system->console = nullptr;
        delete system->inputManager;
        system->inputManager = nullptr;
        StateTest::TearDown();
    }

    // One console update with a key going down (released afterwards).
    void Press(int key)
    {
        InputManager::current[key] = 1;
        console->Update();
        ReleaseKeys();
    }
    // One console update in which a character was typed.
    void TypeKey(char c)
    {
        InputManager* input = System::GetInstance()->inputManager;
        input->OnCharacter(static_cast<unsigned char>(c));
        console->Update();
        input->Update();
    }
    // Types the line straight into the input and submits it.
    void Submit(const std::string& line)
    {
        for (char c : line) console->TypeCharacter(c);
        console->SubmitLine();
    }
    // Submits the line and returns what it printed after its echo.
    Lines Run(const std::string& line)
    {
        const size_t before = console->GetOutput().size();
        Submit(line);
        Lines printed(console->GetOutput().begin() + static_cast<long>(before), console->GetOutput().end());
        if (!printed.empty() && printed.front() == "] " + line) printed.erase(printed.begin());
        return printed;
    }
    // Types the line and presses Enter through the game's frames, as a user does.
    void EnterThroughFrames(const std::string& line)
    {
        InputManager* input = System::GetInstance()->inputManager;
        for (char c : line) {
            // A letter is a key going down as well as a character.
            if (std::isalpha(static_cast<unsigned char>(c))) InputManager::current[KEY_A + (std::toupper(c) - 'A')] = 1;
            input->OnCharacter(static_cast<unsigned char>(c));
            Frame();
            input->Update();
            ReleaseKeys();
        }
        InputManager::current[KEY_RETURN] = 1;
        Frame();
        input->Update();
        ReleaseKeys();
    }
    bool OutputHas(const std::string& line) const
    {
        for (const std::string& l : console->GetOutput())
            if (l == line) return true;
        return false;
    }

    Console* console = nullptr;
    BaseLevel level;
    LoadingLevel loading;
};

// Input and echo -------------------------------------------------------------

TEST_F(ConsoleTest, TypingEditsTheInputOnlyWhileOpen)
{
    TypeKey('a');
    EXPECT_EQ(console->GetInput(), "");  // closed: nothing typed

    // The frame that opens the console types nothing yet.
    System::GetInstance()->inputManager->OnCharacter('x');
    Press(KEY_OEM_3);
    ASSERT_TRUE(console->IsOpen());
    EXPECT_EQ(console->GetInput(), "");

    TypeKey('\b');  // backspace on an empty line
    EXPECT_EQ(console->GetInput(), "");
    for (char c : std::string("fps 1")) TypeKey(c);
    EXPECT_EQ(console->GetInput(), "fps 1");
    TypeKey('\b');
    EXPECT_EQ(console->GetInput(), "fps ");
}

TEST_F(ConsoleTest, EnterOnAnEmptyLineAddsNothing)
{
    Press(KEY_OEM_3);
    const size_t lines = console->GetOutput().size();
    testing::internal::CaptureStdout();
    Press(KEY_RETURN);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Enter triggered\n");
    EXPECT_EQ(console->GetOutput().size(), lines);
    EXPECT_TRUE(console->GetHistory().empty());
}

TEST_F(ConsoleTest, LongLinesAreEchoedInPiecesOfSixtySix)
{
    const std::string line150 = "x" + std::string(149, 'y');
    const size_t before = console->GetOutput().size();
    Submit(line150);
    const Lines echo(console->GetOutput().begin() + static_cast<long>(before), console->GetOutput().begin() +
                                                                                   static_cast<long>(before) + 4);
    EXPECT_EQ(echo, (Lines{"] ", line150.substr(0, 66), line150.substr(66, 66), line150.substr(132)}));
    EXPECT_EQ(echo[3].size(), 18u);
    EXPECT_EQ(console->GetOutput().back(), "Unknown command: " + line150);
    EXPECT_EQ(console->GetInput(), "");

    const std::string line66(66, 'q');
    Submit(line66);
    const auto& out = console->GetOutput();
    EXPECT_EQ(out[out.size() - 2], "] " + line66);
}

// History ----------------------------------------------------------------------

TEST_F(ConsoleTest, UpAndDownWalkTheHistoryAndStopAtItsEnds)
{
    Press(KEY_OEM_3);
    Press(KEY_UP);  // nothing to recall yet
    EXPECT_EQ(console->GetInput(), "");
    for (const char* line : {"a", "b", "c"}) {
        console->TypeCharacter(line[0]);
        Press(KEY_RETURN);
    }
    EXPECT_EQ(Console::GetHistoryCursor(), 0);

    Lines seen;
    for (int i = 0; i < 5; ++i) {
        Press(KEY_UP);
        seen.push_back(console->GetInput());
    }
    EXPECT_EQ(seen, (Lines{"c", "b", "a", "a", "a"}));
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        Press(KEY_DOWN);
        seen.push_back(console->GetInput());
    }
    EXPECT_EQ(seen, (Lines{"b", "c", "", ""}));
    EXPECT_EQ(Console::GetHistoryCursor(), 0);
}

TEST_F(ConsoleTest, RepeatedLinesLeaveOneHistoryEntry)
{
    Press(KEY_OEM_3);
    for (int i = 0; i < 3; ++i) {
        for (char c : std::string("fps 1")) console->TypeCharacter(c);
        testing::internal::CaptureStdout();
        Press(KEY_RETURN);
        testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(console->GetHistory(), (Lines{"fps 1"}));
    Submit("fps 0");
    Submit("fps 1");  // not a neighbour of the first: kept apart
    console->TypeCharacter('x');
    testing::internal::CaptureStdout();
    Press(KEY_RETURN);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(console->GetHistory(), (Lines{"fps 1", "fps 0", "fps 1", "x"}));
}

// Output and its layout ----------------------------------------------------------

TEST_F(ConsoleTest, OutputKeepsTheNewestLines)
{
    Submit("clear");
    ASSERT_TRUE(console->GetOutput().empty());
    for (unsigned i = 0; i < Console::LINE_LIMIT; ++i) console->Print("line " + std::to_string(i));
    EXPECT_EQ(console->GetOutput().front(), "line 0");
    console->Print("one more");
    EXPECT_EQ(console->GetOutput().size(), Console::LINE_LIMIT);
    EXPECT_EQ(console->GetOutput().front(), "line 1");
    EXPECT_EQ(console->GetOutput().back(), "one more");

    // A full output stays full through a long echo.
    Submit(std::string(150, 'z'));
    EXPECT_EQ(console->GetOutput().size(), Console::LINE_LIMIT);
}

TEST_F(ConsoleTest, RowsFillTheBottomOfThePanelAndScroll)
{
    Submit("clear");
    for (int i = 0; i < 30; ++i) console->Print("line " + std::to_string(i));
    const std::string typed = "0123456789" + std::string(60, 'k');
    for (char c : typed) console->TypeCharacter(c);

    const Console::TextLine input = console->InputLine();
    EXPECT_EQ(input.text, " > " + typed.substr(5));
    EXPECT_EQ(input.position, glm::vec2(-96.0f, -157.0f));
    EXPECT_EQ(input.colorIndex, 11);

    std::vector<Console::TextLine> rows = console->CollectLines();
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows.back().text, "line 29");
    EXPECT_EQ(rows.back().position, glm::vec2(-86.0f, -129.0f));
    EXPECT_EQ(rows.front().text, "line 4");
    EXPECT_EQ(rows.front().position, glm::vec2(-86.0f, 296.0f));
    EXPECT_EQ(rows.front().colorIndex, 7);

    // Home: one frame with nothing, then the oldest line alone in the bottom row.
    Press(KEY_OEM_3);
    Press(KEY_HOME);
    EXPECT_EQ(console->GetScrollOffset(), 30u);
    EXPECT_TRUE(console->CollectLines().empty());
    rows = console->CollectLines();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "line 0");
    EXPECT_EQ(rows[0].position.y, -129.0f);

    // Page Down and Page Up move by one line; End shows the newest again.
    Press(KEY_PAGEDOWN);
    EXPECT_EQ(console->CollectLines().size(), 2u);
    Press(KEY_PAGEUP);
    EXPECT_EQ(console->GetScrollOffset(), 29u);
    Press(KEY_END);
    rows = console->CollectLines();
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows.back().text, "line 29");

    // Submitting scrolls to the newest line.
    Press(KEY_PAGEUP);
    Submit("god 1");
    EXPECT_EQ(console->GetScrollOffset(), 0u);
}

TEST_F(ConsoleTest, PageUpStopsAtTheLineLimit)
{
    Press(KEY_OEM_3);
    for (unsigned i = 0; i < Console::LINE_LIMIT + 5; ++i) Press(KEY_PAGEUP);
    EXPECT_EQ(console->GetScrollOffset(), Console::LINE_LIMIT);
    Press(KEY_END);
    Press(KEY_PAGEDOWN);  // already at the newest
    EXPECT_EQ(console->GetScrollOffset(), 0u);
}

TEST(ConsoleText, TabsExpandToTheNextColumnOfFourAndTrimTakesBlanksOnly)
{
    EXPECT_EQ(ExpandTabs("ab\t\tc"), "ab" + std::string(6, ' ') + "c");
    EXPECT_EQ(ExpandTabs("\tx"), "    x");
    EXPECT_EQ(ExpandTabs("abcd\t"), "abcd    ");
    EXPECT_EQ(ExpandTabs(""), "");

    std::string text = "  spawn 3  ";
    EXPECT_EQ(Trim(text), "spawn 3");
    EXPECT_EQ(text, "spawn 3");
    std::string blanks = "    ";
    EXPECT_EQ(Trim(blanks), "");
    std::string tabbed = "\tkeep\t";
    EXPECT_EQ(Trim(tabbed), "\tkeep\t");
}

// Graph --------------------------------------------------------------------------

TEST_F(ConsoleTest, GraphTakesASampleEveryHalfSecondAndKeepsEleven)
{
    GameObject* graph = console->GetGraphObject();
    ASSERT_NE(graph, nullptr);
    const float base = graph->position.y;
    double& dt = System::GetInstance()->frameRateController->dt;
    dt = 1.0 / 64.0;
    for (int i = 0; i < 32; ++i) console->Update();
    EXPECT_TRUE(console->GetGraphSamples().empty());
    console->Update();  // the 33rd
    ASSERT_EQ(console->GetGraphSamples().size(), 1u);
    EXPECT_EQ(console->GetGraphSamples()[0], glm::vec2(graph->position.x, base + 128.0f));

    // At 1/32 s a sample comes every 17th update, 64 above the graph.
    dt = 1.0 / 32.0;
    for (int sample = 2; sample <= 11; ++sample)
        for (int i = 0; i < 17; ++i) console->Update();
    ASSERT_EQ(console->GetGraphSamples().size(), 11u);
    EXPECT_EQ(console->GetGraphSamples()[0].y, base + 128.0f);
    for (int i = 0; i < 17; ++i) console->Update();  // the 12th drops the oldest
    ASSERT_EQ(console->GetGraphSamples().size(), 11u);
    for (const glm::vec2& sample : console->GetGraphSamples()) EXPECT_EQ(sample.y, base + 64.0f);

    // A frame time of 0 or below adds nothing; a slow frame counts as 0.05 s.
    dt = 0.0;
    for (int i = 0; i < 100; ++i) console->Update();
    dt = -1.0;
    for (int i = 0; i < 100; ++i) console->Update();
    EXPECT_EQ(console->GetGraphSamples().back().y, base + 64.0f);
    dt = 2.0;
    for (int i = 0; i < 11; ++i) console->Update();
    EXPECT_EQ(console->GetGraphSamples().size(), 11u);
    EXPECT_EQ(console->GetGraphSamples().back().y, base + 40.0f);
}

TEST(ConsoleGraph, SegmentsStepRightAndTakeTheColourOfTheirNewerSample)
{
    EXPECT_EQ(Console::GraphStep(512.0f), 23);
    EXPECT_EQ(Console::GraphStep(0.0f), 0);

    const glm::vec3 at(-70.0f, 50.0f, -3.0f);
    EXPECT_TRUE(Console::GraphSegments({}, at, 512.0f, 2.0f).empty());
    EXPECT_TRUE(Console::GraphSegments({{-70.0f, 178.0f}}, at, 512.0f, 2.0f).empty());

    // Heights 128 (green), 61 (green), 60 and 31 (yellow), 30 (red) above the graph.
    const std::deque<glm::vec2> samples{{-70.0f, 80.0f}, {-70.0f, 81.0f}, {-70.0f, 110.0f}, {-70.0f, 111.0f},
                                        {-70.0f, 178.0f}};
    const std::vector<Console::GraphSegment> segments = Console::GraphSegments(samples, at, 512.0f, 2.0f);
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[0].from, glm::vec2(-70.0f + 4 * 23, 178.0f));
    EXPECT_EQ(segments[0].to, glm::vec2(-70.0f + 3 * 23, 111.0f));
    EXPECT_EQ(segments[0].colour, glm::vec4(0, 1, 0, 1));
    EXPECT_EQ(segments[1].colour, glm::vec4(0, 1, 0, 1));
    EXPECT_EQ(segments[2].colour, glm::vec4(1, 1, 0, 1));
    EXPECT_EQ(segments[3].colour, glm::vec4(1, 1, 0, 1));
    EXPECT_EQ(segments[3].to, glm::vec2(-70.0f, 80.0f));
    const std::vector<Console::GraphSegment> red =
        Console::GraphSegments({{-70.0f, 10.0f}, {-70.0f, 80.0f}}, at, 512.0f, 2.0f);
    EXPECT_EQ(red[0].colour, glm::vec4(1, 0, 0, 1));
}

// Commands -------------------------------------------------------------------------

TEST_F(ConsoleTest, CommandTable)
{
    const Lines usage{"Usage:",
                      "\tparam1 - count\t\t(number of enemy)",
                      "\tparam2 - interval\t(time between each spawn)",
                      "\tparam3 - type\t\t(type of enemy to spawn)",
                      "\t\tType code:",
                      "\t\tRUNNINGMEN - 0",
                      "\t\tGIANT      - 16",
                      "\t\tRANGED     - 15",
                      "\t\tFLYING     - 13"};
    const std::string nothing = "This function does nothing, yet.";
    struct Row
    {
        std::string line;
        Lines printed;
    };
    const std::vector<Row> rows = {
        {"quit now", {"Unknown command: quit now"}},
        {"exit 1", {"Unknown command: exit 1"}},
        {"delete", {}},
        {"deletex", {}},
        {"delete crate", {"Deleted crate(not working, upvote this to KM if you want it)"}},
        {"goto ", {}},
        {"gotox", {}},
        {"goto    ", {"Invalid level name"}},
        {"goto level99", {"level99 is not a valid gamestate to load."}},
        {"password", {"You're so smart."}},
        {"password abc", {"Password *** accepted. Additional options is now available."}},
        {"passwordx", {"Passwordx accepted. Additional options is now available."}},
        {"spawn", usage},
        {"spawn   ", usage},
        {"spawn clear", {"All jobs in the queue has been cleared!"}},
        {"spawn 3 -1 0", {"Missing or incorrect parameters!"}},
        {"spawn 3 0 16", {"Spawn job has been added to queue."}},
        {"spawn 3 0.5", {"Missing or incorrect parameters!"}},
        {"spawn three", {"Missing or incorrect parameters!"}},
        {"mainmenu", {nothing}},
        {"mouse 2", {nothing}},
        {"debugdraw 1", {nothing}},
        {"god 1", {"God mode enabled."}},
        {"god 0", {"God mode disabled."}},
        {"waves 0", {"Waves spawns are halted indefinitely."}},
        {"waves 1", {"Waves spawns will now resume from this time on."}},
        {"objsize", {}},
        {"log", {}},
        {"fps 9", {"Unknown command: fps 9"}},
        {"editor", {"Invalid level to edit.", "Type a gamestate name or a .xml file name"}},
        {"edit nowhere", {"Level NOWHERE was not found in level table to be loaded. Check LevelManager"}},
        {"edit freeload", {"Level FREELOAD was not found in level table to be loaded. Check LevelManager"}},
        {"save", {"Failed to save splash.xml (the previous file is kept)", SAVE_REASON}},
        {"save mine.xml", {"Failed to save mine.xml (the previous file is kept)", SAVE_REASON}},
        {"savex", {}},
        {"", {}},
    };
    for (const Row& row : rows) EXPECT_EQ(Run(row.line), row.printed) << "line: \"" << row.line << "\"";

    // The echo and the history keep what was typed.
    EXPECT_TRUE(OutputHas("] password abc"));
    EXPECT_EQ(console->GetHistory()[10], "password abc");
    EXPECT_EQ(console->GetMouseMode(), 2);
    EXPECT_TRUE(console->IsDebugDraw());
    EXPECT_FALSE(console->IsGodMode());
    // None of these asked for another state.
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH);
    EXPECT_TRUE(System::GetInstance()->IsRunning());
}

TEST_F(ConsoleTest, HelpAndListPrintTheirTexts)
{
    EXPECT_EQ(Run("help"), (Lines{"Commands available:", "clear\t-\tclear the console prompt", "quit\t-\texit game",
                                  "fps #\t-\tshow frames per second graph. 0 = off, 1 = on",
                                  "edit #\t-\tenter level editor using data for specified level.",
                                  "\t\t\t# = level (enum; leave # empty default to current level)",
                                  "\t\t\t# = new to create a new level to edit",
                                  "goto #\t-\tload a specific level. # = level (enum)",
                                  "\t\t\t# = 'yourlevelname.xml' load custom xml)",
                                  "save #\t-\tsave current level state to an levelname.XML file.",
                                  "\t\t\t# = level (enum)", "restart\t-\treset current level",
                                  "reload\t-\tfully unload and reload current level",
                                  "list #\t-\tdisplay available levels/paths in levelloadtable.",
                                  "log #\t-\tdisplay or set log status. 0 = off, 1 = on"}));

    const Lines list = Run("list");
    ASSERT_EQ(list.size(), 47u);
    EXPECT_EQ(list[0], "SPLASH - splash.xml");
    EXPECT_EQ(list[1], " - splash_controller.xml");
    EXPECT_EQ(list[2], " - loading.xml");
    EXPECT_EQ(list[9], "LEVEL4 - Warm Up.xml");
    EXPECT_EQ(list[11], "LEVEL5 - Twister.xml ");
    EXPECT_EQ(list[46], "FREELOADNEXT - ");

    Submit("clear");
    EXPECT_TRUE(console->GetOutput().empty());
}

TEST_F(ConsoleTest, QuitClearsTheRunningBit)
{
    Submit("quit");
    EXPECT_FALSE(System::GetInstance()->IsRunning());
    System::GetInstance()->flags = SYSTEM_RUNNING;
    Submit("exit");
    EXPECT_FALSE(System::GetInstance()->IsRunning());
}

TEST_F(ConsoleTest, FpsShowsAndHidesTheGraphObject)
{
    GameObject* graph = console->GetGraphObject();
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(graph->flags & OBJ_SKIP_DRAW);
    Submit("fps 1");
    EXPECT_EQ(console->GetGraphMode(), 1);
    EXPECT_FALSE(graph->flags & OBJ_SKIP_DRAW);
    Submit("fps 0");
    EXPECT_EQ(console->GetGraphMode(), 0);
    EXPECT_TRUE(graph->flags & OBJ_SKIP_DRAW);
    Submit("fps 2");
    EXPECT_EQ(console->GetGraphMode(), 2);
    EXPECT_FALSE(graph->flags & OBJ_SKIP_DRAW);
}

TEST_F(ConsoleTest, GotoRequestsLevelsByNameOrFile)
{
    EXPECT_EQ(Run("goto level1"), (Lines{"Loading level: LEVEL1"}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);

    LevelManager* levels = gsm.GetLevelManager();
    ASSERT_TRUE(levels->IsLevelFileFound("BOOM.xml"));
    EXPECT_EQ(Run("goto BOOM.xml and more"), (Lines{"Loading level: BOOM.xml"}));
    EXPECT_EQ(levels->GetFreeLoadPath(), "BOOM.xml");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_FREELOAD);
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_FREELOAD);
    // From the free load the next free load takes the other id.
    EXPECT_EQ(Run("goto Bazinga.xml"), (Lines{"Loading level: Bazinga.xml"}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_FREELOADNEXT);

    // A file the level folder does not hold is logged (and echoed here).
    const Lines missing = Run("goto missing.xml");
    EXPECT_EQ(missing, (Lines{"missing.xml cannot be found in the level folder"}));
    const std::string page = TestSupport::ReadFile(System::GetInstance()->logger->GetPath());
    EXPECT_NE(page.find("|QRX::Console::ExecuteCommand] <span style=\"color: #ff2776;\"><strong>ERROR</strong></span> "
                        "- missing.xml cannot be found in the level folder"),
              std::string::npos);
    EXPECT_EQ(levels->GetFreeLoadPath(), "Bazinga.xml");

    // "goto" alone asks for the level table's successor.
    Go(STATE_LEVEL1);
    EXPECT_EQ(Run("goto"), (Lines{"Loading next level in leveltable"}));
    EXPECT_EQ(gsm.GetRequestedState(), 17);
}

TEST_F(ConsoleTest, EditorRequestsAreRefusedUntilAnEditorStateExists)
{
    // The editor's level must exist before it is asked for.
    EXPECT_EQ(Run("edit nothere.xml"), (Lines{"Level nothere.xml does not exist"}));
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH);

    // The manager warns once and keeps the splash screen.
    testing::internal::CaptureStdout();
    for (const char* line : {"edit new", "edit level1", "edit BOOM.xml"}) {
        EXPECT_EQ(Run(line), Lines{}) << line;
        EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVELEDITOR) << line;
        Frame();
        EXPECT_EQ(gsm.GetCurrentState(), STATE_SPLASH);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "No state object serves state LEVELEDITOR (30)"), 1u) << out;

    // "edit" alone names the current level's file on standard output.
    testing::internal::CaptureStdout();
    Run("edit");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "splash.xml\n");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVELEDITOR);
}

TEST_F(ConsoleTest, SaveInAFreeLoadNamesTheFreeLoadFile)
{
    gsm.GetLevelManager()->SetFreeLoadPath("Warm Up.xml");
    Go(STATE_FREELOAD);
    EXPECT_EQ(Run("save"), (Lines{"Failed to save Warm Up.xml (the previous file is kept)", SAVE_REASON}));
    // The level list is read again from the folder.
    EXPECT_TRUE(gsm.GetLevelManager()->IsLevelFileFound("Warm Up.xml"));
}

TEST_F(ConsoleTest, LoggingSwitchesThePageButNotTheEcho)
{
    Logger* logger = System::GetInstance()->logger;
    EXPECT_EQ(Run("log 0"), (Lines{"Logging is turned Off"}));
    EXPECT_FALSE(logger->IsEnabled());
    testing::internal::CaptureStdout();
    QRX_LOG_INFO("hidden from the page");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(console->GetOutput().back(), "hidden from the page");
    EXPECT_EQ(Run("log 1"), (Lines{"Logging is turned On"}));
    EXPECT_TRUE(logger->IsEnabled());
    testing::internal::CaptureStdout();
    QRX_LOG_INFO("on the page");
    testing::internal::GetCapturedStdout();
    const std::string page = TestSupport::ReadFile(logger->GetPath());
    EXPECT_EQ(page.find("hidden from the page"), std::string::npos);
    EXPECT_NE(page.find("on the page"), std::string::npos);
}

// Echo and the display objects -----------------------------------------------------

TEST_F(ConsoleTest, LoggerEchoesOnceThePanelExistsOneLinePerTextLine)
{
    // A console without its objects takes no echo.
    Console fresh;
    System* system = System::GetInstance();
    system->console = &fresh;
    testing::internal::CaptureStdout();
    QRX_LOG_INFO("before load");
    fresh.Load();
    QRX_LOG_INFO("a\nb");
    QRX_LOG_WARNING("ends with a newline\n");
    QRX_LOG_INFO("%s", "");
    testing::internal::GetCapturedStdout();
    system->console = console;

    const std::deque<std::string>& out = fresh.GetOutput();
    for (const std::string& line : out) EXPECT_EQ(line.find("before load"), std::string::npos);
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(Lines(out.end() - 4, out.end()), (Lines{"a", "b", "ends with a newline", ""}));
    // Each console makes objects of its own.
    EXPECT_NE(fresh.GetConsoleObject(), console->GetConsoleObject());
}

TEST_F(ConsoleTest, LoadPlacesThePersistentObjectsOnceAndTheyOutliveLevels)
{
    GameObject* panel = console->GetConsoleObject();
    GameObject* graph = console->GetGraphObject();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(panel->type, GAMECONSOLE);
    EXPECT_EQ(graph->type, FPSGRAPH);
    EXPECT_EQ(panel->position, glm::vec3(150.0f, 80.0f, -2.0f));
    EXPECT_EQ(graph->position, glm::vec3(-70.0f, 50.0f, -3.0f));  // no window: height 0
    for (GameObject* o : {panel, graph}) {
        EXPECT_EQ(o->scale, glm::vec3(512.0f, 512.0f, 1.0f));
        EXPECT_TRUE(o->flags & OBJ_PERSISTENT);
        EXPECT_TRUE(o->flags & OBJ_SKIP_DRAW);
    }

    Submit("god 1");
    Go(STATE_LEVEL1);
    EXPECT_EQ(console->GetConsoleObject(), panel);
    EXPECT_TRUE(panel->flags & OBJ_ALIVE);
    EXPECT_TRUE(OutputHas("Skipping console object creation. It appears to have existed already."));
    EXPECT_TRUE(OutputHas("Skipping fpsgraph object creation. It appears to have existed already."));
    EXPECT_TRUE(OutputHas("] god 1"));
    EXPECT_EQ(System::GetInstance()->objectManager->GetPersistentObjects().size(), 2u);

    // The toggle key and Escape show and hide the panel.
    Press(KEY_OEM_3);
    EXPECT_FALSE(panel->flags & OBJ_SKIP_DRAW);
    EXPECT_TRUE(Camera::ReadInput().consoleOpen);
    Press(KEY_ESCAPE);
    EXPECT_FALSE(console->IsOpen());
    EXPECT_TRUE(panel->flags & OBJ_SKIP_DRAW);
    EXPECT_FALSE(Camera::ReadInput().consoleOpen);
    Press(KEY_ESCAPE);  // closed: stays closed
    Press(KEY_OEM_3);
    Press(KEY_OEM_3);
    EXPECT_FALSE(console->IsOpen());
}

TEST_F(ConsoleTest, MissingMastersLeaveTheObjectsOutAndTheConsoleWorks)
{
    // An object manager that has loaded no masters and finds none.
    System* system = System::GetInstance();
    ObjectManager* real = system->objectManager;
    auto spare = std::make_unique<ObjectManager>();
    system->objectManager = spare.get();
    RegisterComponentFactories();
    const std::string empty = TestSupport::MakeTempDir();
    spare->SetObjectFolder(empty + "/");
    Logger::SetDialogAvailableOverride(0);

    auto lonely = std::make_unique<Console>();
    testing::internal::CaptureStdout();
    lonely->Load();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[LOG] ERROR - Problem creating console object!"), std::string::npos) << out;
    EXPECT_EQ(out.find("FPSGRAPH"), std::string::npos);  // not attempted
    EXPECT_EQ(lonely->GetConsoleObject(), nullptr);
    EXPECT_EQ(lonely->GetGraphObject(), nullptr);

    // Sampling and the graph are skipped; the rest works.
    system->frameRateController->dt = 0.05;
    for (int i = 0; i < 30; ++i) lonely->Update();
    EXPECT_TRUE(lonely->GetGraphSamples().empty());
    lonely->DrawFPSGraph();
    InputManager::current[KEY_OEM_3] = 1;
    lonely->Update();
    ReleaseKeys();
    EXPECT_TRUE(lonely->IsOpen());
    for (char c : std::string("fps 1")) lonely->TypeCharacter(c);
    lonely->SubmitLine();
    EXPECT_EQ(lonely->GetGraphMode(), 1);
    lonely->Draw();  // no font manager: nothing queued, no crash
    EXPECT_EQ(lonely->GetOutput().back(), "] fps 1");

    // With the masters back the next Load makes both, shown as the console is.
    spare->SetObjectFolder(DEFAULT_OBJECT_FOLDER);
    testing::internal::CaptureStdout();
    lonely->Load();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(lonely->GetConsoleObject(), nullptr);
    ASSERT_NE(lonely->GetGraphObject(), nullptr);
    EXPECT_FALSE(lonely->GetConsoleObject()->flags & OBJ_SKIP_DRAW);
    EXPECT_FALSE(lonely->GetGraphObject()->flags & OBJ_SKIP_DRAW);

    lonely.reset();
    spare->Shutdown();
    spare.reset();
    system->objectManager = real;
    Logger::SetDialogAvailableOverride(-1);
    TestSupport::RemoveTree(empty);
}

TEST_F(ConsoleTest, DestructorHandsTheObjectsBack)
{
    Console* second = new Console();
    testing::internal::CaptureStdout();
    second->Load();
    testing::internal::GetCapturedStdout();
    GameObject* panel = second->GetConsoleObject();
    ASSERT_NE(panel, nullptr);
    delete second;
    EXPECT_FALSE(panel->flags & OBJ_PERSISTENT);
}

// The console in the game flow ---------------------------------------------------------

TEST_F(ConsoleTest, CommandsTypedThroughFramesRestartAndReloadTheLevel)
{
    Go(STATE_LEVEL1);
    InputManager::current[KEY_OEM_3] = 1;
    Frame();
    ReleaseKeys();
    ASSERT_TRUE(console->IsOpen());

    // Typing "clear" must not reach the level's own keys (C skips a level).
    testing::internal::CaptureStdout();
    EnterThroughFrames("clear");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    EXPECT_TRUE(console->GetOutput().empty());

    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_GT(level.GetLevelTime(), 0.0);
    EnterThroughFrames("restart");
    EXPECT_DOUBLE_EQ(level.GetLevelTime(), 0.0);
    EXPECT_FALSE(OutputHas("Skipping console object creation. It appears to have existed already."));

    EnterThroughFrames("reload");
    EXPECT_TRUE(OutputHas("Skipping console object creation. It appears to have existed already."));
    EXPECT_EQ(gsm.GetCurrentState(), STATE_LEVEL1);

    // Escape closes the console without opening the pause menu.
    InputManager::current[KEY_ESCAPE] = 1;
    Frame();
    ReleaseKeys();
    EXPECT_FALSE(console->IsOpen());
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    FrameWithKey(KEY_ESCAPE);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_PAUSEMENU);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "Enter triggered\n"), 3u);
}

TEST_F(ConsoleTest, LoadingScreenLoadsAndUpdatesTheConsole)
{
    Go(STATE_LOADING);
    EXPECT_TRUE(OutputHas("Skipping console object creation. It appears to have existed already."));
    InputManager::current[KEY_OEM_3] = 1;
    Frame();
    ReleaseKeys();
    EXPECT_TRUE(console->IsOpen());
    testing::internal::CaptureStdout();
    EnterThroughFrames("quit");
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(System::GetInstance()->IsRunning());

    // Keys on the splash screen wait while the console is open.
    System::GetInstance()->flags = SYSTEM_RUNNING;
    Go(STATE_SPLASH);
    FrameWithKey(KEY_SPACE);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_SPLASH);
}

} // namespace
