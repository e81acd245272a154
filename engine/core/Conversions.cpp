#include "engine/core/Conversions.h"

#include <locale>
#include <sstream>

#include "engine/core/Random.h"

namespace QRX {

std::string IntToString(int value)
{
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << value;
    return s.str();
}

std::string UIntToString(unsigned value)
{
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << value;
    return s.str();
}

bool StringToBool(const std::string& text) { return text == "true" || text == "1"; }

std::string BoolToString(bool value) { return value ? "true" : "false"; }

std::ostream& WriteVec3(std::ostream& out, const glm::vec3& v)
{
    return out << v.x << " " << v.y << " " << v.z;
}

std::ostream& WriteVec4(std::ostream& out, const glm::vec4& v)
{
    return out << v.x << " " << v.y << " " << v.z << " " << v.w;
}

float RandomFloat(float a, float b)
{
    float lo = a < b ? a : b;
    float hi = a < b ? b : a;
    int r = Random();
    float f = static_cast<float>(r / 32767.0);
    float range = hi - lo;
    float result = lo + f * range;
    // Float rounding of lo + range may step just past hi.
    return result > hi ? hi : result;
}

} // namespace QRX
