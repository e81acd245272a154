#include "game/flow/Menu.h"

#include <algorithm>

#include <glm/gtc/quaternion.hpp>

#include "engine/core/AudioManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
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
#include "game/flow/UILogicComponent.h"

namespace QRX {

namespace {

constexpr int STATE_MAINOPTIONS = 37;
constexpr int STATE_MAINOPTIONSRESOFAILED = 38;
constexpr int STATE_MAINOPTIONSFULLSCREENFAILED = 39;
constexpr int STATE_MAINEXITMENU = 41;
constexpr int STATE_MAINPROFILE = 42;
constexpr int STATE_MAINPROFILEADDNAME = 43;
constexpr int STATE_PAUSERESTARTMENU = 45;
constexpr int STATE_PAUSEINSTRUCTIONS = 46;
constexpr int STATE_PAUSEMENUOPTIONS = 47;
constexpr int STATE_PAUSEQUITMENU = 48;
constexpr int STATE_FIRST_TRANSITION = 16;
constexpr int STATE_MULTIPLAYER_TRANSITION = 28;

const glm::vec4 SLOT_TEXT_COLOUR(0.85f, 0.85f, 0.85f, 1.0f);
const glm::vec4 SLOT_SELECTED_TEXT_COLOUR(0.0f, 0.0f, 0.0f, 1.0f);

// The slots are turned half a turn about y, as stored (not normalised).
const glm::quat SLOT_ROTATION(0.0f, 0.0f, 180.0f, 0.0f);

void PlayEffect(const char* name)
{
    if (AudioManager* audio = System::GetInstance()->audioManager) audio->PlaySound(name);
}

bool IsHovered(const UILogicComponent& element)
{
    return element.m_HoverState == UI_STATE_BEGUN || element.m_HoverState == UI_STATE_HOLDING;
}

// The four looks of a check box.
const char* CheckboxTexture(bool checked, bool hovered)
{
    if (checked) return hovered ? "checkedHover" : "checked";
    return hovered ? "uncheckedHover" : "unchecked";
}

ProfileManager* Profiles() { return System::GetInstance()->profileManager; }

// Widths as a line's letters are drawn; -1 without its font.
TextMeasure MeasureOf(const TextComponent& line)
{
    return [&line](const std::string& text) { return line.Width(text); };
}

// The current profile's greeting on the object's line, centred on its box
// (under the buttons) however long the name.
void ShowGreeting(GameObject& object)
{
    ProfileManager* profiles = Profiles();
    auto* text = object.GetComponent<TextComponent>();
    if (!text || !profiles || !profiles->GetCurrentProfile()) return;
    text->m_text = FittedProfileGreeting(profiles->GetCurrentProfile()->name, object.scale.x - 2.0f * GREETING_MARGIN,
                                         MeasureOf(*text));
    const float width = text->Width(text->m_text);
    if (width >= 0.0f) text->m_posX = -0.5f * width;
}

} // namespace

SliderTrack VolumeSliderTrack(int stateId, int windowWidth)
{
    const float scale = static_cast<float>(windowWidth) / GUIComponent::LAYOUT_WIDTH;
    if (stateId == STATE_PAUSEMENUOPTIONS) return SliderTrack{PAUSE_SLIDER_LEFT * scale, PAUSE_SLIDER_RIGHT * scale};
    return SliderTrack{MAIN_SLIDER_LEFT * scale, MAIN_SLIDER_RIGHT * scale};
}

float SliderVolume(float x, const SliderTrack& track)
{
    if (!(track.right > track.left)) return 0.0f;
    if (x <= track.left) return 0.0f;
    if (x >= track.right) return 1.0f;
    return (x - track.left) / (track.right - track.left);
}

int ResolutionChoiceOf(int width, int height)
{
    for (int i = 0; i < RESOLUTION_CHOICES; ++i)
        if (RESOLUTION_WIDTHS[i] == width && RESOLUTION_HEIGHTS[i] == height) return i + 1;
    return 0;
}

glm::vec3 ProfileSlotPosition(int index)
{
    return glm::vec3(0.0f, PROFILE_SLOT_TOP_Y - PROFILE_SLOT_SPACING * static_cast<float>(index), PROFILE_SLOT_Z);
}

std::string ProfileGreeting(const std::string& name) { return GREETING_HEAD + name + GREETING_TAIL; }

std::string FitToWidth(const std::string& text, float width, const TextMeasure& measure, bool keepEnd)
{
    const float whole = measure(text);
    if (whole < 0.0f || whole <= width) return text;
    // No blank next to the ellipsis.
    auto cutTo = [&text, keepEnd](size_t kept) {
        if (keepEnd) {
            const std::string end = text.substr(text.size() - kept);
            return ELLIPSIS + end.substr(std::min(end.find_first_not_of(' '), end.size()));
        }
        const std::string start = text.substr(0, kept);
        return start.substr(0, start.find_last_not_of(' ') + 1) + ELLIPSIS;
    };
    // The most characters that fit with the ellipsis (more are never narrower).
    size_t fits = 0, tooMany = text.size();
    while (tooMany - fits > 1) {
        const size_t middle = fits + (tooMany - fits) / 2;
        if (measure(cutTo(middle)) <= width) fits = middle;
        else tooMany = middle;
    }
    return measure(cutTo(fits)) <= width ? cutTo(fits) : std::string();
}

std::string FittedProfileGreeting(const std::string& name, float width, const TextMeasure& measure)
{
    const float frame = measure(ProfileGreeting(std::string()));
    if (frame < 0.0f) return ProfileGreeting(name);
    return ProfileGreeting(FitToWidth(name, width - frame, measure));
}

float TextRoom(const GameObject& object, const TextComponent& text)
{
    const float half = 0.5f * object.scale.x;
    const float margin = std::max(0.0f, text.m_posX + half);
    return half - text.m_posX - margin;
}

std::string ApplyTypedCharacter(const std::string& text, char typed)
{
    if (typed != BACKSPACE_CHARACTER) return text + typed;
    return text.empty() ? text : text.substr(0, text.size() - 1);
}

std::string ProfileNameOf(const std::string& typed)
{
    const size_t first = typed.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return typed.substr(first, typed.find_last_not_of(' ') - first + 1);
}

// Game-state slots ---------------------------------------------------------

void Menu::Load()
{
    m_SelectedSlot = nullptr;
    System* system = System::GetInstance();
    if (system->objectManager) system->objectManager->RefillPool();
    system->flags &= ~SYSTEM_MODAL_LOOP_DONE;
    LoadDeveloperConsole();
    RefreshProfileList();
}

void Menu::Init()
{
    System* system = System::GetInstance();
    if (system->window)
        m_ResolutionChoice = ResolutionChoiceOf(system->window->GetWidth(), system->window->GetHeight());

    // Reading on after a failed open would take the objects of whatever
    // level file was open before.
    m_NameStarted = false;  // a name field starts from its file's text
    LevelManager* levels = OpenCurrentScreenFile("a menu screen");
    if (!levels) return;
    levels->LoadLevelObjects(true);
    RefreshProfileList();
    if (system->gameStateManager->GetCurrentState() == STATE_MAINMENU) StartMenuMusic();
    if (system->window) system->window->RescaleUIObjects();
    // The first frame, drawn before any update, greets the profile in its place too.
    if (!system->objectManager) return;
    for (GameObject* object : system->objectManager->GetObjectsWithComponent(CT_UILOGIC)) {
        const auto* element = object->GetComponent<UILogicComponent>();
        if (object->stateId == CurrentStateId() && element->m_UIName == "lblProfileName") ShowGreeting(*object);
    }
}

void Menu::StartMenuMusic()
{
    AudioManager* audio = System::GetInstance()->audioManager;
    if (!audio) return;
    // Also when the name matches: a quit from the pause menu stops all sound.
    if (audio->m_MusicName == MENU_MUSIC && IsMusicPlaying()) return;
    if (audio->m_MusicChannel) audio->m_MusicChannel->Stop();
    audio->PlayStream(MENU_MUSIC);
}

void Menu::Pause()
{
    PauseCurrentStateObjects();
    if (CurrentStateId() != STATE_MAINPROFILE) return;
    for (GameObject* slot : m_ProfileSlots)
        if (auto* text = slot->GetComponent<TextComponent>()) text->m_drawMe = false;
}

void Menu::Resume()
{
    RefreshProfileList();
    ResumeCurrentStateObjects();
    HideLoadingOverlay();
}

void Menu::Free()
{
    System* system = System::GetInstance();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    HideLoadingOverlay();
    if (CurrentStateId() == STATE_MAINPROFILE) {
        // The slots went back to the pool with the screen.
        m_ProfileSlots.clear();
        m_ProfileSlotNames.clear();
        m_SelectedSlot = nullptr;
    }
}

void Menu::Unload()
{
    System* system = System::GetInstance();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    HideDeveloperHelp(true);
}

// One frame ------------------------------------------------------------------

void Menu::Update(GameStateManager& manager)
{
    // The developer step comes first, as in every state: the console takes
    // its characters before the name field takes the rest, and both before
    // this frame's clicks act. While the console has the keyboard (it had it
    // as the frame began, so the Escape that closes it counts too) the back
    // key waits. A left click belongs to the screen's elements; the right one picks.
    m_ConsoleTyping = RunDeveloperFrame(PickTarget::ScreenObjects, KEY_RBUTTON);
    System* system = System::GetInstance();
    ObjectManager* objects = system->objectManager;

    if (objects) {
        const std::vector<GameObject*> active = objects->GetActiveObjects();
        for (GameObject* object : active)
            if ((object->flags & OBJ_ALIVE) && (object->flags & OBJ_ACTIVE)) object->UpdateComponents();
    }

    m_ResolutionBoxes.fill(nullptr);
    m_NameField = nullptr;
    m_SelectClicked = m_DeleteClicked = m_AddClicked = false;
    const int id = manager.GetCurrentState();
    if (objects) {
        const std::vector<GameObject*> elements = objects->GetActiveObjectsWithComponent(CT_UILOGIC);
        for (GameObject* object : elements) {
            // An earlier action may have returned objects to the pool.
            if (!(object->flags & OBJ_ALIVE) || !(object->flags & OBJ_ACTIVE) || object->stateId != id) continue;
            if (auto* element = object->GetComponent<UILogicComponent>())
                UpdateElement(manager, *object, *element);
        }
    }

    TypeIntoNameField();
    UpdateResolutionBoxes();
    if (id == STATE_MAINPROFILE) UpdateProfileSlots(manager);
    if (m_AddClicked) AddProfile(manager);
    if (id == STATE_MAINPROFILE && m_ConfirmResult == 1) DeleteConfirmedProfile();
    if (id != STATE_CONFIRMATIONMENU) m_ConfirmResult = 0;

    if (!m_ConsoleTyping) HandleBackKey(manager);
}

void Menu::TypeIntoNameField()
{
    InputManager* input = System::GetInstance()->inputManager;
    if (!input || !m_NameField || !m_NameField->owner) return;
    // The name is kept whole here; the field shows its end when it is too wide.
    if (!m_NameStarted) m_TypedName = m_NameField->m_text;
    m_NameStarted = true;
    for (char typed : input->GetUnclaimedText()) m_TypedName = ApplyTypedCharacter(m_TypedName, typed);
    m_NameField->m_text = FitToWidth(m_TypedName, TextRoom(*m_NameField->owner, *m_NameField),
                                     MeasureOf(*m_NameField), true);
}

void Menu::UpdateElement(GameStateManager& manager, GameObject& object, UILogicComponent& element)
{
    System* system = System::GetInstance();
    if (element.m_HoverState == UI_STATE_BEGUN) PlayEffect(UI_HOVER_SOUND);
    if (element.m_LeftClickState == UI_STATE_BEGUN) PlayEffect(UI_CLICK_SOUND);

    const std::string& name = element.m_UIName;
    const bool hovered = IsHovered(element);
    AudioManager* audio = system->audioManager;
    if (name == "lblName") {
        // Typed into once every element has had its step, before the clicks act.
        m_NameField = object.GetComponent<TextComponent>();
    } else if (name == "chkboxFullscreen") {
        SetElementTexture(&element, CheckboxTexture(system->window && system->window->IsFullscreen(), hovered));
    } else if (name == "chkboxBGM") {
        SetElementTexture(&element, CheckboxTexture(audio && !audio->m_MusicOff, hovered));
    } else if (name == "chkboxSFX") {
        SetElementTexture(&element, CheckboxTexture(audio && !audio->m_EffectsOff, hovered));
    } else if (name == "chkboxReso1" || name == "chkboxReso2" || name == "chkboxReso3") {
        m_ResolutionBoxes[static_cast<size_t>(name.back() - '1')] = &element;
    } else if (name == "lblProfileName") {
        ShowGreeting(object);
    }
    UpdateVolumeSlider(&element);
    if (element.m_LeftClickState == UI_STATE_BEGUN) OnButtonClicked(manager, name);
}

void Menu::OnButtonClicked(GameStateManager& manager, const std::string& name)
{
    System* system = System::GetInstance();
    AudioManager* audio = system->audioManager;
    const int previous = manager.GetPreviousState();
    if (name == "btnBack" || name == "btnNo" || name == "btnResume" || name == "btnPauseNo" ||
        name == "btnPauseRestartNo" || name == "btnCancel" || name == "btnGameRetry") {
        manager.RequestState(previous);
    } else if (name == "btnYes") {
        system->RequestQuit("Yes on the quit question");
    } else if (name == "btnCreate") {
        manager.RequestState(STATE_MAINPROFILEADDNAME);
    } else if (name == "btnProfileAdd") {
        m_AddClicked = true;
    } else if (name == "btnDelete") {
        m_DeleteClicked = true;
    } else if (name == "btnSelect") {
        m_SelectClicked = true;
    } else if (name == "btnStart") {
        manager.RequestState(STATE_FIRST_TRANSITION);
    } else if (name == "btnCredits" || name == "btnGameOk") {
        manager.RequestState(STATE_MAINCREDITS);
    } else if (name == "btnOptions") {
        manager.RequestState(STATE_MAINOPTIONS);
    } else if (name == "btnProfile" || name == "lblProfileName") {
        manager.RequestState(STATE_MAINPROFILE);
    } else if (name == "btnMultiplayer") {
        manager.RequestState(STATE_MULTIPLAYER_TRANSITION);
    } else if (name == "btnExit") {
        manager.RequestState(STATE_MAINEXITMENU);
    } else if (name == "btnRestart") {
        manager.RequestState(STATE_PAUSERESTARTMENU);
    } else if (name == "btnHowtoplay" || name == "btnTutorial") {
        manager.RequestState(STATE_PAUSEINSTRUCTIONS);
    } else if (name == "btnPauseOptions") {
        manager.RequestState(STATE_PAUSEMENUOPTIONS);
    } else if (name == "btnQuittomenu") {
        manager.RequestState(STATE_PAUSEQUITMENU);
    } else if (name == "btnPauseYes") {
        manager.RequestState(STATE_MAINMENU);
        if (audio) audio->StopAll();
    } else if (name == "btnPauseRestartYes" || name == "btnRetryYes") {
        manager.RequestState(STATE_RESTART);
    } else if (name == "btnRetryNo" || name == "btnGameNoRetry") {
        manager.RequestState(STATE_MAINMENU);
    } else if (name == "btnConfirmYes") {
        m_ConfirmResult = 1;
        manager.RequestState(previous);
    } else if (name == "btnConfirmNo") {
        m_ConfirmResult = 2;
        m_PendingDeletion.clear();
        manager.RequestState(previous);
    } else if (name == "chkboxBGM") {
        // Switching off keeps the volume the music fades back to.
        if (audio) audio->SetMusicOff(!audio->m_MusicOff);
    } else if (name == "chkboxSFX") {
        if (audio) audio->m_EffectsOff = !audio->m_EffectsOff;
    } else if (name == "chkboxFullscreen") {
        ChangeFullscreen(manager);
    } else if (name == "chkboxReso1" || name == "chkboxReso2" || name == "chkboxReso3") {
        ChangeResolution(manager, name.back() - '0');
    }
}

void Menu::ChangeFullscreen(GameStateManager& manager)
{
    Window* window = System::GetInstance()->window;
    if (!window) return;
    ShowLoadingOverlay();
    if (window->SetFullscreen(!window->IsFullscreen())) {
        manager.RequestState(STATE_LOADING);
        SetLoadingReloadMode(true);
    } else {
        HideLoadingOverlay();
        manager.RequestState(STATE_MAINOPTIONSFULLSCREENFAILED);
    }
}

void Menu::ChangeResolution(GameStateManager& manager, int choice)
{
    Window* window = System::GetInstance()->window;
    if (!window || choice < 1 || choice > RESOLUTION_CHOICES || choice == m_ResolutionChoice) return;
    ShowLoadingOverlay();
    const size_t i = static_cast<size_t>(choice - 1);
    if (window->ChangeResolution(RESOLUTION_WIDTHS[i], RESOLUTION_HEIGHTS[i], true)) {
        m_ResolutionChoice = choice;
        manager.RequestState(STATE_LOADING);
        SetLoadingReloadMode(true);
    } else {
        HideLoadingOverlay();
        manager.RequestState(STATE_MAINOPTIONSRESOFAILED);
    }
}

void Menu::UpdateResolutionBoxes()
{
    for (int k = 1; k <= RESOLUTION_CHOICES; ++k) {
        UILogicComponent* box = m_ResolutionBoxes[static_cast<size_t>(k - 1)];
        if (!box) continue;
        // The checked box shows no hover look.
        if (k == m_ResolutionChoice) SetElementTexture(box, "checked");
        else SetElementTexture(box, CheckboxTexture(false, IsHovered(*box)));
    }
}

void Menu::UpdateVolumeSlider(UILogicComponent* element)
{
    if (!element || element->m_UIName != "volSliderBGM" || !element->owner) return;
    System* system = System::GetInstance();
    AudioManager* audio = system->audioManager;
    Window* window = system->window;
    if (!audio || !window) return;

    const SliderTrack track = VolumeSliderTrack(CurrentStateId(), window->GetWidth());
    if (!audio->m_MusicOff && element->m_LeftClickState == UI_STATE_HOLDING && system->inputManager) {
        const float x = static_cast<float>(system->inputManager->GetMouseX() - window->GetWidth() / 2);
        audio->SetMusicVolume(SliderVolume(x, track));
    }
    // Music that is off fades towards 0: show the volume it comes back at.
    const float shown = std::clamp(audio->m_MusicOff ? audio->m_MusicRestoreVolume : audio->m_MusicVolume, 0.0f, 1.0f);
    element->owner->position.x = track.left + (track.right - track.left) * shown;
    element->owner->flags &= ~OBJ_WORLD_VALID;
}

void Menu::HandleBackKey(GameStateManager& manager)
{
    if (!EscapeTriggered()) return;
    manager.RequestState(manager.GetCurrentState() == STATE_MAINMENU ? STATE_MAINEXITMENU : manager.GetPreviousState());
}

// Profiles -----------------------------------------------------------------------

TextComponent* Menu::SlotText(const UILogicComponent* element)
{
    return element && element->owner ? element->owner->GetComponent<TextComponent>() : nullptr;
}

std::string Menu::SlotName(const UILogicComponent* element) const
{
    for (size_t i = 0; element && i < m_ProfileSlots.size(); ++i)
        if (m_ProfileSlots[i] == element->owner) return m_ProfileSlotNames[i];
    return std::string();
}

void Menu::SetElementTexture(UILogicComponent* element, const std::string& textureId)
{
    if (!element) return;
    element->m_CurrentTexture = textureId;
    // Shown from this frame on, not only after the element's next update.
    if (element->owner)
        if (auto* gui = element->owner->GetComponent<GUIComponent>()) gui->m_textureId = textureId;
}

void Menu::RefreshProfileList()
{
    RebuildProfileSlots();
    ProfileManager* profiles = Profiles();
    if (CurrentStateId() != STATE_MAINPROFILE || !profiles) return;
    const std::vector<std::string> names = profiles->GetProfileNames();
    for (size_t i = 0; i < m_ProfileSlots.size() && i < names.size(); ++i) {
        GameObject* slot = m_ProfileSlots[i];
        m_ProfileSlotNames[i] = names[i];
        auto* text = slot->GetComponent<TextComponent>();
        if (!text) continue;
        text->m_drawMe = true;
        text->m_posX = PROFILE_SLOT_TEXT_MARGIN - 0.5f * slot->scale.x;
        text->m_posY = PROFILE_SLOT_TEXT_Y;
        text->m_color = SLOT_TEXT_COLOUR;
        // Drawn within the slot; the slot keeps the whole name.
        text->m_text = FitToWidth(names[i], TextRoom(*slot, *text), MeasureOf(*text));
    }
    SelectCurrentProfileSlot();
}

void Menu::RebuildProfileSlots()
{
    const int id = CurrentStateId();
    if (id != STATE_MAINPROFILE) return;
    for (GameObject* slot : m_ProfileSlots) {
        // Hidden and stripped at once; the pool takes the place back at the frame's end.
        slot->flags |= OBJ_SKIP_DRAW | OBJ_DESTROY;
        slot->DestroyComponents();
    }
    m_ProfileSlots.clear();
    m_ProfileSlotNames.clear();
    m_SelectedSlot = nullptr;

    ObjectManager* objects = System::GetInstance()->objectManager;
    ProfileManager* profiles = Profiles();
    if (!objects || !profiles) return;
    // The list has room for MAX_PROFILES slots; a longer file (hand-edited or
    // damaged) must not take the pool's objects from the screen itself.
    size_t count = profiles->GetProfiles().size();
    if (count > static_cast<size_t>(MAX_PROFILES)) {
        QRX_LOG_WARNING("%zu profiles; the profile list shows the first %d.", count, MAX_PROFILES);
        count = static_cast<size_t>(MAX_PROFILES);
    }
    for (size_t i = 0; i < count; ++i) {
        GameObject* slot = objects->CreateUIObject(id, ProfileSlotPosition(static_cast<int>(i)), SLOT_ROTATION,
                                                   glm::vec3(PROFILE_SLOT_WIDTH, PROFILE_SLOT_HEIGHT, 1.0f));
        if (!slot) {
            QRX_LOG_WARNING("No object for profile slot %zu; the profile list ends there.", i + 1);
            break;
        }
        auto* element = dynamic_cast<UILogicComponent*>(slot->AddComponent(CT_UILOGIC));
        if (!element) {
            slot->flags |= OBJ_SKIP_DRAW | OBJ_DESTROY;
            break;
        }
        m_ProfileSlots.push_back(slot);
        m_ProfileSlotNames.emplace_back();
        element->m_IsSticky = true;
        SetElementTexture(element, SLOT_TEXTURE);
    }
    // Laid out for 1024 x 768 like the screen around them.
    if (Window* window = System::GetInstance()->window) window->RescaleUIObjects();
}

void Menu::SelectCurrentProfileSlot()
{
    m_SelectedSlot = nullptr;
    if (m_ProfileSlots.empty()) return;
    m_SelectedSlot = m_ProfileSlots.front()->GetComponent<UILogicComponent>();
    ProfileManager* profiles = Profiles();
    const Profile* current = profiles ? profiles->GetCurrentProfile() : nullptr;
    for (size_t i = 0; current && i < m_ProfileSlots.size(); ++i) {
        if (m_ProfileSlotNames[i] == current->name) {
            m_SelectedSlot = m_ProfileSlots[i]->GetComponent<UILogicComponent>();
            break;
        }
    }
    if (!m_SelectedSlot) return;
    m_SelectedSlot->m_SelectState = UI_STATE_BEGUN;
    if (TextComponent* text = SlotText(m_SelectedSlot)) text->m_color = SLOT_SELECTED_TEXT_COLOUR;
    SetElementTexture(m_SelectedSlot, SLOT_SELECTED_TEXTURE);
    m_SelectedSlot->m_IsSticky = true;
}

void Menu::UpdateProfileSlots(GameStateManager& manager)
{
    for (GameObject* slot : m_ProfileSlots)
        if (auto* text = slot->GetComponent<TextComponent>()) {
            text->m_posX = PROFILE_SLOT_TEXT_MARGIN - 0.5f * slot->scale.x;
            text->m_posY = PROFILE_SLOT_TEXT_Y;
        }

    for (GameObject* slot : m_ProfileSlots) {
        auto* element = slot->GetComponent<UILogicComponent>();
        if (!element) continue;
        const int selection = element->m_SelectState;
        if (selection == UI_STATE_IDLE || selection == UI_STATE_ENDED)
            SetElementTexture(element, IsHovered(*element) ? SLOT_HOVER_TEXTURE : SLOT_TEXTURE);
        if (selection != UI_STATE_BEGUN) continue;
        if (TextComponent* text = SlotText(element)) text->m_color = SLOT_SELECTED_TEXT_COLOUR;
        SetElementTexture(element, SLOT_SELECTED_TEXTURE);
        element->m_IsSticky = true;
        if (m_SelectedSlot && m_SelectedSlot != element) {
            if (TextComponent* text = SlotText(m_SelectedSlot)) text->m_color = SLOT_TEXT_COLOUR;
            m_SelectedSlot->m_SelectState =
                m_SelectedSlot->m_SelectState == UI_STATE_HOLDING ? UI_STATE_ENDED : UI_STATE_IDLE;
        }
        m_SelectedSlot = element;
        element->m_SelectState = UI_STATE_BEGUN;
    }

    if (!SlotText(m_SelectedSlot)) return;
    const std::string name = SlotName(m_SelectedSlot);
    ProfileManager* profiles = Profiles();
    if (m_SelectClicked && profiles) {
        std::string chosen = name;
        if (profiles->SelectProfile(chosen)) {
            RefreshProfileList();
            manager.RequestState(manager.GetPreviousState());
        }
    } else if (m_DeleteClicked && name != ProfileManager::GUEST_NAME) {
        // The confirmation's return re-selects the current profile: keep this one.
        m_PendingDeletion = name;
        manager.RequestState(STATE_CONFIRMATIONMENU);
    }
}

void Menu::AddProfile(GameStateManager& manager)
{
    if (!m_NameField) {
        QRX_LOG_ERROR("Something is very wrong! lblName is missing! There won't be ability to input name and save "
                      "profile. Possible crash.");
        return;
    }
    if (ProfileManager* profiles = Profiles()) {
        std::string name = ProfileNameOf(m_TypedName);
        if (name.empty()) {
            // A blank name would greet nobody and not survive a restart: the screen stays for a name.
            QRX_LOG_WARNING("A profile needs a name; nothing created.");
            return;
        }
        if (static_cast<int>(profiles->GetProfiles().size()) < MAX_PROFILES) {
            profiles->CreateProfile(name);
            profiles->SelectProfile(name);
        } else {
            QRX_LOG_WARNING("Reached max profile limit of %i, ignoring add.", MAX_PROFILES);
        }
    }
    manager.RequestState(manager.GetPreviousState());
    RefreshProfileList();
}

void Menu::DeleteConfirmedProfile()
{
    ProfileManager* profiles = Profiles();
    const std::string name = m_PendingDeletion;
    m_PendingDeletion.clear();
    if (profiles && !name.empty() && name != ProfileManager::GUEST_NAME) profiles->DeleteProfile(name);
    RefreshProfileList();
    SelectCurrentProfileSlot();
}

// Loading overlay --------------------------------------------------------------

void Menu::ShowLoadingOverlay()
{
    System* system = System::GetInstance();
    ObjectManager* objects = system->objectManager;
    if (!objects) return;
    if (!m_LoadingOverlay.Refresh()) {
        if (GameObject* picture = objects->CreateInstanceHelper(SPRITE, true)) {
            if (auto* gui = picture->GetComponent<GUIComponent>()) gui->m_textureId = OVERLAY_TEXTURE;
            picture->scale.x = GUIComponent::LAYOUT_WIDTH;
            picture->scale.y = GUIComponent::LAYOUT_HEIGHT;
            picture->position = picture->previousPosition = glm::vec3(0.0f, 0.0f, OVERLAY_Z);
            picture->flags &= ~OBJ_WORLD_VALID;
            m_LoadingOverlay = picture;
        }
    }
    if (!m_RobotOverlay.Refresh()) {
        if (GameObject* robot = objects->CreateInstanceHelper(MENUROBOTANIMATION, true)) {
            robot->scale.x = OVERLAY_ROBOT_SIZE;
            robot->scale.y = OVERLAY_ROBOT_SIZE;
            robot->position = robot->previousPosition = glm::vec3(OVERLAY_ROBOT_X, OVERLAY_ROBOT_Y, OVERLAY_ROBOT_Z);
            robot->flags &= ~OBJ_WORLD_VALID;
            m_RobotOverlay = robot;
        }
    }
    // Laid out for 1024 x 768 like every screen.
    if (system->window) system->window->RescaleUIObjects();
}

void Menu::HideLoadingOverlay()
{
    for (GameObjectHandle* piece : {&m_LoadingOverlay, &m_RobotOverlay}) {
        if (piece->Refresh()) piece->object->flags |= OBJ_DESTROY;
        *piece = nullptr;
    }
}

bool Menu::IsOverlayShown()
{
    return m_LoadingOverlay.Refresh() && !(m_LoadingOverlay.object->flags & OBJ_DESTROY);
}

} // namespace QRX
