// The tweak-bar library: small panels ("bars") of variables that the
// developer tools show over the game and edit at run time.
//
// A bar holds variables bound to client memory (read-write or read-only) or
// to get/set callbacks, buttons and separators, optionally sorted into
// groups ("group=Display"; a group may sit inside another group). Bars,
// variables and groups are tuned with define strings such as
//   " Bar label='Settings' position='16 20' size='240 300' "
//   " Bar/Var min=0 max=1 step=0.01 help='Volume' "
//   " TW_HELP visible=true "
// (keys are case-insensitive, blanks around '=' are allowed, values with
// blanks are quoted with '...', "..." or `...`).
//
// Rules:
// - Everything runs on the frame thread. Set and button callbacks run from
//   TwDraw after the pass over the bars, so a callback may add, define or
//   delete bars and variables, the one that called it included.
// - A bar pointer is a handle: once the bar is deleted (or the library
//   terminated) the pointer is merely unknown and calls taking it fail.
// - Every failing call returns 0 (or null / TW_TYPE_UNDEF) and leaves its
//   reason for TwGetLastError; nothing else changes. Once the library is
//   started, a failure is also written to the log page (WARNING, without
//   console echo); calls made while it is not started log nothing.
// - Mouse and key releases are never reported as used: the game always sees
//   them, so a press taken by a panel does not leave a game key held.
#pragma once
#include <cstddef>
#include <string>

#include "engine/platform/WindowMessages.h"

namespace QRX {

// Where a started library's failures are written (the log page, without
// console echo): set by the program's start. Unset, failures are only kept
// for TwGetLastError.
using TwFailureReport = void (*)(const char* call, const char* file, int line, const std::string& reason);
void TwSetFailureReport(TwFailureReport report);

// A bar, seen only through pointers.
struct TwBar;

// Value types. Custom enumerations and structures get ids from
// TwDefineEnum/TwDefineEnumFromString/TwDefineStruct.
enum TwType : int
{
    TW_TYPE_UNDEF = 0,
    TW_TYPE_BOOLCPP,    // bool
    TW_TYPE_CHAR,       // char, shown as a character
    TW_TYPE_INT32,      // std::int32_t
    TW_TYPE_UINT32,     // std::uint32_t
    TW_TYPE_INT64,      // std::int64_t, and `long` members (64-bit here)
    TW_TYPE_FLOAT,      // float
    TW_TYPE_DOUBLE,     // double
    TW_TYPE_COLOR3F,    // float[3], red green blue in [0, 1]
    TW_TYPE_COLOR4F,    // float[4], red green blue alpha in [0, 1]
    TW_TYPE_DIR3F,      // float[3], a direction
    TW_TYPE_STDSTRING,  // std::string
};

// Graphics interfaces that TwInit accepts; both draw through OpenGL.
enum TwGraphAPI
{
    TW_OPENGL = 1,
    TW_OPENGL_CORE = 2,
};

// One value of an enumeration.
struct TwEnumVal
{
    int Value;
    const char* Label;
};

// One member of a structure: its name, type, byte offset and define string
// (the variable parameters of the member, such as " step=0.1 min=0 ").
struct TwStructMember
{
    const char* Name;
    TwType Type;
    std::size_t Offset;
    const char* DefString;
};

// Callbacks. A set callback receives the new value, a get callback the
// address to fill; both get the client data given with the variable. A
// TW_TYPE_STDSTRING get callback is handed the library's std::string and
// fills it with TwCopyStdStringToLibrary.
using TwSetVarCallback = void (*)(const void* value, void* clientData);
using TwGetVarCallback = void (*)(void* value, void* clientData);
using TwButtonCallback = void (*)(void* clientData);
using TwSummaryCallback = void (*)(char* summaryString, std::size_t summaryMaxLength,
                                   const void* value, void* clientData);
using TwCopyStdStringToClient = void (*)(std::string& destinationClientString,
                                         const std::string& sourceLibraryString);

// Starts the library (1) or fails (0: unknown interface, already started).
// The device is unused with OpenGL. GL objects are made by the first TwDraw.
int TwInit(TwGraphAPI graphAPI, void* device);
// Deletes every bar and type and releases the GL objects (the context that
// drew must be current). 0 when the library was not started.
int TwTerminate();
// The reason the last failing call gave; "" after a call that succeeded.
const char* TwGetLastError();

// A new empty bar, or null (not started, empty or duplicate name).
TwBar* TwNewBar(const char* barName);
// Deletes a bar; 0 for a null, deleted or unknown bar.
int TwDeleteBar(TwBar* bar);
// Deletes every bar; 0 when not started.
int TwDeleteAllBars();

// Applies a define string (see above). On any error nothing is applied.
int TwDefine(const char* def);
// A structure type of the given members (numeric and colour types only);
// summaries are not shown. TW_TYPE_UNDEF on a bad member or a name in use.
TwType TwDefineStruct(const char* name, const TwStructMember* structMembers,
                      unsigned int nbMembers, std::size_t structSize,
                      TwSummaryCallback summaryCallback, void* summaryClientData);
// An enumeration (values are ints); defining an existing name again replaces
// its values and keeps its type id.
TwType TwDefineEnum(const char* name, const TwEnumVal* enumValues, unsigned int nbValues);
// An enumeration of the comma-separated labels, valued 0, 1, 2...
TwType TwDefineEnumFromString(const char* name, const char* enumString);

// A variable bound to client memory, edited in place.
int TwAddVarRW(TwBar* bar, const char* name, TwType type, void* var, const char* def);
// A variable bound to client memory, shown only.
int TwAddVarRO(TwBar* bar, const char* name, TwType type, const void* var, const char* def);
// A variable read with getCallback and written with setCallback; without a
// set callback it is read-only. The get callback is required.
int TwAddVarCB(TwBar* bar, const char* name, TwType type, TwSetVarCallback setCallback,
               TwGetVarCallback getCallback, void* clientData, const char* def);
// A button; without a callback it shows as a plain line of text.
int TwAddButton(TwBar* bar, const char* name, TwButtonCallback callback, void* clientData,
                const char* def);
// A separator line; its name may be null (any number of unnamed ones).
int TwAddSeparator(TwBar* bar, const char* name, const char* def);

// How a std::string edited in a bar is handed back to read-write string
// variables; without one the string is assigned.
void TwCopyStdStringToClientFunc(TwCopyStdStringToClient copyStdStringFunc);
// Copies a client string into the library's string (string get callbacks).
void TwCopyStdStringToLibrary(std::string& destinationLibraryString,
                              const std::string& sourceClientString);

// Draws every visible bar (and the help window) into the current frame
// buffer, then runs the set and button callbacks of the edits made. All GL
// state it touches is restored. 0 when not started.
int TwDraw();
// The window's client size in pixels; bars are laid out in it. 0 for a
// negative size or when not started.
int TwWindowSize(int width, int height);
// Offers one window message to the bars: 1 when a bar used it (the game
// should not act on it), 0 otherwise. Releases and focus changes always 0.
int TwEventWin(const Platform::WindowMessage& message);

} // namespace QRX
