// Define strings of the tweak-bar library, taken apart without acting on them.
//
// A define string is a target followed by parameters:
//   Bar/Var  key=value  key = 'quoted value'  flag
// Keys are returned in lower case; values keep their case. A parameter
// without '=' is a flag (its value is empty and hasValue false). Values with
// blanks are quoted with '...', "..." or `...`; the quotes are removed. The
// value helpers below read the parameter values the library understands.
#pragma once
#include <string>
#include <vector>

namespace QRX {
namespace TweakBar {

struct DefineParam
{
    std::string key;    // lower case
    std::string value;  // unquoted
    bool hasValue = false;
};

struct DefineStatement
{
    std::string target;  // "GLOBAL", "TW_HELP", "Bar" or "Bar/Item"
    std::vector<DefineParam> params;
};

// Parses "target params...". False with the reason in error for an empty
// text, an unterminated quote, a '=' without key or value.
bool ParseDefine(const std::string& text, DefineStatement& out, std::string& error);
// Parses a parameter list without target (a variable's definition); an empty
// text gives no parameters.
bool ParseParams(const std::string& text, std::vector<DefineParam>& out, std::string& error);

// "true"/"false"/"1"/"0" in any case; a flag (no value) counts as true.
bool ParseBoolValue(const DefineParam& param, bool& out);
// A decimal number (as "-100", "0.005", "1e-3"), nothing else around it.
bool ParseNumberValue(const std::string& text, double& out);
// Exactly count decimal integers separated by blanks ("128 124 060").
bool ParseIntList(const std::string& text, int* out, int count);

} // namespace TweakBar
} // namespace QRX
