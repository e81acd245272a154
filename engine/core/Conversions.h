// Text forms of values in data files.
//
// Numbers are read and written with string streams in the classic locale,
// vectors are numbers separated by single blanks, booleans the words "true"
// and "false" ("1" also reads as true).
#pragma once
#include <ostream>
#include <string>

#include <glm/glm.hpp>

namespace QRX {

std::string IntToString(int value);
std::string UIntToString(unsigned value);
// True exactly for "true" and "1" (case matters).
bool StringToBool(const std::string& text);
std::string BoolToString(bool value);
// Inserts "x y z" / "x y z w" with default float formatting.
std::ostream& WriteVec3(std::ostream& out, const glm::vec3& v);
std::ostream& WriteVec4(std::ostream& out, const glm::vec4& v);
// A number drawn from [min(a, b), max(a, b)], both ends included, from the
// program's random generator.
float RandomFloat(float a, float b);

} // namespace QRX
