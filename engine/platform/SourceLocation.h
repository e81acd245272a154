// Report locations in the form the activity log shows them.
//
// The log names the reporting function as a qualified name without return type
// or parameters ("QRX::System::Initialize"); the QRX_FUNCTION macro captures the
// compiler's full signature and QualifiedFunctionName trims it.
#pragma once
#include <string>

#define QRX_FUNCTION __PRETTY_FUNCTION__

namespace QRX {
namespace Platform {

// "bool QRX::System::Initialize()" -> "QRX::System::Initialize".
std::string QualifiedFunctionName(const char* prettyFunction);

// "engine/core/System.cpp" -> "System.cpp" (either slash kind).
std::string BareFileName(const char* path);

} // namespace Platform
} // namespace QRX
