#include "engine/core/InputInterpreter.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

#include <tinyxml2.h>

#include "engine/core/Controller.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"

namespace QRX {

using namespace Platform;

namespace {

// A pad code that no keystroke carries: the binding answers by its stick only.
constexpr std::uint16_t STICK_ONLY = 0x29;

struct ActionRow
{
    const char* name;
    int stick;
    int key;
    std::uint16_t padOne;
    std::uint16_t padTwo;
};

const ActionRow kActions[ACTIONS_PER_PLAYER] = {
    {"escape", STICK_NONE, KEY_ESCAPE, VK_PAD_START, VK_PAD_START},
    {"reset", STICK_NONE, KEY_A + ('P' - 'A'), VK_PAD_RSHOULDER, VK_PAD_RSHOULDER},
    {"up", STICK_LEFT, KEY_A + ('W' - 'A'), VK_PAD_RTHUMB_UP, STICK_ONLY},
    {"down", STICK_LEFT, KEY_A + ('S' - 'A'), STICK_ONLY, STICK_ONLY},
    {"left", STICK_LEFT, KEY_A, STICK_ONLY, STICK_ONLY},
    {"right", STICK_LEFT, KEY_A + ('D' - 'A'), STICK_ONLY, STICK_ONLY},
    {"rotateLeft", STICK_RIGHT, KEY_A + ('Q' - 'A'), VK_PAD_LSHOULDER, STICK_ONLY},
    {"rotateRight", STICK_RIGHT, KEY_A + ('E' - 'A'), VK_PAD_RSHOULDER, STICK_ONLY},
    {"pickup", STICK_NONE, KEY_LBUTTON, VK_PAD_A, VK_PAD_A},
    {"drop", STICK_NONE, KEY_RBUTTON, VK_PAD_B, VK_PAD_B},
    {"throw", STICK_NONE, KEY_LBUTTON, VK_PAD_A, VK_PAD_A},
    {"activePower", STICK_NONE, KEY_A + ('T' - 'A'), VK_PAD_Y, VK_PAD_Y},
    {"power1", STICK_NONE, KEY_0 + 1, VK_PAD_DPAD_UP, VK_PAD_DPAD_UP},
    {"power2", STICK_NONE, KEY_0 + 2, VK_PAD_DPAD_DOWN, VK_PAD_DPAD_DOWN},
};

std::map<std::string, std::uint16_t> BuildPadKeyTable()
{
    return {
        {"VK_PAD_A", VK_PAD_A},
        {"VK_PAD_B", VK_PAD_B},
        {"VK_PAD_X", VK_PAD_X},
        {"VK_PAD_Y", VK_PAD_Y},
        {"VK_PAD_RSHOULDER", VK_PAD_RSHOULDER},
        {"VK_PAD_LSHOULDER", VK_PAD_LSHOULDER},
        {"VK_PAD_LTRIGGER", VK_PAD_LTRIGGER},
        {"VK_PAD_RTRIGGER", VK_PAD_RTRIGGER},
        {"VK_PAD_DPAD_UP", VK_PAD_DPAD_UP},
        {"VK_PAD_DPAD_DOWN", VK_PAD_DPAD_DOWN},
        {"VK_PAD_DPAD_LEFT", VK_PAD_DPAD_LEFT},
        {"VK_PAD_DPAD_RIGHT", VK_PAD_DPAD_RIGHT},
        {"VK_PAD_START", VK_PAD_START},
        {"VK_PAD_BACK", VK_PAD_BACK},
        {"VK_PAD_LTHUMB_PRESS", VK_PAD_LTHUMB_PRESS},
        {"VK_PAD_RTHUMB_PRESS", VK_PAD_RTHUMB_PRESS},
        {"VK_PAD_LTHUMB_UP", VK_PAD_LTHUMB_UP},
        {"VK_PAD_LTHUMB_DOWN", VK_PAD_LTHUMB_DOWN},
        {"VK_PAD_LTHUMB_RIGHT", VK_PAD_LTHUMB_RIGHT},
        {"VK_PAD_LTHUMB_LEFT", VK_PAD_LTHUMB_LEFT},
        {"VK_PAD_LTHUMB_UPLEFT", VK_PAD_LTHUMB_UPLEFT},
        {"VK_PAD_LTHUMB_UPRIGHT", VK_PAD_LTHUMB_UPRIGHT},
        {"VK_PAD_LTHUMB_DOWNRIGHT", VK_PAD_LTHUMB_DOWNRIGHT},
        {"VK_PAD_LTHUMB_DOWNLEFT", VK_PAD_LTHUMB_DOWNLEFT},
        {"VK_PAD_RTHUMB_UP", VK_PAD_RTHUMB_UP},
        {"VK_PAD_RTHUMB_DOWN", VK_PAD_RTHUMB_DOWN},
        {"VK_PAD_RTHUMB_RIGHT", VK_PAD_RTHUMB_RIGHT},
        {"VK_PAD_RTHUMB_LEFT", VK_PAD_RTHUMB_LEFT},
        {"VK_PAD_RTHUMB_UPLEFT", VK_PAD_RTHUMB_UPLEFT},
        {"VK_PAD_RTHUMB_UPRIGHT", VK_PAD_RTHUMB_UPRIGHT},
        {"VK_PAD_RTHUMB_DOWNRIGHT", VK_PAD_RTHUMB_DOWNRIGHT},
        {"VK_PAD_RTHUMB_DOWNLEFT", VK_PAD_RTHUMB_DOWNLEFT},
    };
}

// A key index as written in the file: a number read by stream extraction that
// lies inside the key arrays. False for absent, malformed or out-of-range text.
bool ParseKeyIndex(const std::string& text, int& index)
{
    if (text == "null") return false;
    std::istringstream in(text);
    long value = 0;
    if (!(in >> value)) return false;
    if (value < 0 || value >= InputManager::KEY_COUNT) return false;
    index = static_cast<int>(value);
    return true;
}

bool KeyInRange(int index)
{
    return index >= 0 && index < InputManager::KEY_COUNT;
}

} // namespace

// ---------------------------------------------------------------- InputBinding

bool InputBinding::PadConnected()
{
    return m_usePad && m_pad && m_pad->Refresh();
}

bool InputBinding::IsTriggered(int action)
{
    if (PadConnected()) {
        if (m_stick != STICK_NONE && GetStickDirection() == action) return true;
        return m_pad->m_keystroke.VirtualKey == m_padCode && m_padCode != 0 &&
               m_pad->m_keystroke.Flags == XINPUT_KEYSTROKE_KEYDOWN;
    }
    return KeyInRange(m_keyIndex) && InputManager::IsGameKeyTriggered(m_keyIndex);
}

bool InputBinding::IsHeld(int action)
{
    if (PadConnected()) {
        if (m_stick != STICK_NONE && GetStickDirection() == action) return true;
        return m_pad->m_keystroke.VirtualKey == m_padCode && m_padCode != 0 &&
               (m_pad->m_keystroke.Flags & XINPUT_KEYSTROKE_REPEAT) != 0;
    }
    return KeyInRange(m_keyIndex) && InputManager::IsGameKeyHeld(m_keyIndex);
}

int InputBinding::GetStickDirection() const
{
    if (!m_pad) return NO_STICK_DIRECTION;
    const XINPUT_GAMEPAD& pad = m_pad->m_state.Gamepad;
    const bool right = m_stick == STICK_RIGHT;
    const int x = right ? pad.sThumbRX : pad.sThumbLX;
    const int y = right ? pad.sThumbRY : pad.sThumbLY;
    const int ax = std::abs(x), ay = std::abs(y);

    int direction = NO_STICK_DIRECTION;
    if (ay > STICK_THRESHOLD && ax < ay) direction = y > 0 ? ACTION_UP : ACTION_DOWN;
    else if (ax > STICK_THRESHOLD && right) direction = x < 0 ? ACTION_ROTATE_LEFT : ACTION_ROTATE_RIGHT;
    else if (ax > STICK_THRESHOLD) direction = x < 0 ? ACTION_LEFT : ACTION_RIGHT;

    if (m_pad->m_userIndex != 0) direction += ACTIONS_PER_PLAYER;
    return direction;
}

// ------------------------------------------------------------ InputInterpreter

const std::map<std::string, std::uint16_t>& InputInterpreter::GetPadKeyTable()
{
    static const std::map<std::string, std::uint16_t> table = BuildPadKeyTable();
    return table;
}

const char* InputInterpreter::ActionName(int action)
{
    return action >= 0 && action < ACTIONS_PER_PLAYER ? kActions[action].name : "";
}

int InputInterpreter::ActionStick(int action)
{
    return action >= 0 && action < ACTIONS_PER_PLAYER ? kActions[action].stick : STICK_NONE;
}

Controller* InputInterpreter::PadOf(int player)
{
    System* system = System::GetInstance();
    return player == 1 ? system->pad1 : system->pad0;
}

void InputInterpreter::SetDefaultBinding(int position)
{
    if (position < 0 || position >= BINDING_COUNT) return;
    const int player = position / ACTIONS_PER_PLAYER;
    const ActionRow& row = kActions[position % ACTIONS_PER_PLAYER];
    InputBinding b;
    b.m_pad = PadOf(player);
    b.m_padCode = player == 0 ? row.padOne : row.padTwo;
    b.m_stick = row.stick;
    b.m_usePad = true;
    b.m_keyIndex = row.key;
    b.m_number = position;
    if (position >= GetBindingCount()) m_bindings.resize(position + 1);
    m_bindings[position] = b;
}

InputBinding& InputInterpreter::GetBinding(int position)
{
    static InputBinding inert;
    const bool valid = position >= 0 && position < GetBindingCount();
    QRX_ASSERT(valid, 0, "Input binding position out of range!");
    if (!valid) {
        inert = InputBinding();  // no pad, no key: never fires
        inert.m_usePad = false;
        inert.m_keyIndex = -1;
        return inert;
    }
    return m_bindings[position];
}

void InputInterpreter::ReadPlayer(const std::string& path, int player)
{
    FileManager* files = System::GetInstance()->fileManager;
    for (int action = 0; action < ACTIONS_PER_PLAYER; ++action) {
        const int position = ACTIONS_PER_PLAYER * player + action;
        SetDefaultBinding(position);
        InputBinding& b = m_bindings[position];
        b.m_number = 2 * ACTIONS_PER_PLAYER * player + action;

        const std::string name = kActions[action].name;
        const std::string keyText = files->ReadData<std::string>(path, name + "Keyboard", player);
        if (!ParseKeyIndex(keyText, b.m_keyIndex))
            QRX_LOG_WARNING("%s: %sKeyboard of player %d is \"%s\", not a key index from 0 to %d; using key %d.",
                            path.c_str(), name.c_str(), player + 1, keyText.c_str(),
                            InputManager::KEY_COUNT - 1, b.m_keyIndex);

        // Without an "Xbox" element the default stays: the stick-only actions
        // have no pad name to write.
        const std::string padText = files->ReadData<std::string>(path, name + "Xbox", player);
        if (padText == "null") continue;
        auto it = GetPadKeyTable().find(padText);
        if (it != GetPadKeyTable().end()) {
            b.m_padCode = it->second;
        } else {
            b.m_padCode = 0;
            QRX_LOG_WARNING("%s: unknown pad button \"%s\" for %sXbox of player %d; no pad button bound.",
                            path.c_str(), padText.c_str(), name.c_str(), player + 1);
        }
    }
}

bool InputInterpreter::Init(const std::string& path)
{
    GetPadKeyTable();
    m_bindings.clear();

    FileManager* files = System::GetInstance()->fileManager;
    bool opened = files && files->OpenFile(path);
    if (opened && (!files->dataRoot || std::strcmp(files->dataRoot->Name(), "controls") != 0)) {
        QRX_LOG_ERROR("%s: the root element is not \"controls\".", path.c_str());
        files->CloseFile(path);
        opened = false;
    }
    if (!opened) {
        for (int position = 0; position < BINDING_COUNT; ++position) SetDefaultBinding(position);
        QRX_LOG_WARNING("Unable to open mappings.xml. Defaulting to predefined configurations.");
        return false;
    }

    files->ReadGenericData(path);
    const int numPlayers = files->GetEntryCount(path);
    QRX_ASSERT(numPlayers < 3 && numPlayers != 0, 0,
               "Please configure inputinterpreter.cpp to handle 3 or more players!");

    const int readPlayers = numPlayers < PLAYER_COUNT ? numPlayers : PLAYER_COUNT;
    for (int player = 0; player < readPlayers; ++player) ReadPlayer(path, player);
    // A file with fewer players still answers every position.
    for (int position = GetBindingCount(); position < BINDING_COUNT; ++position) SetDefaultBinding(position);

    files->CloseFile(path);
    return true;
}

} // namespace QRX
