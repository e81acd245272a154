#include "engine/core/InputManager.h"

#include <cstdlib>

#include "engine/platform/Mouse.h"
#include "engine/platform/Pads.h"
#include "engine/platform/VirtualKeys.h"
#include "engine/platform/WindowMessages.h"

namespace QRX {

using namespace Platform;

int InputManager::current[InputManager::KEY_COUNT] = {};
int InputManager::previous[InputManager::KEY_COUNT] = {};
bool InputManager::s_keyboardTaken = false;
bool InputManager::s_takenThisFrame = false;
bool InputManager::s_hiddenFromGame[InputManager::KEY_COUNT] = {};

namespace {

struct KeyRow
{
    std::uint32_t virtualKey;
    int index;
};

// Searched in row order; decimal and divide are the two rows out of sequence.
const KeyRow kKeyTable[InputManager::KEY_COUNT] = {
    {VK_LBUTTON, 0}, {VK_RBUTTON, 1}, {VK_MBUTTON, 2}, {VK_BACK, 3},
    {VK_TAB, 4}, {VK_RETURN, 5}, {VK_SHIFT, 6}, {VK_CONTROL, 7},
    {VK_MENU, 8}, {VK_PAUSE, 9}, {VK_CAPITAL, 10}, {VK_ESCAPE, 11},
    {VK_SPACE, 12}, {VK_PRIOR, 13}, {VK_NEXT, 14}, {VK_END, 15},
    {VK_HOME, 16}, {VK_INSERT, 17}, {VK_DELETE, 18}, {VK_LEFT, 19},
    {VK_UP, 20}, {VK_RIGHT, 21}, {VK_DOWN, 22}, {'0', 23},
    {'1', 24}, {'2', 25}, {'3', 26}, {'4', 27},
    {'5', 28}, {'6', 29}, {'7', 30}, {'8', 31},
    {'9', 32}, {'A', 33}, {'B', 34}, {'C', 35},
    {'D', 36}, {'E', 37}, {'F', 38}, {'G', 39},
    {'H', 40}, {'I', 41}, {'J', 42}, {'K', 43},
    {'L', 44}, {'M', 45}, {'N', 46}, {'O', 47},
    {'P', 48}, {'Q', 49}, {'R', 50}, {'S', 51},
    {'T', 52}, {'U', 53}, {'V', 54}, {'W', 55},
    {'X', 56}, {'Y', 57}, {'Z', 58}, {VK_NUMPAD0, 59},
    {VK_NUMPAD0 + 1, 60}, {VK_NUMPAD0 + 2, 61}, {VK_NUMPAD0 + 3, 62}, {VK_NUMPAD0 + 4, 63},
    {VK_NUMPAD0 + 5, 64}, {VK_NUMPAD0 + 6, 65}, {VK_NUMPAD0 + 7, 66}, {VK_NUMPAD0 + 8, 67},
    {VK_NUMPAD0 + 9, 68}, {VK_MULTIPLY, 69}, {VK_ADD, 70}, {VK_SUBTRACT, 71},
    {VK_DECIMAL, 73}, {VK_DIVIDE, 72}, {VK_F1, 74}, {VK_F1 + 1, 75},
    {VK_F1 + 2, 76}, {VK_F1 + 3, 77}, {VK_F1 + 4, 78}, {VK_F1 + 5, 79},
    {VK_F1 + 6, 80}, {VK_F1 + 7, 81}, {VK_F1 + 8, 82}, {VK_F1 + 9, 83},
    {VK_F1 + 10, 84}, {VK_F1 + 11, 85}, {VK_NUMLOCK, 86}, {VK_SCROLL, 87},
    {VK_OEM_1, 88}, {VK_OEM_PLUS, 89}, {VK_OEM_COMMA, 90}, {VK_OEM_MINUS, 91},
    {VK_OEM_PERIOD, 92}, {VK_OEM_2, 93}, {VK_OEM_3, 94}, {VK_OEM_4, 95},
    {VK_OEM_5, 96}, {VK_OEM_6, 97}, {VK_OEM_7, 98},
};

bool PadConnected(XINPUT_STATE& state)
{
    return XInputGetState(InputManager::CURSOR_PAD, &state) == ERROR_SUCCESS;
}

} // namespace

InputManager::InputManager()
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        current[i] = previous[i] = 0;
        s_hiddenFromGame[i] = false;
    }
    s_keyboardTaken = s_takenThisFrame = false;
}

int InputManager::KeyIndexOf(std::uint32_t virtualKey)
{
    for (const KeyRow& row : kKeyTable)
        if (row.virtualKey == virtualKey) return row.index;
    return -1;
}

void InputManager::SetKeyboardTaken(bool taken)
{
    s_keyboardTaken = taken;
    if (!taken) return;  // the game gets the keys back at the end of the frame
    s_takenThisFrame = true;
    for (int i = 0; i < KEY_COUNT; ++i)
        if (current[i] == 1) s_hiddenFromGame[i] = true;
}

bool InputManager::IsGameKeyHeld(int keyIndex)
{
    return !s_takenThisFrame && !s_hiddenFromGame[keyIndex] && IsHeld(keyIndex);
}

bool InputManager::IsGameKeyTriggered(int keyIndex)
{
    return !s_takenThisFrame && !s_hiddenFromGame[keyIndex] && IsTriggered(keyIndex);
}

void InputManager::KeyDown(std::uint32_t virtualKey)
{
    int index = KeyIndexOf(virtualKey);
    if (index < 0) {
        // Still a key between two characters: the console tells whose a character is by it.
        if (m_strokes.size() < STROKES_PER_FRAME) m_strokes.push_back(Stroke{});
        return;
    }
    if (!m_down[index]) {
        Stroke stroke;
        stroke.keyIndex = index;
        if (m_strokes.size() < STROKES_PER_FRAME) m_strokes.push_back(stroke);
        s_hiddenFromGame[index] = s_takenThisFrame;
    }
    m_down[index] = true;
    current[index] = 1;
    m_releaseHeld[index] = false;
}

void InputManager::KeyUp(std::uint32_t virtualKey)
{
    const int index = KeyIndexOf(virtualKey);
    if (index >= 0) ReleaseKey(index);
}

void InputManager::ReleaseKey(int index)
{
    m_down[index] = false;
    // A press no frame has seen yet stays down until the end of this frame.
    if (current[index] == 1 && previous[index] == 0) m_releaseHeld[index] = true;
    else current[index] = 0;
}

void InputManager::ReleaseAllKeys()
{
    for (int index = 0; index < KEY_COUNT; ++index)
        if (m_down[index] || current[index] != 0) ReleaseKey(index);
}

void InputManager::OnMouseMove(std::int64_t lParam)
{
    m_prevX = m_currX;
    m_prevY = m_currY;
    XINPUT_STATE state;
    if (!PadConnected(state)) {
        m_currX = LowWord(static_cast<std::uint64_t>(lParam));
        m_currY = HighWord(static_cast<std::uint64_t>(lParam));
    }
    m_moved = true;
    m_deltaX = float(m_currX) - float(m_prevX);
    m_deltaY = float(m_currY) - float(m_prevY);
}

void InputManager::OnMouseWheel(std::uint64_t wParam)
{
    m_wheel = WheelDelta(wParam);
}

bool InputManager::IsAcceptedCharacter(std::uint64_t c)
{
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    switch (c) {
    case '\b': case ' ': case '(': case ')': case '-': case '.': case '/':
    case ':': case ';': case '>': case '\\': case '_':
        return true;
    default:
        return false;
    }
}

void InputManager::OnCharacter(std::uint64_t wParam)
{
    if (!IsAcceptedCharacter(wParam)) return;
    m_typedChar = static_cast<char>(wParam);
    m_charReady = true;
    Stroke stroke;
    stroke.character = m_typedChar;
    if (m_strokes.size() < STROKES_PER_FRAME) m_strokes.push_back(stroke);
}

void InputManager::ClaimStroke(std::size_t index)
{
    if (index < m_strokes.size()) m_strokes[index].claimed = true;
}

std::string InputManager::GetUnclaimedText() const
{
    std::string text;
    for (const Stroke& stroke : m_strokes)
        if (stroke.IsCharacter() && !stroke.claimed) text += stroke.character;
    return text;
}

void InputManager::Update()
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        previous[i] = current[i];
        if (m_releaseHeld[i]) current[i] = 0;
        m_releaseHeld[i] = false;
        if (current[i] == 0) s_hiddenFromGame[i] = false;
    }
    s_takenThisFrame = s_keyboardTaken;

    m_wheel = 0;
    if (m_charReady) {
        m_typedChar = 0;
        m_charReady = false;
    }
    m_strokes.clear();

    XINPUT_STATE state;
    if (PadConnected(state)) {
        m_prevX = m_currX;
        m_prevY = m_currY;
        MoveCursorWithPad(state.Gamepad.sThumbLX, state.Gamepad.sThumbLY);
    }

    m_deltaX = m_deltaY = 0.0f;
    if (m_currX == m_prevX && m_currY == m_prevY) m_moved = false;
    m_prevX = m_currX;
    m_prevY = m_currY;
}

void InputManager::MoveCursorWithPad(int thumbX, int thumbY)
{
    int x = m_currX, y = m_currY;
    GetCursorClientPosition(x, y);  // keeps the stored position without a window

    const int ax = std::abs(thumbX), ay = std::abs(thumbY);
    bool stepped = true;
    if (ay > PAD_CURSOR_THRESHOLD && ax < ay) y += thumbY >= 1 ? -PAD_CURSOR_STEP : PAD_CURSOR_STEP;
    else if (ax > PAD_CURSOR_THRESHOLD) x += thumbX < 0 ? -PAD_CURSOR_STEP : PAD_CURSOR_STEP;
    else stepped = false;

    // Only a stick that moves the cursor moves the system pointer: a pad at
    // rest leaves it wherever the mouse put it, inside the window or not.
    if (stepped) WarpCursor(x, y);

    // The stored position is kept in 16 unsigned bits: a pointer past an
    // edge would wrap it to the far side of the screen, so it is held inside
    // the client area.
    int w = 0, h = 0;
    const bool sized = GetCursorWindowSize(w, h) && w > 0 && h > 0;
    const int maxX = sized ? w - 1 : 0xFFFF, maxY = sized ? h - 1 : 0xFFFF;
    m_currX = static_cast<std::uint16_t>(x < 0 ? 0 : (x > maxX ? maxX : x));
    m_currY = static_cast<std::uint16_t>(y < 0 ? 0 : (y > maxY ? maxY : y));
}

void InputManager::MapCursorPosition(int cx, int cy, int w, int h, float& x, float& y)
{
    if (w <= 0 || h <= 0) {  // a minimised window has no size to divide by
        x = y = 0.5f;
        return;
    }
    x = float(cx - w / 2) / (float(w) / 1.2f) + 0.5f;
    y = 0.5f - float(cy - h / 2) / (float(h) / 1.2f);
}

void InputManager::GetCursorPosition(float& x, float& y) const
{
    int cx = 0, cy = 0, w = 0, h = 0;
    if (!GetCursorClientPosition(cx, cy) || !GetCursorWindowSize(w, h)) {
        x = y = 0.5f;
        return;
    }
    MapCursorPosition(cx, cy, w, h, x, y);
}

} // namespace QRX
