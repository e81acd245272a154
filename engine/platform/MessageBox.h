// Modal message boxes with Win32-style buttons, icons and results.
//
// Callers pass a combination of one MB_ button set and one MB_ icon and get
// back the ID of the chosen button. Nothing here may block a test: with the
// environment variable ZENDRA_NONINTERACTIVE=1, or when no box can be shown
// or it reports no button, the caption and text go to stderr and the button
// that lets the program go on (the last one: Ignore, Cancel or OK) is
// returned; a box nobody answered never ends the program or traps. A hook can
// replace the whole box (tests record calls).
#pragma once
#include <functional>
#include <string>

namespace QRX {
namespace Platform {

// Button sets.
constexpr unsigned MB_OK = 0x00000000u;
constexpr unsigned MB_OKCANCEL = 0x00000001u;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x00000002u;
constexpr unsigned MB_RETRYCANCEL = 0x00000005u;
// Icons.
constexpr unsigned MB_ICONERROR = 0x00000010u;
constexpr unsigned MB_ICONWARNING = 0x00000030u;
constexpr unsigned MB_ICONINFORMATION = 0x00000040u;

// Results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;

struct MessageBoxRequest
{
    std::string text;
    std::string caption;
    unsigned type = MB_OK;
};

// Shows a box and returns the ID of the chosen button (never 0).
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type);

// The answer of a box that nobody can answer: the last button of the set,
// the one that goes on.
int GoOnButton(unsigned type);

// True when ZENDRA_NONINTERACTIVE=1 is set.
bool IsNonInteractive();

// Replaces every box by the hook; an empty hook restores real boxes.
void SetMessageBoxHook(std::function<int(const MessageBoxRequest&)> hook);

} // namespace Platform
} // namespace QRX
