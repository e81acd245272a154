// Debugger presence and the breakpoint trap.
#pragma once

namespace QRX {
namespace Platform {

// True when a tracer (a debugger) is attached to this process.
bool IsDebuggerPresent();

// Stops in the debugger (SIGTRAP). Does nothing when no debugger is attached,
// so a trap can never kill the program.
void DebugBreak();

// Forces the answer of IsDebuggerPresent (tests): 0 none, 1 attached, -1 real.
void SetDebuggerPresentOverride(int value);

} // namespace Platform
} // namespace QRX
