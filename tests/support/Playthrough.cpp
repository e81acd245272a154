#include "support/Playthrough.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>

#include <glm/geometric.hpp>

#include "engine/core/InputManager.h"
#include "engine/core/Random.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/Documents.h"
#include "engine/platform/WindowMessages.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelScore.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/UILogicComponent.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/ExitComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/GLReadback.h"
#include "support/ProgramRun.h"
#include "support/TestEnv.h"

namespace QRX {
namespace TestSupport {

namespace {

// The screenshot files in the game's screenshot folder.
std::set<std::string> ScreenshotFiles()
{
    namespace fs = std::filesystem;
    std::set<std::string> files;
    std::error_code ec;
    const fs::path folder = fs::path(Platform::GetDocumentsFolder()) / Renderer::SCREENSHOT_FOLDER;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        files.insert(entry.path().string());
    return files;
}

} // namespace

int KeyScript::Frames() const
{
    int frames = 0;
    for (const ScriptLine& line : lines) frames += line.frames;
    return frames;
}

KeyScript KeyScript::Idle(int frames)
{
    KeyScript script;
    if (frames > 0) script.lines.push_back(ScriptLine{frames, {}, 1});
    return script;
}

bool ScriptLine::ConditionHolds(const glm::vec3& position) const
{
    if (!HasCondition()) return false;
    const float at = untilAxis == 'x' ? position.x : (untilAxis == 'y' ? position.y : position.z);
    return untilOp == '<' ? at < untilValue : at > untilValue;
}

namespace {

// The condition word for a crate within the robot's reach.
constexpr const char* CRATE_IN_REACH = "reach";

// Whether a word is meant as a condition: an operator after the axis (and
// the enemy's prefix).
bool LooksLikeCondition(const std::string& word)
{
    const std::size_t op = word.size() > 1 && word[0] == 'e' ? 2 : 1;
    return word.size() > op && (word[op] == '<' || word[op] == '>');
}

// Reads a condition word such as "z<24.6" or "ex>3" into the line; false
// when the word is not one.
bool ReadCondition(std::string word, ScriptLine& line)
{
    line.untilEnemy = word.size() > 1 && word[0] == 'e';
    if (line.untilEnemy) word.erase(0, 1);
    if (word.size() < 3 || std::string("xyz").find(word[0]) == std::string::npos ||
        (word[1] != '<' && word[1] != '>'))
        return false;
    std::istringstream number(word.substr(2));
    float value = 0.0f;
    char rest = 0;
    if (!(number >> value) || (number >> rest) || !std::isfinite(value)) return false;
    line.untilAxis = word[0];
    line.untilOp = word[1];
    line.untilValue = value;
    return true;
}

} // namespace

bool ParseKeyScript(const std::string& text, KeyScript& script, std::string& error)
{
    script.lines.clear();
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        const std::string content = raw.substr(0, raw.find('#'));
        std::istringstream words(content);
        std::string count;
        if (!(words >> count)) continue;
        ScriptLine line;
        line.lineNumber = number;
        const bool digits = count.find_first_not_of("0123456789") == std::string::npos && count.size() <= 6;
        line.frames = digits ? std::stoi(count) : 0;
        if (line.frames <= 0) {
            error = "line " + std::to_string(number) + ": \"" + count + "\" is not a frame count";
            script.lines.clear();
            return false;
        }
        std::string name;
        while (words >> name) {
            if (name == CRATE_IN_REACH || LooksLikeCondition(name)) {
                const bool second = line.HasCondition();
                const bool read = name == CRATE_IN_REACH ? (line.untilCrateInReach = true) : ReadCondition(name, line);
                if (second || !read) {
                    error = "line " + std::to_string(number) + ": \"" + name + "\" is not a condition, or the second";
                    script.lines.clear();
                    return false;
                }
                continue;
            }
            const int key = GameplayHarness::KeyByName(name);
            if (key < 0) {
                error = "line " + std::to_string(number) + ": unknown key \"" + name + "\"";
                script.lines.clear();
                return false;
            }
            line.keys.push_back(key);
        }
        script.lines.push_back(line);
    }
    return true;
}

bool LoadKeyScript(const std::string& path, KeyScript& script, std::string& error)
{
    if (!std::filesystem::is_regular_file(path)) {
        error = "no script " + path;
        script.lines.clear();
        return false;
    }
    if (!ParseKeyScript(ReadFile(path), script, error)) {
        error = path + ", " + error;
        return false;
    }
    return true;
}

const std::vector<CampaignLevel>& CampaignLevels()
{
    // A level is authored once its file holds its objects and its script
    // exists; the others are skipped by the checks that need a playable level.
    static const std::vector<CampaignLevel> levels = {
        {STATE_LEVEL1, "The Throw", true},      {STATE_LEVEL1 + 1, "BOOM", true},
        {STATE_LEVEL1 + 2, "Bazinga", true},    {STATE_LEVEL1 + 3, "Warm Up", true},
        {STATE_LEVEL1 + 4, "Twister", true},    {STATE_LEVEL1 + 5, "Conveytapult", true},
        {STATE_LEVEL1 + 6, "LeapOfFaith", true}, {STATE_LEVEL1 + 7, "The Swapper", true},
        {STATE_LEVEL1 + 8, "BridgesGalore", true}, {STATE_LEVEL1 + 9, "WholeShebang", true},
        {STATE_LEVEL1 + 10, "B-B-Boss", true},
    };
    return levels;
}

const CampaignLevel* FindCampaignLevel(int stateId)
{
    for (const CampaignLevel& level : CampaignLevels())
        if (level.stateId == stateId) return &level;
    return nullptr;
}

std::string PlaythroughScriptPath(const CampaignLevel& level)
{
    return SourceDir() + "/tests/data/playthrough/" + level.name + ".txt";
}

int SavedLevelsCompleted(const std::string& profileName)
{
    tinyxml2::XMLDocument document;
    if (document.LoadFile(ProfileManager::GetProfilePath().c_str()) != tinyxml2::XML_SUCCESS) return -1;
    const tinyxml2::XMLElement* root = document.FirstChildElement("Profiles");
    for (const tinyxml2::XMLElement* profile = root ? root->FirstChildElement("Profile") : nullptr; profile;
         profile = profile->NextSiblingElement("Profile")) {
        const tinyxml2::XMLElement* name = profile->FirstChildElement("Name");
        const tinyxml2::XMLElement* count = profile->FirstChildElement("LevelsCompleted");
        if (name && name->GetText() && profileName == name->GetText() && count)
            return count->IntText(-1);
    }
    return -1;
}

Playthrough::Playthrough(int framesPerSecond)
    : m_framesPerSecond(framesPerSecond >= 1 ? framesPerSecond : FRAMES_PER_SECOND),
      m_game(WIDTH, HEIGHT, static_cast<std::uint64_t>(m_framesPerSecond))
{
}

int Playthrough::FramesIn(double seconds) const
{
    return std::max(1, static_cast<int>(seconds * m_framesPerSecond + 0.5));
}

Playthrough::~Playthrough() { m_game.Stop(); }

Profile* Playthrough::CurrentProfile() const
{
    System* system = m_game.GetSystem();
    return system && system->profileManager ? system->profileManager->GetCurrentProfile() : nullptr;
}

bool Playthrough::Start(int stateId)
{
    m_stateId = stateId;
    m_entered = PlaythroughResult();
    m_error.clear();
    if (!m_game.Start()) {
        m_error = "the engine did not start";
        return false;
    }
    System* system = m_game.GetSystem();
    // The private documents folder starts without profiles: this one is new.
    std::string name = PROFILE_NAME;
    ProfileManager* profiles = system->profileManager;
    if (!profiles || !profiles->CreateProfile(name) || !profiles->SelectProfile(name)) {
        m_error = "no profile could be made current";
        return false;
    }
    m_entered.levelsCompletedBefore = CurrentProfile()->levelsCompleted;
    m_game.SetDrawing(false);
    if (!m_game.PassLoadingScreen()) {
        m_error = "the loading screen did not hand over to the main menu";
        return false;
    }
    if (!m_game.EnterState(stateId)) {
        m_error = "state " + std::to_string(stateId) + " was not entered";
        return false;
    }
    ReadLevelScore();
    m_entered.started = true;
    return true;
}

void Playthrough::ReadLevelScore()
{
    System* system = m_game.GetSystem();
    if (!system->objectManager) return;
    for (GameObject* object : system->objectManager->GetObjectsWithComponent(CT_LEVELSCORE)) {
        if (auto* score = dynamic_cast<LevelScore*>(object->GetComponent(CT_LEVELSCORE))) {
            m_entered.gradeATime = score->gradeATime;
            m_entered.gradeBTime = score->gradeBTime;
            m_entered.gradeCTime = score->gradeCTime;
            return;
        }
    }
}

bool Playthrough::StartAtMainMenu()
{
    m_stateId = STATE_MAINMENU;
    m_entered = PlaythroughResult();
    m_error.clear();
    if (!m_game.Start()) {
        m_error = "the engine did not start";
        return false;
    }
    m_game.SetDrawing(false);
    if (!m_game.PassLoadingScreen()) {
        m_error = "the loading screen did not hand over to the main menu";
        return false;
    }
    return true;
}

bool Playthrough::Follow(int stateId)
{
    m_stateId = stateId;
    m_entered = PlaythroughResult();
    m_error.clear();
    System* system = m_game.GetSystem();
    if (!system || !system->IsRunning() || system->gameStateManager->GetCurrentState() != stateId) {
        m_error = "state " + std::to_string(stateId) + " is not current";
        return false;
    }
    if (Profile* profile = CurrentProfile()) m_entered.levelsCompletedBefore = profile->levelsCompleted;
    ReadLevelScore();
    // The random draws (the boss's throws, particles) start over, so a level
    // reached by the road plays its script as one entered alone does, whatever
    // the levels before it drew.
    ResetRandom();
    m_entered.started = true;
    return true;
}

bool Playthrough::StartByTheRoad(int stateId)
{
    if (!StartAtMainMenu()) return false;
    ProfileManager* profiles = m_game.GetSystem()->profileManager;
    std::string name = PROFILE_NAME;
    if (!profiles || !profiles->CreateProfile(name) || !profiles->SelectProfile(name)) {
        m_error = "no profile could be made current";
        return false;
    }
    // The screen whose Next leads to the level.
    int before = STATE_NONE;
    for (const LevelTableEntry& row : GetLevelTable())
        if (row.nextStateId == stateId && row.stateId != stateId) before = row.stateId;
    if (before == STATE_NONE || !m_game.EnterState(before)) {
        m_error = "no screen before state " + std::to_string(stateId);
        return false;
    }
    if (!ClickObject(BUTTONNEXTLEVEL) || !WaitForState(stateId)) {
        m_error = "the Next button did not lead to state " + std::to_string(stateId);
        return false;
    }
    return Follow(stateId);
}

bool Playthrough::PictureShown(const std::string& textureId) const
{
    for (GameObject* sprite : m_game.FindAll(SPRITE)) {
        auto* gui = sprite->GetComponent<GUIComponent>();
        if (gui && (sprite->flags & OBJ_ALIVE) && !(sprite->flags & OBJ_DESTROY) && gui->m_textureId == textureId)
            return true;
    }
    return false;
}

void Playthrough::ClickAt(const GameObject& object)
{
    System* system = m_game.GetSystem();
    const std::int64_t x = static_cast<int>(object.position.x) + system->window->GetWidth() / 2;
    const std::int64_t y = system->window->GetHeight() / 2 - static_cast<int>(object.position.y);
    Platform::WindowMessage move;
    move.message = Platform::WM_MOUSEMOVE;
    move.lParam = (x & 0xFFFF) | ((y & 0xFFFF) << 16);
    Window::WindowProcedure(move);
    m_game.Step();
    m_game.Hold({KEY_LBUTTON});
    m_game.Step();
    m_game.Release();
    m_game.Step(2);  // the frame the element acts in, then the one that carries out a request
}

bool Playthrough::Click(const std::string& uiName)
{
    System* system = m_game.GetSystem();
    const int current = system->gameStateManager->GetCurrentState();
    for (GameObject* object : system->objectManager->GetAllObjects()) {
        auto* logic = dynamic_cast<UILogicComponent*>(object->GetComponent(CT_UILOGIC));
        if (logic && object->stateId == current && logic->m_UIName == uiName) {
            ClickAt(*object);
            return true;
        }
    }
    return false;
}

bool Playthrough::ClickObject(ObjectType type)
{
    System* system = m_game.GetSystem();
    const int current = system->gameStateManager->GetCurrentState();
    for (GameObject* object : system->objectManager->GetAllObjects()) {
        if (object->type == type && object->stateId == current && (object->flags & OBJ_ALIVE)) {
            ClickAt(*object);
            return true;
        }
    }
    return false;
}

void Playthrough::Type(const std::string& text)
{
    for (char c : text) {
        Platform::WindowMessage typed;
        typed.message = Platform::WM_CHAR;
        typed.wParam = static_cast<unsigned char>(c);
        Window::WindowProcedure(typed);
        m_game.Step();
    }
}

bool Playthrough::WaitForState(int stateId, int maxFrames)
{
    GameStateManager* states = m_game.GetSystem()->gameStateManager;
    return states->GetCurrentState() == stateId ||
           m_game.StepUntil([&] { return states->GetCurrentState() == stateId; }, maxFrames) > 0;
}

bool Playthrough::AnyExitReached() const
{
    System* system = m_game.GetSystem();
    if (!system || !system->objectManager) return false;
    for (GameObject* object : system->objectManager->GetObjectsWithComponent(CT_EXIT)) {
        auto* exit = dynamic_cast<ExitComponent*>(object->GetComponent(CT_EXIT));
        if (exit && exit->m_IsTriggered) return true;
    }
    return false;
}

bool Playthrough::ConditionHolds(const ScriptLine& line) const
{
    if (line.untilCrateInReach) return CrateInReach();
    const GameObject* subject = line.untilEnemy ? m_game.Find(ENEMY) : m_game.Player();
    return subject && line.ConditionHolds(subject->position);
}

bool Playthrough::CrateInReach() const
{
    // A crate ahead, its near face within REACH along the facing: one the pick-up lifts (it takes any crate around
    // the robot, the faced first) with room to spare, so that a crate still moving is in reach on the next frame too.
    constexpr float REACH = 1.15f;
    constexpr float HALF_WIDTH = 0.45f;
    const GameObject* robot = m_game.Player();
    auto* player = robot ? robot->GetComponent<PlayerComponent>() : nullptr;
    if (!player) return false;
    const glm::vec3 facing = player->m_Facing;
    for (GameObject* crate : m_game.FindAll(CRATE)) {
        if (player->m_CarriedCrate.isValid && player->m_CarriedCrate.object == crate) continue;
        const glm::vec3 to = crate->position - robot->position;
        const float along = glm::dot(to, facing);
        const glm::vec3 across = to - facing * along;
        if (along > 0.0f && along <= REACH && std::fabs(to.y) < 0.5f &&
            glm::length(glm::vec2(across.x, across.z)) < HALF_WIDTH)
            return true;
    }
    return false;
}

void Playthrough::Shoot(const std::vector<int>& keys, int frame, PlaythroughResult& result)
{
    PlaythroughShot shot;
    shot.frame = frame;
    const std::set<std::string> before = ScreenshotFiles();
    std::vector<int> withKey = keys;
    withKey.push_back(KEY_F12);
    m_game.Hold(withKey);
    m_game.SetDrawing(true);
    m_game.Step();
    m_game.SetDrawing(false);
    for (const std::string& file : ScreenshotFiles())
        if (!before.count(file)) shot.path = file;

    // The same frame drawn again with and without the robot: what differs is
    // the robot on the screen.
    System* system = m_game.GetSystem();
    GameObject* robot = system->playerOne;
    if (robot && (robot->flags & OBJ_ALIVE) && system->renderer && system->window &&
        !(robot->flags & OBJ_SKIP_DRAW)) {
        const int width = system->window->GetWidth(), height = system->window->GetHeight();
        system->renderer->DrawScene();
        const Picture shown = ReadBackBuffer(width, height);
        robot->flags |= OBJ_SKIP_DRAW;
        system->renderer->DrawScene();
        const Picture hidden = ReadBackBuffer(width, height);
        robot->flags &= ~OBJ_SKIP_DRAW;
        shot.robotShare = PictureDifference(shown, hidden);
    }
    result.shots.push_back(shot);
}

PlaythroughResult Playthrough::Play(const KeyScript& script, const PlaythroughOptions& options)
{
    PlaythroughResult result = m_entered;
    if (!result.started) {
        result.error = m_error.empty() ? "the level was not entered" : m_error;
        return result;
    }
    System* system = m_game.GetSystem();
    GameStateManager* states = system->gameStateManager;
    int frame = 0;
    // One level frame; false once the level is left.
    auto runFrame = [&](const std::vector<int>& keys) {
        ++frame;
        if (std::find(options.screenshotFrames.begin(), options.screenshotFrames.end(), frame) !=
            options.screenshotFrames.end()) {
            Shoot(keys, frame, result);
        } else {
            m_game.Hold(keys);
            m_game.Step();
        }
        result.frames = frame;
        const bool inLevel = states->GetCurrentState() == m_stateId && system->IsRunning();
        if (inLevel && result.exitFrame < 0 && AnyExitReached()) result.exitFrame = frame;
        if (result.requestedState == STATE_NONE && states->GetRequestedState() != m_stateId)
            result.requestedState = states->GetRequestedState();
        if (options.onFrame) options.onFrame(frame);
        if (inLevel) return true;
        result.leftFor = system->IsRunning() ? states->GetCurrentState() : STATE_NONE;
        return false;
    };

    // Lines last as long as at 1/60 s: a plain line ends where the time of
    // the lines since the last conditional line's end puts it.
    bool inLevel = true;
    int syncFrame = 0;
    long long framesSinceSync = 0;  // of 1/60 s
    auto atThisPace = [&](long long frames) {
        return static_cast<int>((frames * m_framesPerSecond + FRAMES_PER_SECOND / 2) / FRAMES_PER_SECOND);
    };
    for (const ScriptLine& line : script.lines) {
        if (!inLevel) break;
        if (line.HasCondition()) {
            const int most = std::max(1, atThisPace(line.frames));
            bool met = false;
            for (int i = 0; inLevel && i < most && !met; ++i) {
                inLevel = runFrame(line.keys);
                met = ConditionHolds(line);
            }
            if (!met && inLevel) result.unmetLines.push_back(line.lineNumber);
            syncFrame = frame;
            framesSinceSync = 0;
            continue;
        }
        framesSinceSync += line.frames;
        const int end = std::max(frame + 1, syncFrame + atThisPace(framesSinceSync));
        while (inLevel && frame < end) inLevel = runFrame(line.keys);
    }
    for (int i = 0; inLevel && i < options.waitFrames; ++i) inLevel = runFrame({});
    m_game.Release();

    if (Profile* profile = CurrentProfile()) {
        result.levelsCompletedAfter = profile->levelsCompleted;
        if (!inLevel) {
            result.grade = profile->grade;
            result.levelSeconds = profile->lastLevelTime;
        }
    }
    result.savedLevelsCompleted = SavedLevelsCompleted(PROFILE_NAME);
    return result;
}

PlaythroughResult Playthrough::RunScript(int stateId, const std::string& scriptPath, const PlaythroughOptions& options)
{
    PlaythroughResult failed;
    KeyScript script;
    if (!LoadKeyScript(scriptPath, script, failed.error)) return failed;
    if (!Start(stateId)) {
        failed.error = m_error;
        return failed;
    }
    return Play(script, options);
}

KeyScript ScriptThen(const KeyScript& script, std::size_t lines, const std::string& more)
{
    KeyScript joined, rest;
    joined.lines.assign(script.lines.begin(), script.lines.begin() + std::min(lines, script.lines.size()));
    std::string error;
    EXPECT_TRUE(ParseKeyScript(more, rest, error)) << error;
    joined.lines.insert(joined.lines.end(), rest.lines.begin(), rest.lines.end());
    return joined;
}

KeyScript LevelScript(const CampaignLevel& level)
{
    KeyScript script;
    std::string error;
    EXPECT_TRUE(LoadKeyScript(PlaythroughScriptPath(level), script, error)) << error;
    return script;
}

PlaythroughOptions NoWait()
{
    PlaythroughOptions options;
    options.waitFrames = 0;
    return options;
}

PlaythroughResult ExpectLevelCompleted(const CampaignLevel& level, char grade,
                                       const std::function<void(Playthrough&)>& watch, int framesPerSecond)
{
    SCOPED_TRACE(level.name);
    SCOPED_TRACE("at " + std::to_string(framesPerSecond) + " frames a second");
    const int row = FindLevelTableRow(level.stateId);
    EXPECT_GE(row, 0);
    const int transition = row >= 0 ? GetLevelTable()[row].nextStateId : STATE_NONE;

    Playthrough run(framesPerSecond);
    const int firstPlayFrame = FirstPlayFrame(run.FramesPerSecond());
    PlaythroughOptions options;
    options.waitFrames = run.FramesIn(4.0);
    options.screenshotFrames = {1, firstPlayFrame};
    if (watch) options.onFrame = [&](int) { watch(run); };
    const PlaythroughResult result = run.RunScript(level.stateId, PlaythroughScriptPath(level), options);
    EXPECT_TRUE(result.started) << result.error;
    EXPECT_TRUE(result.error.empty()) << result.error;
    EXPECT_TRUE(result.ExitReached());
    EXPECT_TRUE(result.unmetLines.empty()) << "a condition never held, first on script line "
                                           << (result.unmetLines.empty() ? 0 : result.unmetLines[0]);
    EXPECT_EQ(result.requestedState, transition);
    EXPECT_EQ(result.leftFor, transition);
    EXPECT_EQ(result.levelsCompletedAfter, result.levelsCompletedBefore + 1);
    EXPECT_EQ(result.savedLevelsCompleted, result.levelsCompletedAfter);
    EXPECT_EQ(result.grade, grade) << "graded " << result.levelSeconds << " s, A " << result.gradeATime << " s";

    // The thresholds come from the script: A a little above its time.
    const unsigned scripted = static_cast<unsigned>(std::max(result.levelSeconds, 1));
    EXPECT_GE(result.gradeATime, scripted);
    EXPECT_LE(result.gradeATime, scripted + (scripted + 3) / 4);
    EXPECT_GT(result.gradeBTime, result.gradeATime);
    EXPECT_GT(result.gradeCTime, result.gradeBTime);

    EXPECT_EQ(result.shots.size(), 2u);
    for (const PlaythroughShot& shot : result.shots) {
        const Picture picture = ReadScreenshot(shot.path);
        EXPECT_EQ(picture.size(), static_cast<size_t>(Playthrough::WIDTH) * Playthrough::HEIGHT * 4) << shot.path;
        EXPECT_GE(ColourCount(picture), LEVEL_PICTURE_MIN_COLOURS) << "frame " << shot.frame;
        if (shot.frame == firstPlayFrame) {
            EXPECT_GE(shot.robotShare, ROBOT_MIN_SHARE);
        }
    }
    return result;
}

PlaythroughResult ExpectLevelCompletedAtTwentyFramesASecond(const CampaignLevel& level, char grade)
{
    return ExpectLevelCompleted(level, grade, {}, Playthrough::SLOW_FRAMES_PER_SECOND);
}

void ExpectStandingStillKeepsTheLevel(const CampaignLevel& level, const std::function<void(Playthrough&, const glm::vec3&)>& then)
{
    SCOPED_TRACE(level.name);
    Playthrough run;
    ASSERT_TRUE(run.Start(level.stateId)) << run.Error();
    ASSERT_GT(run.Entered().gradeATime, 0u);
    ASSERT_NE(run.Game().Player(), nullptr);
    const glm::vec3 start = run.Game().Player()->position;
    PlaythroughOptions options;
    options.waitFrames = 0;
    const int frames = static_cast<int>(2 * run.Entered().gradeATime) * Playthrough::FRAMES_PER_SECOND;
    const PlaythroughResult still = run.Play(KeyScript::Idle(frames), options);
    EXPECT_EQ(still.frames, frames);
    EXPECT_FALSE(still.ExitReached());
    EXPECT_EQ(still.requestedState, STATE_NONE);
    EXPECT_EQ(still.leftFor, STATE_NONE);
    EXPECT_EQ(still.levelsCompletedAfter, still.levelsCompletedBefore);
    EXPECT_EQ(run.Game().GetSystem()->gameStateManager->GetCurrentState(), level.stateId);
    if (then) then(run, start);
}

void ExpectRetryRestartsTheLevel(Playthrough& run, const PlaythroughResult& result, int stateId,
                                 const glm::vec3& start)
{
    EXPECT_FALSE(result.ExitReached());
    EXPECT_EQ(result.requestedState, STATE_GAMERETRYMENU);
    GameStateManager* states = run.Game().GetSystem()->gameStateManager;
    ASSERT_EQ(states->GetCurrentState(), STATE_GAMERETRYMENU);
    // Yes ("btnRetryYes") asks for the restart of the level under the menu.
    states->RequestState(STATE_RESTART);
    run.Game().Step(2);
    EXPECT_EQ(states->GetCurrentState(), stateId);
    ASSERT_NE(run.Game().Player(), nullptr);
    EXPECT_EQ(run.Game().Player()->position, start);
}

void ExpectBackAtTheCheckpoint(Playthrough& run, const PlaythroughResult& result, int stateId)
{
    EXPECT_FALSE(result.ExitReached());
    EXPECT_EQ(result.requestedState, STATE_NONE);
    System* system = run.Game().GetSystem();
    EXPECT_EQ(system->gameStateManager->GetCurrentState(), stateId);
    ASSERT_TRUE(system->checkpointStore->HasCheckpoint());
    const GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    const glm::vec3 saved = system->checkpointStore->GetActivations().back().playerPosition;
    EXPECT_LT(glm::length(robot->position - saved), 0.1f);
    EXPECT_NEAR(robot->position.y, 1.5f, 0.05f);
}

} // namespace TestSupport
} // namespace QRX
