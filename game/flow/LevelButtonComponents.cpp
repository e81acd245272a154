#include "game/flow/LevelButtonComponents.h"

#include "engine/core/AudioManager.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/TextComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/flow/TransitionLevel.h"
#include "game/flow/UILogicComponent.h"

namespace QRX {

namespace {

const glm::vec4 CAPTION_WHITE(1.0f, 1.0f, 1.0f, 1.0f);

void PlayEffect(const char* name)
{
    if (AudioManager* audio = System::GetInstance()->audioManager) audio->PlaySound(name);
}

// Whether a handle still names an object in play.
bool Exists(GameObjectHandle& handle) { return handle.Refresh(); }

} // namespace

void LevelButtonComponent::Update()
{
    if (!owner) return;
    auto* element = owner->GetComponent<UILogicComponent>();
    if (!element) return;

    if (element->m_HoverState == UI_STATE_BEGUN) PlayEffect(UI_HOVER_SOUND);
    if (element->m_LeftClickState == UI_STATE_BEGUN) PlayEffect(UI_CLICK_SOUND);
    if (element->m_SelectState != UI_STATE_HOLDING) return;

    System* system = System::GetInstance();
    ShowLoadingPicture();
    if (system->fontManager)
        system->fontManager->AddText(FontManager::POSITION_TOP_LEFT, LOADING_WORLD_CAPTION, LOADING_WORLD_CAPTION_X,
                                     LOADING_WORLD_CAPTION_Y, LOADING_WORLD_CAPTION_FONT, CAPTION_WHITE);
    if (system->objectManager) {
        for (GameObject* object : system->objectManager->GetActiveObjectsWithComponent(CT_TEXT))
            if (auto* text = object->GetComponent<TextComponent>()) text->m_drawMe = false;
    }
    HideTransitionTexts();
    GameStateManager* states = system->gameStateManager;
    if (LevelManager* levels = states ? states->GetLevelManager() : nullptr) RequestLevel(*levels);
}

void LevelButtonComponent::ShowLoadingPicture()
{
    System* system = System::GetInstance();
    ObjectManager* objects = system->objectManager;
    if (!objects) return;

    if (!Exists(m_Picture)) {
        // Without a window the picture covers the layout size.
        const float width = system->window ? static_cast<float>(system->window->GetWidth()) : GUIComponent::LAYOUT_WIDTH;
        const float height =
            system->window ? static_cast<float>(system->window->GetHeight()) : GUIComponent::LAYOUT_HEIGHT;
        GameObject* picture = objects->CreateInstance(SPRITE, glm::vec3(0.0f, 0.0f, LOADING_PICTURE_Z));
        if (picture) {
            picture->scale.x = width;
            picture->scale.y = height;
            picture->flags &= ~OBJ_WORLD_VALID;
            if (auto* gui = picture->GetComponent<GUIComponent>()) {
                gui->m_textureId = LOADING_PICTURE_TEXTURE;
                // Already in window pixels: a later rescale leaves it alone.
                gui->m_layoutWidth = width;
                gui->m_layoutHeight = height;
            }
            m_Picture = picture;
        }
    }
    if (!Exists(m_Robot)) {
        GameObject* robot =
            objects->CreateInstance(MENUROBOTANIMATION, glm::vec3(LOADING_ROBOT_X, LOADING_ROBOT_Y, LOADING_ROBOT_Z));
        if (robot) {
            robot->scale.x = LOADING_ROBOT_SIZE;
            robot->scale.y = LOADING_ROBOT_SIZE;
            robot->flags &= ~OBJ_WORLD_VALID;
            m_Robot = robot;
        }
    }
}

void ButtonNextLevelComponent::RequestLevel(LevelManager& levels) { levels.GoToNextLevel(); }

void ButtonPreviousLevelComponent::RequestLevel(LevelManager& levels) { levels.GoToPreviousLevel(); }

} // namespace QRX
