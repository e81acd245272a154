#include "engine/platform/SourceLocation.h"

#include <cstring>

namespace QRX {
namespace Platform {

std::string QualifiedFunctionName(const char* prettyFunction)
{
    if (!prettyFunction) return std::string();
    std::string s(prettyFunction);
    // The parameter list starts at the first '(' outside template brackets,
    // skipping the one in "operator()".
    int depth = 0;
    size_t paren = std::string::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '<') ++depth;
        else if (c == '>' && depth > 0) --depth;
        else if (c == '(' && depth == 0) {
            if (i >= 8 && s.compare(i - 8, 8, "operator") == 0 && i + 1 < s.size() && s[i + 1] == ')') {
                ++i;
                continue;
            }
            paren = i;
            break;
        }
    }
    std::string head = s.substr(0, paren);
    // The name starts after the last blank outside template brackets.
    depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < head.size(); ++i) {
        char c = head[i];
        if (c == '<') ++depth;
        else if (c == '>' && depth > 0) --depth;
        else if (c == ' ' && depth == 0) start = i + 1;
    }
    return head.substr(start);
}

std::string BareFileName(const char* path)
{
    if (!path) return std::string();
    const char* slash = std::strrchr(path, '/');
    const char* back = std::strrchr(path, '\\');
    const char* last = slash > back ? slash : back;
    return last ? std::string(last + 1) : std::string(path);
}

} // namespace Platform
} // namespace QRX
