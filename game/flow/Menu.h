// The game state of every menu screen (ids 36 to 50 and 52).
//
// One object serves them all and keeps its fields from one screen to the
// next; it learns which screen runs from the game-state manager's current id.
// A screen is a level file of user-interface objects under "menus/"; every
// element that reacts to the mouse carries a UILogicComponent, and the menu
// gives it its meaning by its UI name: buttons request states, check boxes
// switch the display and the sound, the slider sets the music volume, the
// name field takes typed characters, and the profile screen (42) lists one
// slot per profile to select or delete. Escape goes back (on the main menu
// it asks whether to quit). Load and Update also run the console's own Load
// and Update; while the console has the keyboard, typing and Escape are its.
//
// Rules:
// - Screens are laid out in pixels from the centre of a 1024 x 768 window
//   (y up) and fitted to the window when they enter; the slider's track ends
//   are laid out the same way and scaled by the window width.
// - The profile slots belong to screen 42: Free of that screen forgets them,
//   a rebuild hides, strips and returns the old ones before making new ones.
// - A profile name is drawn within its slot, the greeting and the name field,
//   cut with an ellipsis when too wide (the field shows the end being typed);
//   creating, selecting and deleting use the whole name.
// - A deletion confirmed on screen 49 deletes the profile that was
//   highlighted when "btnDelete" was clicked, never "Guest"; "btnConfirmNo"
//   forgets it.
// - A display change shows the loading overlay while the window rebuilds;
//   success goes to the loading screen in reload mode (51), failure to the
//   failure screen (38 or 39) with the overlay removed.
// - A screen file that cannot be opened ends the game after the frame and
//   nothing of it is read; a full object pool or a missing element leaves
//   that part out.
// - While the developer panels are shown (F1), a right click opens the
//   element under the cursor in the object panel; Free and Unload delete that
//   panel, Unload also hides the help window and the panels.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "engine/objects/GameObjectHandle.h"
#include "game/flow/GameState.h"

namespace QRX {

class GameObject;
class TextComponent;
class UILogicComponent;

// The most profiles the profile screen creates ("Guest" included), and the
// most slots its list shows: profiles past them stay in the file, unlisted.
constexpr int MAX_PROFILES = 12;
// The profile slots of screen 42, in layout pixels.
constexpr float PROFILE_SLOT_WIDTH = 256.0f;
constexpr float PROFILE_SLOT_HEIGHT = 32.0f;
constexpr float PROFILE_SLOT_TOP_Y = 112.0f;
constexpr float PROFILE_SLOT_SPACING = 32.0f;
constexpr float PROFILE_SLOT_Z = -9.0f;
// The slot's name starts this far in from its left edge, this far below its centre.
constexpr float PROFILE_SLOT_TEXT_MARGIN = 10.0f;
constexpr float PROFILE_SLOT_TEXT_Y = -5.0f;
constexpr const char* SLOT_TEXTURE = "blank";
constexpr const char* SLOT_HOVER_TEXTURE = "blankhover";
constexpr const char* SLOT_SELECTED_TEXTURE = "blankselected";

// The music slider's track ends, layout pixels from the centre.
constexpr float MAIN_SLIDER_LEFT = 105.0f;
constexpr float MAIN_SLIDER_RIGHT = 355.0f;
constexpr float PAUSE_SLIDER_LEFT = 20.0f;  // on the pause options screen (47)
constexpr float PAUSE_SLIDER_RIGHT = 220.0f;

// The loading overlay of a display change: a picture over the whole window
// and the waving robot before it.
constexpr const char* OVERLAY_TEXTURE = "loading_00";
constexpr float OVERLAY_Z = -5.0f;
constexpr float OVERLAY_ROBOT_X = -30.0f;
constexpr float OVERLAY_ROBOT_Y = 50.0f;
constexpr float OVERLAY_ROBOT_Z = -4.9f;
constexpr float OVERLAY_ROBOT_SIZE = 400.0f;

// The resolutions of the three boxes "chkboxReso1" to "chkboxReso3".
constexpr int RESOLUTION_CHOICES = 3;
constexpr int RESOLUTION_WIDTHS[RESOLUTION_CHOICES] = {800, 1024, 1280};
constexpr int RESOLUTION_HEIGHTS[RESOLUTION_CHOICES] = {600, 768, 960};

// The typed character that removes the last one.
constexpr char BACKSPACE_CHARACTER = 8;

// The music slider's track in window pixels from the centre.
struct SliderTrack
{
    float left;
    float right;
};

// The track of a screen's slider for a window width (layout ends scaled by
// width / 1024): 20..220 on the pause options (47), else 105..355.
SliderTrack VolumeSliderTrack(int stateId, int windowWidth);
// The volume a pointer at x (pixels from the centre) gives: 0 at or left of
// the left end, 1 at or right of the right end, linear between; 0 for a
// track without length.
float SliderVolume(float x, const SliderTrack& track);
// 1, 2 or 3 for a window of one of the three resolutions, else 0.
int ResolutionChoiceOf(int width, int height);
// The layout position of profile slot `index` (from 0).
glm::vec3 ProfileSlotPosition(int index);
// "Hello, " + name + "! (Not you?)".
constexpr const char* GREETING_HEAD = "Hello, ";
constexpr const char* GREETING_TAIL = "! (Not you?)";
// The greeting is centred in its box with at least this room on either side.
constexpr float GREETING_MARGIN = 10.0f;
std::string ProfileGreeting(const std::string& name);
// What cuts a text short.
constexpr const char* ELLIPSIS = "...";
// The width of a line of text in pixels; negative when it cannot be measured.
using TextMeasure = std::function<float(const std::string&)>;
// The text when it fits the width (or cannot be measured); else its longest
// start that fits with ELLIPSIS after it, or with keepEnd its longest end
// after ELLIPSIS (empty when not even the ellipsis fits).
std::string FitToWidth(const std::string& text, float width, const TextMeasure& measure, bool keepEnd = false);
// The greeting with the name cut (FitToWidth) so that the whole line fits.
std::string FittedProfileGreeting(const std::string& name, float width, const TextMeasure& measure);
// The room for a text component's line inside its object's box: from where
// the line starts to the box's right edge, less the margin it has on the left.
float TextRoom(const GameObject& object, const TextComponent& text);
// The text after typing a character: Backspace removes the last character
// (nothing when empty), any other character is appended; a name has no
// length limit.
std::string ApplyTypedCharacter(const std::string& text, char typed);
// The name a typed text gives a profile: without blanks at either end; empty
// when nothing but blanks was typed.
std::string ProfileNameOf(const std::string& typed);

class Menu : public GameState
{
public:
    Menu() = default;

    // Forgets the selected slot, refills the pool, clears the modal-loop flag
    // and refreshes the profile list.
    void Load() override;
    // Loads the screen of the current id (a missing file ends the game after
    // the frame and reads nothing), refreshes the profile list, starts the
    // menu music on the main menu unless it plays, and fits the screen to the
    // window. The checked resolution box is the window's size.
    void Init() override;
    // The current screen's objects stop being active; on 42 the slot names hide.
    void Pause() override;
    // Rebuilds the profile list, reactivates the current screen's objects and
    // removes the loading overlay.
    void Resume() override;
    // One frame of the screen (see the overview).
    void Update(GameStateManager& manager) override;
    // Returns the screen's objects and removes the overlay; screen 42 also
    // forgets its slots.
    void Free() override;
    // Returns the screen's objects, hides the help window and the panels.
    void Unload() override;

    // Sets the element's current texture and its owner's GUI texture.
    static void SetElementTexture(UILogicComponent* element, const std::string& textureId);
    // Escape, or player one's escape action: 41 on the main menu, else the
    // previous id.
    void HandleBackKey(GameStateManager& manager);
    // Rebuilds the slots; on 42 writes the names into them and selects the
    // current profile's slot.
    void RefreshProfileList();
    // On 42 only: retires the old slots and makes one per profile, fitted to
    // the window.
    void RebuildProfileSlots();
    // Selects the current profile's slot, else the first one.
    void SelectCurrentProfileSlot();
    // Drives the music slider ("volSliderBGM" only; other elements are left alone).
    void UpdateVolumeSlider(UILogicComponent* element);
    // Puts up the overlay pieces that are not up yet.
    void ShowLoadingOverlay();
    // Marks the overlay pieces for destruction and forgets them.
    void HideLoadingOverlay();

    const std::vector<GameObject*>& GetProfileSlots() const { return m_ProfileSlots; }
    UILogicComponent* GetSelectedSlot() const { return m_SelectedSlot; }
    int GetConfirmResult() const { return m_ConfirmResult; }
    int GetResolutionChoice() const { return m_ResolutionChoice; }
    bool IsOverlayShown();
    const std::string& GetPendingDeletion() const { return m_PendingDeletion; }

private:
    // Steps a to j for one element.
    void UpdateElement(GameStateManager& manager, GameObject& object, UILogicComponent& element);
    void OnButtonClicked(GameStateManager& manager, const std::string& name);
    void ChangeFullscreen(GameStateManager& manager);
    void ChangeResolution(GameStateManager& manager, int choice);
    void UpdateResolutionBoxes();
    void UpdateProfileSlots(GameStateManager& manager);
    void AddProfile(GameStateManager& manager);
    void DeleteConfirmedProfile();
    void StartMenuMusic();
    // The text component of a slot's object, or null.
    static TextComponent* SlotText(const UILogicComponent* element);
    // The whole profile name of a slot (its text may be cut to fit); "" for none.
    std::string SlotName(const UILogicComponent* element) const;

    std::vector<GameObject*> m_ProfileSlots;  // screen 42's slots in profile order; not owned
    std::vector<std::string> m_ProfileSlotNames;  // the whole name of each slot
    UILogicComponent* m_SelectedSlot = nullptr;
    int m_ConfirmResult = 0;     // 0 none, 1 yes, 2 no
    int m_ResolutionChoice = 0;  // 1 to 3, 0 for another size
    GameObjectHandle m_LoadingOverlay;
    GameObjectHandle m_RobotOverlay;
    std::string m_PendingDeletion;  // highlighted when "btnDelete" asked for 49

    // Takes this frame's characters that the console left into the name field.
    void TypeIntoNameField();

    // Found during this frame's element steps.
    std::array<UILogicComponent*, RESOLUTION_CHOICES> m_ResolutionBoxes{};
    TextComponent* m_NameField = nullptr;
    std::string m_TypedName;     // the name field's whole text (the field may show only its end)
    bool m_NameStarted = false;  // m_TypedName has taken the field's first text since the screen began
    bool m_ConsoleTyping = false;  // the console had the keyboard as the frame began
    bool m_SelectClicked = false;
    bool m_DeleteClicked = false;
    bool m_AddClicked = false;
};

} // namespace QRX
