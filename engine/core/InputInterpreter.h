// Actions of players one and two, answered by the keyboard or by a pad.
//
// Gameplay asks whether an action of a player is triggered (this frame) or
// held. Each of the BINDING_COUNT bindings, at position
// ACTIONS_PER_PLAYER * player + action, joins an action to a keyboard key
// index, a pad keystroke code and, for the movement and rotation actions, a
// stick. While a player's pad is connected only the pad answers; otherwise the
// keyboard does, as the game sees it: not while the console has it.
//
// The bindings come from "data/mappings.xml" (root "controls"; one entry per
// player holding action + "Keyboard", a key index, and action + "Xbox", a
// VK_PAD_ name) or, when it cannot be opened, from the defaults. Whatever the
// file leaves out is taken from the defaults, so all positions always exist:
// a missing player, a missing "Xbox" element (no pad button besides the
// stick's), and, with a WARNING, a missing or out-of-range key index. An
// unknown pad name binds no pad button (code 0) with a WARNING.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace QRX {

class Controller;

enum Action {
    ACTION_ESCAPE = 0,
    ACTION_RESET,
    ACTION_UP,
    ACTION_DOWN,
    ACTION_LEFT,
    ACTION_RIGHT,
    ACTION_ROTATE_LEFT,
    ACTION_ROTATE_RIGHT,
    ACTION_PICKUP,
    ACTION_DROP,
    ACTION_THROW,
    ACTION_ACTIVE_POWER,
    ACTION_POWER1,
    ACTION_POWER2,
    ACTIONS_PER_PLAYER
};

enum Stick { STICK_NONE = 0, STICK_LEFT = 1, STICK_RIGHT = 2 };

class InputBinding
{
public:
    // The stick direction reported when the stick rests.
    static constexpr int NO_STICK_DIRECTION = 8;
    // Magnitude the dominant axis must exceed to give a direction.
    static constexpr int STICK_THRESHOLD = 7849;

    // True on the frame the action went down. With a connected pad: the
    // binding's stick points to `action`, or the pad's keystroke this frame is
    // the binding's code with flags exactly KEYDOWN. Otherwise the key went
    // down this frame and the console does not have the keyboard
    // (InputManager::IsGameKeyTriggered). `action` is the binding's own position.
    bool IsTriggered(int action);
    // As IsTriggered, but the keystroke must carry the REPEAT flag and the key
    // need only be down.
    bool IsHeld(int action);
    // The direction of the binding's stick as an action position: up 2, down 3
    // (when |y| exceeds the threshold and |x| < |y|), else left 4 / right 5, or
    // rotate left 6 / rotate right 7 for the right stick; 8 when resting. Plus
    // ACTIONS_PER_PLAYER for the pad of user index 1. Reads the pad's state as
    // last refreshed; NO_STICK_DIRECTION without a pad.
    int GetStickDirection() const;

    Controller* m_pad = nullptr;   // not owned
    std::uint16_t m_padCode = 0;   // VK_PAD_ code; 0 or another code no keystroke carries = none
    int m_stick = STICK_NONE;
    bool m_usePad = true;
    int m_keyIndex = 0;            // engine key index, 0..InputManager::KEY_COUNT-1
    int m_number = 0;              // identifies the binding; no query reads it

private:
    bool PadConnected();
};

class InputInterpreter
{
public:
    static constexpr int PLAYER_COUNT = 2;
    static constexpr int BINDING_COUNT = PLAYER_COUNT * ACTIONS_PER_PLAYER;
    static constexpr const char* MAPPINGS_PATH = "data/mappings.xml";

    // Builds the bindings from the mappings file through the file manager,
    // with the System's pads for players one and two. True when the file was
    // read; false when it could not be opened (the defaults are used and a
    // WARNING is logged). Either way all BINDING_COUNT positions exist.
    bool Init(const std::string& path = MAPPINGS_PATH);

    // The binding at a position; an out-of-range position is asserted and
    // answers with a binding that never fires.
    InputBinding& GetBinding(int position);
    int GetBindingCount() const { return static_cast<int>(m_bindings.size()); }

    // Overwrites (or appends) the binding at a position with its default.
    void SetDefaultBinding(int position);

    // VK_PAD_ name -> code, 32 rows.
    static const std::map<std::string, std::uint16_t>& GetPadKeyTable();
    // The action's name as the mappings file spells it ("rotateLeft").
    static const char* ActionName(int action);
    // The stick that answers an action.
    static int ActionStick(int action);

private:
    static Controller* PadOf(int player);
    void ReadPlayer(const std::string& path, int player);

    std::vector<InputBinding> m_bindings;
};

} // namespace QRX
