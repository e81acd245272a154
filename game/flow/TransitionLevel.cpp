#include "game/flow/TransitionLevel.h"

#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/TextComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/DeveloperTools.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/flow/LoadingLevel.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/StateCommon.h"

namespace QRX {

namespace {

constexpr int FIRST_GRADED_TRANSITION = 17;
constexpr int LAST_GRADED_TRANSITION = 26;
constexpr int WINNER_TRANSITION = 29;

const glm::vec4 TEXT_WHITE(1.0f, 1.0f, 1.0f, 1.0f);

// The current profile, or null without a profile manager.
Profile* CurrentProfile()
{
    ProfileManager* profiles = System::GetInstance()->profileManager;
    return profiles ? profiles->GetCurrentProfile() : nullptr;
}

} // namespace

bool IsGradedTransition(int stateId)
{
    return stateId >= FIRST_GRADED_TRANSITION && stateId <= LAST_GRADED_TRANSITION;
}

int FullStarCount(char grade)
{
    if (grade == 'A') return 3;
    if (grade == 'B') return 2;
    return 1;
}

const char* StarTexture(int index, int fullStars) { return index < fullStars ? STAR_FULL_TEXTURE : STAR_EMPTY_TEXTURE; }

glm::vec3 StarPosition(int index)
{
    return glm::vec3(STAR_FIRST_X + STAR_SPACING * static_cast<float>(index), STAR_Y, STAR_Z);
}

std::string WinnerText(char winnerFlag) { return winnerFlag != 0 ? "Player One Wins!!" : "Player Two Wins!!"; }

TextPlace TransitionTimePlace(int stateId)
{
    System* system = System::GetInstance();
    const Window* window = system->window;
    TextPlace place{TRANSITION_TIME_X, TRANSITION_TIME_Y, TRANSITION_TIME_FONT};
    if (window) {
        place.x *= static_cast<float>(window->GetWidth()) / GUIComponent::LAYOUT_WIDTH;
        place.y *= static_cast<float>(window->GetHeight()) / GUIComponent::LAYOUT_HEIGHT;
    }
    if (!system->fontManager || !system->objectManager) return place;
    for (GameObject* object : system->objectManager->GetActiveObjectsWithComponent(CT_TEXT)) {
        const auto* label = object->GetComponent<TextComponent>();
        if (object->stateId != stateId || !label->m_drawMe || label->m_text != TRANSITION_TIME_LABEL) continue;
        const float width = label->Width(label->m_text + " ");
        if (width < 0.0f) break;
        return TextPlace{object->position.x + label->m_posX + width, object->position.y + label->m_posY,
                         label->m_fontId};
    }
    return place;
}

void TransitionLevel::Load()
{
    System* system = System::GetInstance();
    if (system->objectManager) system->objectManager->RefillPool();
    system->flags &= ~SYSTEM_MODAL_LOOP_DONE;
    // Made first, the console shows what the loading below reports.
    LoadDeveloperConsole();

    // Reading on after a failed open would take the objects of whatever
    // level file was open before.
    LevelManager* levels = OpenCurrentScreenFile("a transition screen");
    if (!levels) return;
    levels->LoadLevelObjects(true);
}

void TransitionLevel::Init()
{
    System* system = System::GetInstance();
    if (system->window) system->window->RescaleUIObjects();
    m_ShowTexts = true;

    const int id = CurrentStateId();
    if (!IsGradedTransition(id)) return;
    CreateStars(id);
    if (system->window) system->window->RescaleUIObjects();
}

void TransitionLevel::CreateStars(int stateId)
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    if (!objects) return;
    const Profile* profile = CurrentProfile();
    const int fullStars = FullStarCount(profile ? profile->grade : GRADE_NONE);
    for (int i = 0; i < TRANSITION_STAR_COUNT; ++i) {
        GameObject* star = objects->CreateInstanceHelper(SPRITE, true);
        if (!star) {
            QRX_LOG_WARNING("No object for star %d of transition screen %d; it is left out.", i + 1, stateId);
            continue;
        }
        m_Stars.push_back(star);
        if (auto* gui = star->GetComponent<GUIComponent>())
            gui->m_textureId = StarTexture(i, fullStars);
        star->scale.x = STAR_SIZE;
        star->scale.y = STAR_SIZE;
        star->position = StarPosition(i);
        star->previousPosition = star->position;
        star->flags &= ~OBJ_WORLD_VALID;
    }
}

void TransitionLevel::Pause() { PauseCurrentStateObjects(); }

void TransitionLevel::Resume() { ResumeCurrentStateObjects(); }

void TransitionLevel::Update(GameStateManager& manager)
{
    // While the console has the keyboard the pause key waits. A left click
    // belongs to the screen's buttons; the right one picks.
    const bool typing = RunDeveloperFrame(PickTarget::ScreenObjects, KEY_RBUTTON);
    // The level buttons act here and may hide the texts for this very frame.
    UpdateCurrentStateObjects();
    DrawTexts(manager.GetCurrentState());
    if (!typing) HandlePauseKey(manager);
}

void TransitionLevel::DrawTexts(int stateId)
{
    if (!m_ShowTexts) return;
    System* system = System::GetInstance();
    FontManager* fonts = system->fontManager;
    const Profile* profile = CurrentProfile();
    if (!fonts || !profile) return;
    if (IsGradedTransition(stateId)) {
        const TextPlace place = TransitionTimePlace(stateId);
        fonts->AddLayoutText(std::to_string(profile->lastLevelTime), place.x, place.y, place.fontId, TEXT_WHITE);
    }
    if (stateId == WINNER_TRANSITION && system->window) {
        const float x = TRANSITION_WINNER_X_SHARE * static_cast<float>(system->window->GetWidth());
        fonts->AddLayoutText(WinnerText(profile->winner), x, TRANSITION_WINNER_Y, TRANSITION_WINNER_FONT, TEXT_WHITE);
    }
}

void TransitionLevel::HandlePauseKey(GameStateManager& manager)
{
    if (EscapeTriggered()) manager.RequestState(STATE_PAUSEMENU);
}

void TransitionLevel::Free()
{
    System* system = System::GetInstance();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    // The stars went back to the pool with the rest of the screen.
    m_Stars.clear();
}

void TransitionLevel::Unload()
{
    System* system = System::GetInstance();
    ObjectManager* objects = system->objectManager;
    const int id = CurrentStateId();
    for (GameObject* star : m_Stars) {
        // Only a star still in play: a returned place may hold another object.
        if (objects && objects->IsObjectInPlay(star) && star->stateId == id) star->flags |= OBJ_DESTROY;
    }
    m_Stars.clear();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    if (objects) objects->ClearLevelObjects();
    HideDeveloperHelp(true);
}

void HideTransitionTexts()
{
    if (auto* transition = dynamic_cast<TransitionLevel*>(GetStateObject(StateObjectKind::TransitionLevel)))
        transition->HideTexts();
}

} // namespace QRX
