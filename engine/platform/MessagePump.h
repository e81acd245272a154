// The window message queue.
//
// PollWindowMessages takes one pending event from the system queue and turns
// it into the window messages of the game's window (see EventTranslation.h
// for the rules); an event may give none, one or a few messages. A hang-up
// (SIGHUP: the terminal that started the game closed), watched from the
// first call on unless it is ignored (nohup), comes as the quit's WM_CLOSE too.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/platform/WindowMessages.h"

namespace QRX {
namespace Platform {

// Fills out (cleared first) from the next pending event for the window with
// this id. False when the queue is empty.
bool PollWindowMessages(std::uint32_t windowId, std::vector<WindowMessage>& out);

} // namespace Platform
} // namespace QRX
