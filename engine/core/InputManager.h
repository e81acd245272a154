// Keyboard and mouse state that the rest of the program polls.
//
// Keys live in two static arrays indexed by the engine's own key index
// (0..KEY_COUNT-1): current (set by the key messages of this frame's pump) and
// previous (the states at the end of the last frame). A key is held while
// current is 1 and triggered when current is 1 and previous 0, so a press
// triggers for exactly one frame. A key pressed and released inside one pump
// (a quick tap on a slow frame) still counts as down for that frame: its
// release is held back until Update. The window procedure feeds KeyDown/KeyUp with Win32 virtual-key codes,
// mouse moves, the wheel and typed characters; the frame loop calls Update
// after the buffers are swapped.
//
// While pad 0 is connected the cursor follows its left stick only: Update
// moves the system cursor PAD_CURSOR_STEP pixels a frame along the stick's
// dominant axis, and mouse moves no longer change the stored position. A
// stick at rest never moves the system cursor; the stored position is the
// system cursor's, held inside the client area.
//
// Picking turns the stored cursor into an object with the camera and the
// window's client size (the camera, the boxes' test and the object panel are
// reached through the picking seam that the program's start fills): a ray pick against boxes of the objects' scale, a
// screen pick against user-interface rectangles (window centre at the origin,
// y up) and the point under the cursor on a horizontal plane. The picked
// object is held by a handle, so it reads as gone once the object dies.
#pragma once
#include <cstdint>
#include <functional>
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

    // 1 down, 0 up; indexed by key index.
    static int current[KEY_COUNT];
    static int previous[KEY_COUNT];
    // Set while the in-game console is open: it has the keyboard, so the
    // camera and the game leave typed keys alone.
    static bool consoleHasKeyboard;

    // What picking needs from the floors above input, set by the program's
    // start. A part left empty acts as a missing camera, a miss, no panel.
    struct PickingSeam
    {
        // The world point under window pixel (x, y) (origin bottom left) at
        // depth 0 to 1 for a width x height viewport; false without a camera.
        std::function<bool(float x, float y, float depth, int width, int height, glm::vec3& point)> unproject;
        // The ray parameter at which the segment start..end enters the
        // object's pick box; false when it misses.
        std::function<bool(const glm::vec3& start, const glm::vec3& end, GameObject& object, float& t)> enterPickBox;
        // Shows the object in the developer's object panel; null closes it.
        std::function<void(GameObject* object)> showInPanel;
    };
    static PickingSeam picking;

    // Clears both key arrays and every field.
    InputManager();

    // The key index of a virtual-key code, -1 for a code outside the table.
    static int KeyIndexOf(std::uint32_t virtualKey);
    static bool IsHeld(int keyIndex) { return current[keyIndex] == 1; }
    static bool IsTriggered(int keyIndex) { return current[keyIndex] == 1 && previous[keyIndex] == 0; }

    // Marks the key of a virtual-key code down / up; codes outside the table
    // are ignored. The release of a key pressed since the last Update is
    // carried out by the next Update, so the press is seen for one frame.
    void KeyDown(std::uint32_t virtualKey);
    void KeyUp(std::uint32_t virtualKey);
    // A mouse message's lParam (client x low word, y high word). The stored
    // position only changes while pad 0 is not connected.
    void OnMouseMove(std::int64_t lParam);
    // A wheel message's wParam: keeps its signed high word (multiples of 120).
    void OnMouseWheel(std::uint64_t wParam);
    // A character message's wParam: keeps it when it is one the console
    // accepts (backspace, space, ( ) - . / : ; > \ _, digits, letters).
    void OnCharacter(std::uint64_t wParam);
    static bool IsAcceptedCharacter(std::uint64_t character);

    // End of frame: previous := current, held-back releases carried out,
    // wheel and typed character cleared, the pad-driven cursor moved, deltas
    // zeroed.
    void Update();

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
    char GetTypedCharacter() const { return m_typedChar; }
    bool IsCharacterReady() const { return m_charReady; }

private:
    void MoveCursorWithPad(int thumbX, int thumbY);
    // Hands the picked object (null when none) to the object panel.
    void OpenPickInObjectPanel();

    std::uint16_t m_prevX = 0;
    std::uint16_t m_prevY = 0;
    std::uint16_t m_currX = 0;
    std::uint16_t m_currY = 0;
    bool m_releaseHeld[KEY_COUNT] = {};  // released in the pump that pressed it
    float m_deltaX = 0.0f;  // current - previous as of the last mouse message
    float m_deltaY = 0.0f;
    int m_wheel = 0;        // zeroed every frame
    bool m_moved = false;   // a mouse message arrived and the cursor has not rested since
    char m_typedChar = 0;
    bool m_charReady = false;
    GameObjectHandle m_picked;
    GameObjectHandle m_previouslyPicked;  // the picked object before the last pick
};

} // namespace QRX
