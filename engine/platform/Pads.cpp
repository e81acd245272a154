#include "engine/platform/Pads.h"

#include <SDL.h>

#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "engine/platform/Clock.h"

namespace QRX {
namespace Platform {

namespace {

constexpr int AXIS_COUNT = SDL_CONTROLLER_AXIS_MAX;

struct HeldKey
{
    std::uint16_t code;
    std::uint64_t nextRepeat;  // counter ticks
};

struct Slot
{
    SDL_GameController* controller = nullptr;
    SDL_JoystickID instance = -1;
    std::uint32_t packet = 0;
    std::deque<XINPUT_KEYSTROKE> queue;
    std::vector<HeldKey> held;
    int axes[AXIS_COUNT] = {};        // SDL values, followed from the events
    std::uint16_t stickKey[2] = {};   // direction key down per stick (left, right), 0 none
    bool triggerDown[2] = {};         // left, right
};

struct Layer
{
    bool started = false;
    bool failed = false;
    bool devicesChanged = true;  // set by plug events, the slots are matched on the next query
    std::string error;
    Slot slots[PAD_COUNT];
};

Layer g_layer;

std::uint64_t MillisecondsToTicks(unsigned ms)
{
    return GetPerformanceFrequency() * ms / 1000;
}

Slot* FindSlot(SDL_JoystickID instance)
{
    for (Slot& s : g_layer.slots)
        if (s.controller && s.instance == instance) return &s;
    return nullptr;
}

std::uint8_t SlotIndex(const Slot& s)
{
    return static_cast<std::uint8_t>(&s - g_layer.slots);
}

void Queue(Slot& s, std::uint16_t code, std::uint16_t flags)
{
    if (s.queue.size() >= PAD_KEYSTROKE_QUEUE_SIZE) return;
    XINPUT_KEYSTROKE k;
    k.VirtualKey = code;
    k.Flags = flags;
    k.UserIndex = SlotIndex(s);
    s.queue.push_back(k);
}

void Press(Slot& s, std::uint16_t code)
{
    for (const HeldKey& h : s.held)
        if (h.code == code) return;
    Queue(s, code, XINPUT_KEYSTROKE_KEYDOWN);
    s.held.push_back({code, GetPerformanceCounter() + MillisecondsToTicks(PAD_REPEAT_DELAY_MS)});
}

void Release(Slot& s, std::uint16_t code)
{
    for (auto it = s.held.begin(); it != s.held.end(); ++it) {
        if (it->code == code) {
            s.held.erase(it);
            Queue(s, code, XINPUT_KEYSTROKE_KEYUP);
            return;
        }
    }
}

std::uint16_t ButtonKey(int button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return VK_PAD_A;
    case SDL_CONTROLLER_BUTTON_B: return VK_PAD_B;
    case SDL_CONTROLLER_BUTTON_X: return VK_PAD_X;
    case SDL_CONTROLLER_BUTTON_Y: return VK_PAD_Y;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return VK_PAD_LSHOULDER;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return VK_PAD_RSHOULDER;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return VK_PAD_DPAD_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return VK_PAD_DPAD_DOWN;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return VK_PAD_DPAD_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return VK_PAD_DPAD_RIGHT;
    case SDL_CONTROLLER_BUTTON_START: return VK_PAD_START;
    case SDL_CONTROLLER_BUTTON_BACK: return VK_PAD_BACK;
    case SDL_CONTROLLER_BUTTON_LEFTSTICK: return VK_PAD_LTHUMB_PRESS;
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK: return VK_PAD_RTHUMB_PRESS;
    default: return 0;  // guide, paddles and the like have no XInput counterpart
    }
}

// SDL's stick y grows downwards; XInput's upwards and stops at 32767.
std::int16_t StickY(int sdlValue)
{
    int v = -sdlValue;
    if (v > 32767) v = 32767;
    if (v < -32768) v = -32768;
    return static_cast<std::int16_t>(v);
}

std::uint8_t TriggerValue(int sdlValue)
{
    if (sdlValue <= 0) return 0;
    if (sdlValue >= 32767) return 255;
    return static_cast<std::uint8_t>(sdlValue * 255 / 32767);
}

// The direction key of a stick outside its dead zone (x right, y up), 0 inside.
// Each of the eight directions covers 45 degrees around its own axis.
std::uint16_t StickKey(int x, int y, int deadZone, std::uint16_t upCode)
{
    const double magnitude = std::sqrt(double(x) * x + double(y) * y);
    if (magnitude <= deadZone) return 0;
    const double kPi = 3.14159265358979323846;
    long sector = std::lround(std::atan2(double(y), double(x)) / (kPi / 4.0));  // -4..4, 0 right, 2 up
    // Offsets from the UP code: UP 0, DOWN 1, RIGHT 2, LEFT 3, UPLEFT 4, UPRIGHT 5, DOWNRIGHT 6, DOWNLEFT 7.
    static const std::uint16_t kOffsets[9] = {3, 7, 1, 6, 2, 5, 0, 4, 3};  // sectors -4..4
    return static_cast<std::uint16_t>(upCode + kOffsets[sector + 4]);
}

void FollowStick(Slot& s, int stick)
{
    const int xAxis = stick == 0 ? SDL_CONTROLLER_AXIS_LEFTX : SDL_CONTROLLER_AXIS_RIGHTX;
    const int yAxis = stick == 0 ? SDL_CONTROLLER_AXIS_LEFTY : SDL_CONTROLLER_AXIS_RIGHTY;
    const int deadZone = stick == 0 ? XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE : XINPUT_GAMEPAD_RIGHT_THUMB_DEADZONE;
    const std::uint16_t upCode = stick == 0 ? VK_PAD_LTHUMB_UP : VK_PAD_RTHUMB_UP;
    std::uint16_t key = StickKey(s.axes[xAxis], StickY(s.axes[yAxis]), deadZone, upCode);
    if (key == s.stickKey[stick]) return;
    if (s.stickKey[stick]) Release(s, s.stickKey[stick]);
    s.stickKey[stick] = key;
    if (key) Press(s, key);
}

void FollowTrigger(Slot& s, int trigger)
{
    const int axis = trigger == 0 ? SDL_CONTROLLER_AXIS_TRIGGERLEFT : SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    const bool down = TriggerValue(s.axes[axis]) > XINPUT_GAMEPAD_TRIGGER_THRESHOLD;
    if (down == s.triggerDown[trigger]) return;
    s.triggerDown[trigger] = down;
    const std::uint16_t code = trigger == 0 ? VK_PAD_LTRIGGER : VK_PAD_RTRIGGER;
    if (down) Press(s, code);
    else Release(s, code);
}

// Runs as SDL queues each event, inside the message pump (or inside a plug
// call). It only records: controllers are opened and closed on the next query.
int SDLCALL WatchEvents(void*, SDL_Event* e)
{
    switch (e->type) {
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMAPPED:
        g_layer.devicesChanged = true;
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        Slot* s = FindSlot(e->cbutton.which);
        if (!s) break;
        s->packet++;
        std::uint16_t code = ButtonKey(e->cbutton.button);
        if (!code) break;
        if (e->type == SDL_CONTROLLERBUTTONDOWN) Press(*s, code);
        else Release(*s, code);
        break;
    }
    case SDL_CONTROLLERAXISMOTION: {
        Slot* s = FindSlot(e->caxis.which);
        if (!s || e->caxis.axis >= AXIS_COUNT) break;
        s->packet++;
        s->axes[e->caxis.axis] = e->caxis.value;
        switch (e->caxis.axis) {
        case SDL_CONTROLLER_AXIS_LEFTX:
        case SDL_CONTROLLER_AXIS_LEFTY: FollowStick(*s, 0); break;
        case SDL_CONTROLLER_AXIS_RIGHTX:
        case SDL_CONTROLLER_AXIS_RIGHTY: FollowStick(*s, 1); break;
        case SDL_CONTROLLER_AXIS_TRIGGERLEFT: FollowTrigger(*s, 0); break;
        case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: FollowTrigger(*s, 1); break;
        default: break;
        }
        break;
    }
    default:
        break;
    }
    return 0;
}

void CloseSlot(Slot& s)
{
    if (s.controller) SDL_GameControllerClose(s.controller);
    s = Slot();
}

// Frees the slots of unplugged controllers, then gives plugged ones that have
// no slot the first free one.
void MatchDevices()
{
    if (!g_layer.devicesChanged) return;
    g_layer.devicesChanged = false;
    for (Slot& s : g_layer.slots)
        if (s.controller && !SDL_GameControllerGetAttached(s.controller)) CloseSlot(s);

    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        if (!SDL_IsGameController(i)) continue;
        SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
        if (id < 0 || FindSlot(id)) continue;
        Slot* free = nullptr;
        for (Slot& s : g_layer.slots)
            if (!s.controller) { free = &s; break; }
        if (!free) return;
        SDL_GameController* gc = SDL_GameControllerOpen(i);
        if (!gc) continue;
        free->controller = gc;
        free->instance = id;
        for (int a = 0; a < AXIS_COUNT; ++a)
            free->axes[a] = SDL_GameControllerGetAxis(gc, static_cast<SDL_GameControllerAxis>(a));
    }
}

Slot* ConnectedSlot(std::uint32_t userIndex)
{
    if (!StartPads()) return nullptr;
    MatchDevices();
    Slot& s = g_layer.slots[userIndex];
    if (!s.controller) return nullptr;
    if (!SDL_GameControllerGetAttached(s.controller)) {
        CloseSlot(s);
        g_layer.devicesChanged = true;  // a waiting controller may take the slot
        return nullptr;
    }
    return &s;
}

void QueueRepeats(Slot& s)
{
    const std::uint64_t now = GetPerformanceCounter();
    for (HeldKey& h : s.held) {
        if (now < h.nextRepeat) continue;
        Queue(s, h.code, XINPUT_KEYSTROKE_KEYDOWN | XINPUT_KEYSTROKE_REPEAT);
        h.nextRepeat = now + MillisecondsToTicks(PAD_REPEAT_INTERVAL_MS);
    }
}

} // namespace

bool StartPads()
{
    if (g_layer.started) return true;
    if (g_layer.failed) return false;
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        g_layer.failed = true;
        g_layer.error = SDL_GetError();
        return false;
    }
    SDL_AddEventWatch(WatchEvents, nullptr);
    g_layer.started = true;
    g_layer.devicesChanged = true;
    g_layer.error.clear();
    return true;
}

const char* PadsError()
{
    return g_layer.error.c_str();
}

void ShutdownPads()
{
    if (g_layer.started) {
        SDL_DelEventWatch(WatchEvents, nullptr);
        for (Slot& s : g_layer.slots) CloseSlot(s);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
    g_layer = Layer();
}

std::uint32_t XInputGetState(std::uint32_t userIndex, XINPUT_STATE* state)
{
    if (userIndex >= PAD_COUNT || !state) return ERROR_BAD_ARGUMENTS;
    *state = XINPUT_STATE();
    Slot* s = ConnectedSlot(userIndex);
    if (!s) return ERROR_DEVICE_NOT_CONNECTED;

    struct ButtonBit { SDL_GameControllerButton button; std::uint16_t bit; };
    static const ButtonBit kBits[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, XINPUT_GAMEPAD_DPAD_UP},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_DOWN},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, XINPUT_GAMEPAD_DPAD_LEFT},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_RIGHT},
        {SDL_CONTROLLER_BUTTON_START, XINPUT_GAMEPAD_START},
        {SDL_CONTROLLER_BUTTON_BACK, XINPUT_GAMEPAD_BACK},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, XINPUT_GAMEPAD_LEFT_THUMB},
        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, XINPUT_GAMEPAD_RIGHT_THUMB},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, XINPUT_GAMEPAD_LEFT_SHOULDER},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER},
        {SDL_CONTROLLER_BUTTON_A, XINPUT_GAMEPAD_A},
        {SDL_CONTROLLER_BUTTON_B, XINPUT_GAMEPAD_B},
        {SDL_CONTROLLER_BUTTON_X, XINPUT_GAMEPAD_X},
        {SDL_CONTROLLER_BUTTON_Y, XINPUT_GAMEPAD_Y},
    };
    SDL_GameController* gc = s->controller;
    XINPUT_GAMEPAD& pad = state->Gamepad;
    for (const ButtonBit& b : kBits)
        if (SDL_GameControllerGetButton(gc, b.button)) pad.wButtons |= b.bit;
    pad.bLeftTrigger = TriggerValue(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    pad.bRightTrigger = TriggerValue(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    pad.sThumbLX = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTX);
    pad.sThumbLY = StickY(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTY));
    pad.sThumbRX = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_RIGHTX);
    pad.sThumbRY = StickY(SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_RIGHTY));
    state->dwPacketNumber = s->packet;
    return ERROR_SUCCESS;
}

std::uint32_t XInputGetKeystroke(std::uint32_t userIndex, std::uint32_t, XINPUT_KEYSTROKE* keystroke)
{
    if (userIndex >= PAD_COUNT || !keystroke) return ERROR_BAD_ARGUMENTS;
    Slot* s = ConnectedSlot(userIndex);
    if (!s) return ERROR_DEVICE_NOT_CONNECTED;
    QueueRepeats(*s);
    if (s->queue.empty()) return ERROR_EMPTY;
    *keystroke = s->queue.front();
    s->queue.pop_front();
    return ERROR_SUCCESS;
}

} // namespace Platform
} // namespace QRX
