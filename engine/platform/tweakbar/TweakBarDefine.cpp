#include "engine/platform/tweakbar/TweakBarDefine.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace QRX {
namespace TweakBar {

namespace {

enum class TokenKind { Word, Quoted, Equals };

struct Token
{
    TokenKind kind;
    std::string text;
};

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`'; }

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool Tokenize(const std::string& text, std::vector<Token>& tokens, std::string& error)
{
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (IsBlank(c)) {
            ++i;
        } else if (c == '=') {
            tokens.push_back({TokenKind::Equals, "="});
            ++i;
        } else if (IsQuote(c)) {
            size_t end = text.find(c, i + 1);
            if (end == std::string::npos) {
                error = "Unterminated quoted value in \"" + text + "\"";
                return false;
            }
            tokens.push_back({TokenKind::Quoted, text.substr(i + 1, end - i - 1)});
            i = end + 1;
        } else {
            size_t start = i;
            while (i < text.size() && !IsBlank(text[i]) && text[i] != '=' && !IsQuote(text[i])) ++i;
            tokens.push_back({TokenKind::Word, text.substr(start, i - start)});
        }
    }
    return true;
}

// Reads "key", "key=value" or "key = 'value'" pairs from tokens[first..].
bool ReadParams(const std::vector<Token>& tokens, size_t first, const std::string& text,
                std::vector<DefineParam>& out, std::string& error)
{
    size_t i = first;
    while (i < tokens.size()) {
        const Token& key = tokens[i];
        if (key.kind != TokenKind::Word) {
            error = "Expected a parameter name in \"" + text + "\"";
            return false;
        }
        DefineParam param;
        param.key = Lower(key.text);
        ++i;
        if (i < tokens.size() && tokens[i].kind == TokenKind::Equals) {
            ++i;
            if (i >= tokens.size() || tokens[i].kind == TokenKind::Equals) {
                error = "Parameter '" + key.text + "' has no value in \"" + text + "\"";
                return false;
            }
            param.value = tokens[i].text;
            param.hasValue = true;
            ++i;
        }
        out.push_back(param);
    }
    return true;
}

} // namespace

bool ParseDefine(const std::string& text, DefineStatement& out, std::string& error)
{
    out = DefineStatement();
    std::vector<Token> tokens;
    if (!Tokenize(text, tokens, error)) return false;
    if (tokens.empty()) {
        error = "Empty definition";
        return false;
    }
    if (tokens[0].kind == TokenKind::Equals || tokens[0].text.empty()) {
        error = "Definition without target: \"" + text + "\"";
        return false;
    }
    out.target = tokens[0].text;
    return ReadParams(tokens, 1, text, out.params, error);
}

bool ParseParams(const std::string& text, std::vector<DefineParam>& out, std::string& error)
{
    out.clear();
    std::vector<Token> tokens;
    if (!Tokenize(text, tokens, error)) return false;
    return ReadParams(tokens, 0, text, out, error);
}

bool ParseBoolValue(const DefineParam& param, bool& out)
{
    if (!param.hasValue) {
        out = true;
        return true;
    }
    std::string v = Lower(param.value);
    if (v == "true" || v == "1") {
        out = true;
        return true;
    }
    if (v == "false" || v == "0") {
        out = false;
        return true;
    }
    return false;
}

bool ParseNumberValue(const std::string& text, double& out)
{
    if (text.empty() || IsBlank(text.front())) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool ParseIntList(const std::string& text, int* out, int count)
{
    const char* p = text.c_str();
    for (int n = 0; n < count; ++n) {
        while (IsBlank(*p)) ++p;
        char* end = nullptr;
        errno = 0;
        long v = std::strtol(p, &end, 10);
        if (end == p || errno == ERANGE || v < -1000000 || v > 1000000) return false;
        if (*end != '\0' && !IsBlank(*end)) return false;
        out[n] = static_cast<int>(v);
        p = end;
    }
    while (IsBlank(*p)) ++p;
    return *p == '\0';
}

} // namespace TweakBar
} // namespace QRX
