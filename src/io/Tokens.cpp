// Whitespace tokens and locale-independent number conversion.
#include "io/Tokens.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace vorn {

namespace tokens {

namespace {

// Token separators, and the same plus the terminating NUL: one table look-up per character.
struct CharClasses {
    bool separator[256] = {};
    bool stop[256] = {};
    constexpr CharClasses() {
        for (unsigned char c : {' ', '\t', '\r', '\n'})
            separator[c] = stop[c] = true;
        stop[0] = true;
    }
};
constexpr CharClasses kChars;

bool IsTokenEnd(char c) {
    return kChars.stop[static_cast<unsigned char>(c)];
}

// Plain decimals such as "-12.345" (the bulk of a PDB file) without the general converter: with
// at most 15 digits both the digits and the power of ten are exact doubles, so one division gives
// the correctly rounded value, the same as the general conversion. Returns false for anything
// else.
bool ToFloatFast(const char* p, const char* end, float& value) {
    static constexpr double kPowers[] = {1,   1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = p < end && *p == '-';
    p += negative ? 1 : 0;
    long long mantissa = 0;
    int digits = 0, decimals = -1;
    for (; p < end; ++p) {
        if (IsDigit(*p)) {
            if (++digits > 15)
                return false; // past the exact range; also keeps the mantissa from overflowing
            mantissa = mantissa * 10 + (*p - '0');
            decimals += decimals >= 0 ? 1 : 0;
        } else if (*p == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    const double v = static_cast<double>(mantissa) / kPowers[std::max(decimals, 0)];
    value = static_cast<float>(negative ? -v : v);
    return true;
}

} // namespace

bool IsSeparator(char c) {
    return kChars.separator[static_cast<unsigned char>(c)];
}

bool Tokenizer::Peek(Token& token) const {
    const char* p = m_next;
    while (IsSeparator(*p))
        ++p;
    if (!*p)
        return false;
    const char* start = p;
    while (!IsTokenEnd(*p))
        ++p;
    token = {start, static_cast<int>(p - start)};
    return true;
}

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

float ToFloat(const char* begin, const char* end) {
    float value = 0;
    if (ToFloatFast(begin, end, value))
        return value;
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
