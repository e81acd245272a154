// Window messages in the Win32 form.
//
// The platform's message pump turns SDL events into these records so that the
// window procedure and the input code read them as the Win32 tables describe:
// a message number, wParam (the key's virtual-key code, the mouse buttons held,
// the wheel delta in the high word) and lParam (for mouse messages the client
// x in the low 16 bits and y in the next 16).
#pragma once
#include <cstdint>

namespace QRX {
namespace Platform {

struct WindowMessage
{
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
};

constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_MOVE = 0x0003;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_SETFOCUS = 0x0007;
constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
constexpr std::uint32_t WM_CLOSE = 0x0010;
// WM_CLOSE's wParam when no window was closed: the system asked the program
// to end (SIGTERM, SIGINT, SIGHUP, the session ending). 0 is the window's close.
constexpr std::uint64_t CLOSE_BY_QUIT_EVENT = 1;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr std::uint32_t WM_SIZING = 0x0214;
constexpr std::uint32_t WM_MOVING = 0x0216;
constexpr std::uint32_t WM_ENTERSIZEMOVE = 0x0231;
constexpr std::uint32_t WM_EXITSIZEMOVE = 0x0232;

// Mouse messages' wParam: the buttons and modifiers held.
constexpr std::uint32_t MK_LBUTTON = 0x0001;
constexpr std::uint32_t MK_RBUTTON = 0x0002;
constexpr std::uint32_t MK_SHIFT = 0x0004;
constexpr std::uint32_t MK_CONTROL = 0x0008;
constexpr std::uint32_t MK_MBUTTON = 0x0010;
// WM_ACTIVATE's low word of wParam.
constexpr std::uint32_t WA_INACTIVE = 0;
constexpr std::uint32_t WA_ACTIVE = 1;
// WM_SYSCOMMAND values.
constexpr std::uint32_t SC_SCREENSAVE = 0xF140;
constexpr std::uint32_t SC_MONITORPOWER = 0xF170;
// One wheel notch.
constexpr int WHEEL_DELTA = 120;

inline std::uint16_t LowWord(std::uint64_t v) { return static_cast<std::uint16_t>(v & 0xFFFF); }
inline std::uint16_t HighWord(std::uint64_t v) { return static_cast<std::uint16_t>((v >> 16) & 0xFFFF); }
inline std::int64_t MakeMouseLParam(int x, int y)
{
    return static_cast<std::int64_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                     static_cast<std::uint32_t>(x & 0xFFFF));
}
// The signed client coordinates of a mouse message.
inline int MouseX(std::int64_t lParam) { return static_cast<std::int16_t>(lParam & 0xFFFF); }
inline int MouseY(std::int64_t lParam) { return static_cast<std::int16_t>((lParam >> 16) & 0xFFFF); }
// The signed wheel delta of WM_MOUSEWHEEL.
inline int WheelDelta(std::uint64_t wParam) { return static_cast<std::int16_t>(HighWord(wParam)); }

} // namespace Platform
} // namespace QRX
