#include "support/GameplayHarness.h"

#include <unistd.h>

#include <filesystem>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/Clock.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "support/TestEnv.h"

namespace QRX {
namespace TestSupport {

GameplayHarness::GameplayHarness(int width, int height) : m_width(width), m_height(height)
{
    Platform::SetPerformanceCounterSource([this] { return m_ticks; }, [] { return FRAMES_PER_SECOND; });
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
    ApplyKeys();
    for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::previous[k] = 0;
    m_started = true;
    m_frames = 0;
    if (!EnterScratchFolder()) return false;
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
    ApplyKeys();
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

int GameplayHarness::Letter(char letter) { return KEY_A + (letter - 'A'); }

void GameplayHarness::Hold(std::initializer_list<int> keys) { m_held.assign(keys.begin(), keys.end()); }

void GameplayHarness::Hold(const std::vector<int>& keys) { m_held = keys; }

void GameplayHarness::Release() { m_held.clear(); }

void GameplayHarness::ApplyKeys() const
{
    for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = 0;
    for (int k : m_held)
        if (k >= 0 && k < InputManager::KEY_COUNT) InputManager::current[k] = 1;
}

void GameplayHarness::Step(int frames)
{
    System* system = System::PeekInstance();
    if (!system) return;
    for (int i = 0; i < frames; ++i) {
        ApplyKeys();
        ++m_ticks;
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
