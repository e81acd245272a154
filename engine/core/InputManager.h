// Keyboard and mouse state that the rest of the program polls.
//
// Keys live in two static arrays indexed by the engine's own key index
// (0..KEY_COUNT-1): current (set by the key messages of this frame's pump) and
// previous (the states at the end of the last frame). A key is held while
// current is 1 and triggered when current is 1 and previous 0, so a press
// triggers for exactly one frame. A key pressed and released inside one pump
// (a quick tap on a slow frame) still counts as down for that frame: its
// release is held back until Update. The window procedure feeds KeyDown/KeyUp
// with Win32 virtual-key codes, mouse moves, the wheel and typed characters;
// the frame loop calls Update after the buffers are swapped.
//
// Typing: every character typed in a frame is kept, in order, among the
// frame's strokes together with the keys that went down (a key held down and
// repeating goes down once), so that text entry can tell which characters
// came before and after a key. Text entry claims the characters it takes;
// the rest are the game's (GetUnclaimedText).
//
// Keyboard ownership: while text entry (the console) has taken the keyboard,
// the game's view of the keys (IsGameKeyHeld, IsGameKeyTriggered, which the
// action bindings read) sees every key up, until the end of the frame in
// which it gives the keyboard back; a key that went down meanwhile stays up
// for the game until it is released. IsHeld and IsTriggered are the raw
// state that text entry and the developer keys read.
//
// While pad 0 is connected the cursor follows its left stick only: Update
// moves the system cursor PAD_CURSOR_STEP pixels a frame along the stick's
// dominant axis, and mouse moves no longer change the stored position. A
// stick at rest never moves the system cursor; the stored position is the
// system cursor's, held inside the client area.
//
// Picking turns the stored cursor into an object with the camera and the
// window's client size (the camera, the boxes' test and the object panel are
// reached through the engine's door, EngineDoor::Picking): a ray pick against
// boxes of the objects' scale, a
// screen pick against user-interface rectangles (window centre at the origin,
// y up) and the point under the cursor on a horizontal plane. The picked
// object is held by a handle, so it reads as gone once the object dies.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/GameObjectHandle.h"

namespace QRX {

// Key indices read directly by the program.
enum KeyIndex {
    KEY_LBUTTON = 0,
    KEY_RBUTTON = 1,
    KEY_MBUTTON = 2,
    KEY_BACK = 3,
    KEY_TAB = 4,
    KEY_RETURN = 5,
    KEY_SHIFT = 6,
    KEY_CONTROL = 7,
    KEY_ALT = 8,
    KEY_ESCAPE = 11,
    KEY_SPACE = 12,
    KEY_PAGEUP = 13,
    KEY_PAGEDOWN = 14,
    KEY_END = 15,
    KEY_HOME = 16,
    KEY_DELETE = 18,
    KEY_LEFT = 19,
    KEY_UP = 20,
    KEY_RIGHT = 21,
    KEY_DOWN = 22,
    KEY_0 = 23,  // '0'..'9' are 23..32
    KEY_A = 33,  // 'A'..'Z' are 33..58
    KEY_NUMPAD0 = 59,
    KEY_DIVIDE = 72,
    KEY_DECIMAL = 73,
    KEY_F1 = 74,  // F1..F12 are 74..85
    KEY_F4 = 77,
    KEY_F10 = 83,
    KEY_F11 = 84,
    KEY_F12 = 85,
    KEY_OEM_COMMA = 90,
    KEY_OEM_3 = 94,
};

class InputManager
{
public:
    static constexpr int KEY_COUNT = 99;
    // Pixels the pad moves the cursor in one frame.
    static constexpr int PAD_CURSOR_STEP = 5;
    // Stick magnitude beyond which the pad moves the cursor.
    static constexpr int PAD_CURSOR_THRESHOLD = 7849;
    // The user index of the pad that drives the cursor.
    static constexpr std::uint32_t CURSOR_PAD = 0;
    // Strokes kept in one frame; more are dropped (a runaway repeat or paste).
    static constexpr std::size_t STROKES_PER_FRAME = 256;
    // The key index of a stroke for a key outside the table.
    static constexpr int UNKNOWN_KEY = -1;

    // One entry of the frame's typing, in message order: a key going down
    // (character 0) or a typed character (keyIndex UNKNOWN_KEY). `claimed`
    // marks what text entry took.
    struct Stroke
    {
        int keyIndex = UNKNOWN_KEY;
        char character = 0;
        bool claimed = false;
        bool IsCharacter() const { return character != 0; }
    };

    // 1 down, 0 up; indexed by key index.
    static int current[KEY_COUNT];
    static int previous[KEY_COUNT];

    // Clears both key arrays and every field.
    InputManager();

    // The key index of a virtual-key code, -1 for a code outside the table.
    static int KeyIndexOf(std::uint32_t virtualKey);
    static bool IsHeld(int keyIndex) { return current[keyIndex] == 1; }
    static bool IsTriggered(int keyIndex) { return current[keyIndex] == 1 && previous[keyIndex] == 0; }

    // Text entry takes the keyboard from the game (true) or gives it back
    // (false; the game sees keys again from the next frame on). Taking it
    // also hides the keys held at that moment until they are released.
    static void SetKeyboardTaken(bool taken);
    static bool IsKeyboardTaken() { return s_keyboardTaken; }
    // The game's view of a key: IsHeld / IsTriggered, but up while text entry
    // has the keyboard and, for a key that went down meanwhile, until its release.
    static bool IsGameKeyHeld(int keyIndex);
    static bool IsGameKeyTriggered(int keyIndex);

    // Marks the key of a virtual-key code down / up; codes outside the table
    // only count as a stroke. The release of a key pressed since the last
    // Update is carried out by the next Update, so the press is seen for one
    // frame. A key that was up adds a stroke.
    void KeyDown(std::uint32_t virtualKey);
    void KeyUp(std::uint32_t virtualKey);
    // KeyUp for every key held (a new window, whose messages start afresh).
    void ReleaseAllKeys();
    // A mouse message's lParam (client x low word, y high word). The stored
    // position only changes while pad 0 is not connected.
    void OnMouseMove(std::int64_t lParam);
    // A wheel message's wParam: keeps its signed high word (multiples of 120).
    void OnMouseWheel(std::uint64_t wParam);
    // A character message's wParam: keeps it (as the typed character and as
    // a stroke) when it is one the console accepts (backspace, space,
    // ( ) - . / : ; > \ _, digits, letters).
    void OnCharacter(std::uint64_t wParam);
    static bool IsAcceptedCharacter(std::uint64_t character);

    // End of frame: previous := current, held-back releases carried out,
    // released keys given back to the game, wheel, typed character and
    // strokes cleared, the pad-driven cursor moved, deltas zeroed.
    void Update();

    // This frame's strokes in message order.
    const std::vector<Stroke>& GetStrokes() const { return m_strokes; }
    // Text entry took the stroke at the index (out of range: nothing).
    void ClaimStroke(std::size_t index);
    // The characters of this frame that text entry did not claim, in order.
    std::string GetUnclaimedText() const;

    // The system cursor mapped so that the window centre is (0.5, 0.5) and the
    // edges -0.1 / 1.1 (y up). (0.5, 0.5) when the window size is unknown or 0.
    void GetCursorPosition(float& x, float& y) const;
    // The mapping itself for a cursor at client pixel (cx, cy) of a w x h window.
    static void MapCursorPosition(int cx, int cy, int w, int h, float& x, float& y);

    // The world point under window pixel (x, y) (origin bottom left) at depth
    // 0 (near plane) to 1 (far plane), through the System camera's view and
    // projection and a viewport of the client size. The origin without a camera.
    glm::vec3 Unproject(float x, float y, float depth) const;
    // The active object (not the sky box) whose box of half its scale the
    // cursor ray enters first; ties keep the earlier object. Null for an
    // empty list, no hit, or no camera or window.
    GameObject* RayPick(const std::vector<GameObject*>& objects) const;
    // The object whose rectangle (its x, y position, half its x, y scale)
    // holds the cursor, the largest z winning; ties keep the earlier. Null
    // when none does or there is no window.
    GameObject* ScreenPick(const std::vector<GameObject*>& objects) const;
    // The previous pick becomes the previously picked object and the ray /
    // screen pick's result the picked one (null empties the handle). With the
    // flag the result (null too) goes to the developers' object panel.
    // Returns the pick.
    GameObject* PickObject(const std::vector<GameObject*>& objects, bool openInTweakBar);
    GameObject* PickScreenObject(const std::vector<GameObject*>& objects, bool openInTweakBar);
    // The picked object while it lives; otherwise the handle is emptied and
    // null returned.
    GameObject* GetPickedObject();
    GameObject* GetPreviouslyPickedObject() const;
    // Empties the picked handle (unregistering it). Every state's Free or
    // Unload calls it.
    void ReleasePickedObject();
    // Where the ray under the current (or previous) cursor meets the
    // horizontal plane through point. A ray parallel to the plane, or no
    // camera or window, gives point itself.
    glm::vec3 GetMouseOnPlane(const glm::vec3& point, bool useCurrent) const;

    int GetMouseX() const { return m_currX; }
    int GetMouseY() const { return m_currY; }
    int GetPreviousMouseX() const { return m_prevX; }
    int GetPreviousMouseY() const { return m_prevY; }
    float GetDeltaX() const { return m_deltaX; }
    float GetDeltaY() const { return m_deltaY; }
    int GetWheel() const { return m_wheel; }
    bool HasMoved() const { return m_moved; }
    // The last character typed this frame.
    char GetTypedCharacter() const { return m_typedChar; }
    bool IsCharacterReady() const { return m_charReady; }

private:
    void ReleaseKey(int index);
    void MoveCursorWithPad(int thumbX, int thumbY);
    // Hands the picked object (null when none) to the object panel.
    void OpenPickInObjectPanel();

    std::uint16_t m_prevX = 0;
    std::uint16_t m_prevY = 0;
    std::uint16_t m_currX = 0;
    std::uint16_t m_currY = 0;
    bool m_releaseHeld[KEY_COUNT] = {};  // released in the pump that pressed it
    bool m_down[KEY_COUNT] = {};         // down as the messages last said (repeats do not press again)
    std::vector<Stroke> m_strokes;       // this frame's, in message order
    float m_deltaX = 0.0f;  // current - previous as of the last mouse message
    float m_deltaY = 0.0f;
    int m_wheel = 0;        // zeroed every frame
    bool m_moved = false;   // a mouse message arrived and the cursor has not rested since
    char m_typedChar = 0;
    bool m_charReady = false;
    GameObjectHandle m_picked;
    GameObjectHandle m_previouslyPicked;  // the picked object before the last pick

    static bool s_keyboardTaken;           // text entry has the keyboard
    static bool s_takenThisFrame;          // it had it at some point of this frame
    static bool s_hiddenFromGame[KEY_COUNT];  // went down while taken, not released since
};

} // namespace QRX
