#include "game/flow/LoadingLevel.h"

#include "engine/core/AudioManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/DeveloperTools.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/flow/StateCommon.h"

namespace QRX {

namespace {

const glm::vec4 CAPTION_WHITE(1.0f, 1.0f, 1.0f, 1.0f);

} // namespace

const std::vector<std::string>& LoadingLevel::TextureList()
{
    static const std::vector<std::string> list = {
        "bgpausemenu", "restart",        "howtoplay",     "pausecredits",   "pauseoptions",        "quittomenu",
        "resume",      "exitgame",       "bgGameRetry",   "grayscale",      "checked",             "checkedHover",
        "unchecked",   "uncheckedHover", "bgExitPopup",   "bgPauseExit",    "multiplayer",         "bgPauseInstructions",
        "bgmainoptions", "unchecked",    "uncheckedHover", "checkedHover",  "checked",             "bgmaincredits"};
    return list;
}

const std::vector<std::string>& LoadingLevel::MeshList()
{
    static const std::vector<std::string> list = {"cubey"};
    return list;
}

const std::vector<std::string>& LoadingLevel::SoundList()
{
    static const std::vector<std::string> list = {
        "door_open_new.mp3",       "door_close_new.mp3",        "eleccharger.mp3",     "energyactive.mp3",
        "move0.wav",               "move1.wav",                 "switch_activate_new.mp3",
        "switch_deactivate_new.mp3", "level_change.mp3",        "mouse_hover.mp3",     "mouse_click.mp3",
        "explosion_new.mp3",       "teleportation_new.mp3",     "power_active.mp3",    "crate_pickup_new.mp3",
        "crate_putdown_new.mp3",   "crate_swish.mp3",           "conveyorbelt.mp3",    "victory.mp3",
        "ai_alerted.mp3",          "bridge_extend.mp3",         "bridge_shrinking.mp3"};
    return list;
}

const std::vector<std::string>& LoadingLevel::StreamList()
{
    static const std::vector<std::string> list = {LEVEL_MUSIC, MENU_MUSIC};
    return list;
}

void LoadingLevel::Load()
{
    System* system = System::GetInstance();
    if (system->objectManager) system->objectManager->RefillPool();
    system->flags &= ~SYSTEM_MODAL_LOOP_DONE;
    LoadDeveloperConsole();

    // Reading on after a failed open would take the objects of whatever
    // level file was open before.
    LevelManager* levels = OpenCurrentScreenFile("the loading screen");
    if (!levels) return;
    levels->LoadLevelObjects(true);
}

void LoadingLevel::Init()
{
    System* system = System::GetInstance();
    if (system->window) system->window->RescaleUIObjects();
    if (!IsMusicPlaying()) {
        if (system->audioManager) {
            system->audioManager->LoadSound(MENU_MUSIC);
            system->audioManager->PlayStream(MENU_MUSIC);
        }
    }
    m_Textures = TextureList();
    m_Meshes = MeshList();
    m_Sounds = SoundList();
    m_Streams = StreamList();
}

void LoadingLevel::Pause() { PauseCurrentStateObjects(); }

void LoadingLevel::Resume() { ResumeCurrentStateObjects(); }

void LoadingLevel::Update(GameStateManager& manager)
{
    // The screen is made of sprites only: they are what a click can pick.
    RunDeveloperFrame(PickTarget::ScreenObjects, KEY_LBUTTON);
    UpdateCurrentStateObjects();

    m_Timer += static_cast<float>(CappedFrameStep());
    if (m_Timer > LOADING_TIMER_WRAP) m_Timer = 0.0f;

    if (m_Reloading) ReloadStep(manager);
    else LoadStep(manager);
}

void LoadingLevel::LoadStep(GameStateManager& manager)
{
    System* system = System::GetInstance();
    if (!m_TexturesDone) {
        DrawCaption("Loading Textures");
        if (m_TextureIndex < m_Textures.size()) {
            if (system->textureManager) system->textureManager->LoadTexture(m_Textures[m_TextureIndex]);
            ++m_TextureIndex;
        } else {
            m_TexturesDone = true;
        }
    }
    if (m_TexturesDone && !m_MeshesDone) {
        DrawCaption("Loading Meshes");
        if (m_MeshIndex < m_Meshes.size()) {
            if (system->meshManager) system->meshManager->LoadMesh(m_Meshes[m_MeshIndex]);
            ++m_MeshIndex;
        } else {
            m_MeshesDone = true;
        }
    }
    if (m_TexturesDone && m_MeshesDone && !m_StreamsDone) {
        DrawCaption("Loading Sounds");
        if (m_StreamIndex < m_Streams.size()) {
            if (system->audioManager) system->audioManager->LoadStream(m_Streams[m_StreamIndex]);
            ++m_StreamIndex;
        } else {
            m_StreamsDone = true;
        }
    }
    if (m_TexturesDone && m_MeshesDone && m_StreamsDone && !m_SoundsDone) {
        DrawCaption("Loading Sounds");
        if (m_SoundIndex < m_Sounds.size()) {
            if (system->audioManager) system->audioManager->LoadSound(m_Sounds[m_SoundIndex]);
            ++m_SoundIndex;
        } else {
            m_SoundsDone = true;
        }
    }
    if (AllStagesDone()) manager.RequestState(STATE_MAINMENU);
}

void LoadingLevel::ReloadStep(GameStateManager& manager)
{
    DrawCaption("Reloading Resources");
    TextureManager* textures = System::GetInstance()->textureManager;
    if (!textures) {
        QRX_LOG_WARNING("No texture manager to reload textures with; leaving the loading screen.");
        m_TexturesDone = true;
        manager.RequestState(manager.GetPreviousState());
        return;
    }
    // The catalogue is read again once per reload, not every frame.
    if (!m_CatalogueReread) {
        textures->Init();
        m_CatalogueReread = true;
    }
    if (m_TexturesDone) return;
    const std::vector<std::string>& released = textures->GetUnloadedIds();
    if (m_TextureIndex < released.size()) {
        textures->LoadTexture(released[m_TextureIndex]);
        ++m_TextureIndex;
        return;
    }
    m_TexturesDone = true;
    manager.RequestState(manager.GetPreviousState());
}

void LoadingLevel::DrawCaption(const char* caption)
{
    FontManager* fonts = System::GetInstance()->fontManager;
    if (fonts)
        fonts->AddText(FontManager::POSITION_TOP_LEFT, caption, LOADING_CAPTION_X, LOADING_CAPTION_Y,
                       LOADING_CAPTION_FONT, CAPTION_WHITE);
}

void LoadingLevel::Free()
{
    System* system = System::GetInstance();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    m_Textures.clear();
    m_Meshes.clear();
    m_Sounds.clear();
    m_Streams.clear();
    m_Reloading = false;
    m_TexturesDone = m_MeshesDone = m_SoundsDone = m_StreamsDone = false;
    m_CatalogueReread = false;
    m_TextureIndex = m_MeshIndex = m_SoundIndex = m_StreamIndex = 0;
}

void LoadingLevel::Unload()
{
    System* system = System::GetInstance();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    HideDeveloperHelp(false);
}

void SetLoadingReloadMode(bool reloading)
{
    if (auto* loading = dynamic_cast<LoadingLevel*>(GetStateObject(StateObjectKind::LoadingLevel)))
        loading->SetReloading(reloading);
}

} // namespace QRX
