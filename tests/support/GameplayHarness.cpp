#include "support/GameplayHarness.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/Clock.h"
#include "engine/platform/WindowMessages.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "tools/ProgramParts.h"
#include "support/TestEnv.h"

namespace QRX {
namespace TestSupport {

namespace {

struct NamedKey
{
    const char* name;
    int key;
};

const NamedKey kNamedKeys[] = {
    {"LBUTTON", KEY_LBUTTON}, {"RBUTTON", KEY_RBUTTON}, {"MBUTTON", KEY_MBUTTON}, {"BACK", KEY_BACK},
    {"TAB", KEY_TAB},         {"RETURN", KEY_RETURN},   {"SHIFT", KEY_SHIFT},     {"CONTROL", KEY_CONTROL},
    {"ALT", KEY_ALT},         {"ESCAPE", KEY_ESCAPE},   {"SPACE", KEY_SPACE},     {"LEFT", KEY_LEFT},
    {"UP", KEY_UP},           {"RIGHT", KEY_RIGHT},     {"DOWN", KEY_DOWN},
};

// The virtual-key code of a key index (the inverse of the input manager's table).
std::uint32_t VirtualKeyOf(int key)
{
    for (std::uint32_t code = 0; code < 256; ++code)
        if (InputManager::KeyIndexOf(code) == key) return code;
    return 0;
}

// The message a press (down) or release of the key sends to the window.
Platform::WindowMessage KeyMessage(int key, bool down)
{
    Platform::WindowMessage message;
    switch (key) {
    case KEY_LBUTTON:
        message.message = down ? Platform::WM_LBUTTONDOWN : Platform::WM_LBUTTONUP;
        break;
    case KEY_RBUTTON:
        message.message = down ? Platform::WM_RBUTTONDOWN : Platform::WM_RBUTTONUP;
        break;
    case KEY_MBUTTON:
        message.message = down ? Platform::WM_MBUTTONDOWN : Platform::WM_MBUTTONUP;
        break;
    default:
        message.message = down ? Platform::WM_KEYDOWN : Platform::WM_KEYUP;
        message.wParam = VirtualKeyOf(key);
        break;
    }
    return message;
}

} // namespace

GameplayHarness::GameplayHarness(int width, int height, std::uint64_t framesPerSecond)
    : m_width(width), m_height(height)
{
    if (framesPerSecond == 0) framesPerSecond = FRAMES_PER_SECOND;
    // Rounded up: a frame a hair short of 1/60 s would keep the frame-rate
    // controller waiting for a counter that only moves between frames.
    m_ticksPerFrame = (COUNTER_FREQUENCY + framesPerSecond - 1) / framesPerSecond;
    Platform::SetPerformanceCounterSource([this] { return m_ticks; }, [] { return COUNTER_FREQUENCY; });
}

GameplayHarness::~GameplayHarness()
{
    Stop();
    Platform::SetPerformanceCounterSource(nullptr, nullptr);
}

bool GameplayHarness::EnterScratchFolder()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    m_scratch = MakeTempDir("zendra-game");
    if (m_scratch.empty()) return false;
    const fs::path source(SourceDir());
    const fs::path data = fs::path(m_scratch) / "data";
    fs::create_directories(data / "config", ec);
    if (ec) return false;
    for (const fs::directory_entry& entry : fs::directory_iterator(source / "data", ec)) {
        if (entry.path().filename() == "config") continue;
        fs::create_directory_symlink(entry.path(), data / entry.path().filename(), ec);
        if (ec) fs::create_symlink(entry.path(), data / entry.path().filename(), ec);
        if (ec) return false;
    }
    fs::create_directory_symlink(source / "tests", fs::path(m_scratch) / "tests", ec);
    if (ec) return false;
    const std::string config = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\n  <display>\n    <width>" +
                               std::to_string(m_width) + "</width>\n    <height>" + std::to_string(m_height) +
                               "</height>\n    <fullscreen>false</fullscreen>\n  </display>\n</config>\n";
    if (!WriteFile((data / "config" / "config.xml").string(), config)) return false;
    m_previousFolder = fs::current_path(ec).string();
    return !ec && ::chdir(m_scratch.c_str()) == 0;
}

void GameplayHarness::LeaveScratchFolder()
{
    if (!m_previousFolder.empty()) {
        const int failed = ::chdir(m_previousFolder.c_str());
        (void)failed;  // the previous folder is gone: nothing better to go to
    }
    m_previousFolder.clear();
    RemoveTree(m_scratch);
    m_scratch.clear();
}

bool GameplayHarness::Start()
{
    Release();
    ResetKeys();
    m_started = true;
    m_frames = 0;
    if (!EnterScratchFolder()) return false;
    InstallProgramParts();
    return System::GetInstance()->Initialize();
}

void GameplayHarness::Stop()
{
    if (!m_started) return;
    m_started = false;
    if (System* system = System::PeekInstance()) {
        system->Shutdown();
        System::DestroyInstance();
    }
    LeaveScratchFolder();
    Release();
    ResetKeys();
}

bool GameplayHarness::LoadLevel(const std::string& file)
{
    System* system = System::PeekInstance();
    GameStateManager* states = system ? system->gameStateManager : nullptr;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    if (!levels) return false;
    // Free-load paths are relative to the level folder.
    levels->SetFreeLoadPath("../../" + file);
    states->RequestState(STATE_FREELOAD);
    Step();
    return states->GetCurrentState() == STATE_FREELOAD && system->IsRunning();
}

bool GameplayHarness::OverrideLevelFile(const std::string& levelName, const std::string& file)
{
    namespace fs = std::filesystem;
    if (m_scratch.empty()) return false;
    std::error_code ec;
    const fs::path source = fs::path(SourceDir()) / "data" / "levels";
    const fs::path levels = fs::path(m_scratch) / "data" / "levels";
    // The level folder is first a link to the repository's; it becomes a
    // folder of links, so that one of them can be replaced here alone.
    if (fs::is_symlink(fs::symlink_status(levels, ec))) {
        fs::remove(levels, ec);
        if (ec || !fs::create_directory(levels, ec)) return false;
        for (const fs::directory_entry& entry : fs::directory_iterator(source, ec)) {
            const fs::path link = levels / entry.path().filename();
            if (entry.is_directory()) fs::create_directory_symlink(entry.path(), link, ec);
            else fs::create_symlink(entry.path(), link, ec);
            if (ec) return false;
        }
        if (ec) return false;
    }
    const fs::path target = levels / levelName;
    fs::remove(target, ec);
    fs::create_symlink(fs::path(SourceDir()) / file, target, ec);
    return !ec;
}

bool GameplayHarness::EnterState(int id)
{
    System* system = System::PeekInstance();
    GameStateManager* states = system ? system->gameStateManager : nullptr;
    if (!states) return false;
    states->RequestState(id);
    Step();
    return states->GetCurrentState() == id && system->IsRunning();
}

bool GameplayHarness::PassLoadingScreen()
{
    System* system = System::PeekInstance();
    GameStateManager* states = system ? system->gameStateManager : nullptr;
    if (!states) return false;
    states->RequestState(STATE_LOADING);
    return StepUntil([states] { return states->GetCurrentState() == STATE_MAINMENU; }, MAX_LOADING_FRAMES) > 0 &&
           system->IsRunning();
}

void GameplayHarness::SetDrawing(bool drawing)
{
    if (System* system = System::PeekInstance()) system->drawFrames = drawing;
}

int GameplayHarness::Letter(char letter) { return KEY_A + (letter - 'A'); }

int GameplayHarness::KeyByName(const std::string& name)
{
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.size() == 1 && upper[0] >= 'A' && upper[0] <= 'Z') return Letter(upper[0]);
    if (upper.size() == 1 && upper[0] >= '0' && upper[0] <= '9') return KEY_0 + (upper[0] - '0');
    if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F' &&
        upper.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int number = std::stoi(upper.substr(1));
        if (number >= 1 && number <= 12) return KEY_F1 + number - 1;
        return -1;
    }
    for (const NamedKey& named : kNamedKeys)
        if (upper == named.name) return named.key;
    return -1;
}

std::string GameplayHarness::KeyName(int key)
{
    if (key >= KEY_A && key < KEY_A + 26) return std::string(1, static_cast<char>('A' + key - KEY_A));
    if (key >= KEY_0 && key < KEY_0 + 10) return std::string(1, static_cast<char>('0' + key - KEY_0));
    if (key >= KEY_F1 && key < KEY_F1 + 12) return "F" + std::to_string(key - KEY_F1 + 1);
    for (const NamedKey& named : kNamedKeys)
        if (key == named.key) return named.name;
    return "";
}

void GameplayHarness::Hold(std::initializer_list<int> keys) { m_held.assign(keys.begin(), keys.end()); }

void GameplayHarness::Hold(const std::vector<int>& keys) { m_held = keys; }

void GameplayHarness::Release() { m_held.clear(); }

void GameplayHarness::ResetKeys()
{
    for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = InputManager::previous[k] = 0;
    m_down.clear();
}

void GameplayHarness::SendKeyMessages()
{
    std::vector<int> wanted;
    for (int k : m_held)
        if (k >= 0 && k < InputManager::KEY_COUNT && std::find(wanted.begin(), wanted.end(), k) == wanted.end())
            wanted.push_back(k);
    for (int k : m_down)
        if (std::find(wanted.begin(), wanted.end(), k) == wanted.end()) Window::WindowProcedure(KeyMessage(k, false));
    for (int k : wanted)
        if (std::find(m_down.begin(), m_down.end(), k) == m_down.end()) Window::WindowProcedure(KeyMessage(k, true));
    m_down = wanted;
}

void GameplayHarness::Step(int frames)
{
    System* system = System::PeekInstance();
    if (!system) return;
    for (int i = 0; i < frames; ++i) {
        // The messages of this frame, as its pump would deliver them.
        SendKeyMessages();
        m_ticks += m_ticksPerFrame;
        system->Update();
        ++m_frames;
    }
}

int GameplayHarness::StepUntil(const std::function<bool()>& condition, int maxFrames)
{
    for (int n = 1; n <= maxFrames; ++n) {
        Step();
        if (condition()) return n;
    }
    return -1;
}

GameObject* GameplayHarness::Player() const
{
    System* system = System::PeekInstance();
    return system ? system->playerOne : nullptr;
}

std::vector<GameObject*> GameplayHarness::FindAll(ObjectType type) const
{
    std::vector<GameObject*> found;
    System* system = System::PeekInstance();
    if (!system || !system->objectManager) return found;
    for (GameObject* object : system->objectManager->GetAllObjects())
        if (object->type == type) found.push_back(object);
    return found;
}

GameObject* GameplayHarness::Find(ObjectType type, int index) const
{
    const std::vector<GameObject*> found = FindAll(type);
    return index >= 0 && static_cast<size_t>(index) < found.size() ? found[index] : nullptr;
}

System* GameplayHarness::GetSystem() const { return System::PeekInstance(); }

} // namespace TestSupport
} // namespace QRX
