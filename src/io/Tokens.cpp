// Whitespace tokens and locale-independent number conversion.
#include "io/Tokens.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace vorn {

namespace tokens {

bool IsSerialText(Token t) {
    for (int i = 0; i < t.length; ++i)
        if (!IsDigit(t.text[i]) && t.text[i] != '+' && t.text[i] != '-')
            return false;
    return true;
}

int CountChar(Token t, char c) {
    return static_cast<int>(std::count(t.text, t.End(), c));
}

bool ScanInt(const char*& p, const char* end, int& value) {
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    const char* digits = p;
    long long v = 0;
    for (; p < end && IsDigit(*p); ++p)
        if (v <= INT_MAX)
            v = v * 10 + (*p - '0');
    v = negative ? -v : v;
    value = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    return p > digits;
}

int ToInt(const char* begin, const char* end) {
    int value = 0;
    ScanInt(begin, end, value);
    return value;
}

const char* ScanFloat(const char* p, const char* end, float& value) {
    if (p < end && *p == '+') {
        ++p; // from_chars takes no plus sign
        if (p < end && (*p == '-' || *p == '+'))
            return nullptr;
    }
    double v = 0;
    auto [stop, error] = std::from_chars(p, end, v);
    if (error == std::errc::invalid_argument)
        return nullptr;
    const float f = static_cast<float>(v);
    value = (error == std::errc() && std::isfinite(f)) ? f : 0.0f;
    return stop;
}

float ToFloatGeneral(const char* begin, const char* end) {
    float value = 0;
    if (!ScanFloat(begin, end, value))
        value = 0;
    return value;
}

bool ParseFloat(const char* begin, const char* end, float& value) {
    if (ToFloatFast(begin, end, value))
        return true;
    return ScanFloat(begin, end, value) == end && begin != end;
}

bool ParseInt(const char* begin, const char* end, int& value) {
    const char* p = begin;
    return ScanInt(p, end, value) && p == end;
}

} // namespace tokens

} // namespace vorn
