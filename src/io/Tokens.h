// Whitespace tokens of a text line and the locale-independent conversion of their numbers.
#pragma once

#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace vorn {

namespace tokens {

// A token points into its line; nothing is allocated.
struct Token {
    const char* text = nullptr;
    int length = 0;
    const char* End() const { return text + length; }
};

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

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
inline constexpr CharClasses kCharClasses;

// Space, tab, CR and LF separate tokens.
inline bool IsSeparator(char c) {
    return kCharClasses.separator[static_cast<unsigned char>(c)];
}

inline bool IsSameWord(Token t, const char* word) {
    return std::strlen(word) == static_cast<std::size_t>(t.length) &&
           std::memcmp(t.text, word, static_cast<std::size_t>(t.length)) == 0;
}

class Tokenizer {
public:
    explicit Tokenizer(const char* line) : m_next(line) {}

    // Inline: a million-atom file has over ten million tokens.
    bool Peek(Token& token) const {
        const char* p = m_next;
        while (IsSeparator(*p))
            ++p;
        if (!*p)
            return false;
        const char* start = p;
        while (!kCharClasses.stop[static_cast<unsigned char>(*p)])
            ++p;
        token = {start, static_cast<int>(p - start)};
        return true;
    }
    bool Next(Token& token) {
        if (!Peek(token))
            return false;
        m_next = token.End();
        return true;
    }

private:
    const char* m_next;
};

// Only digits and signs: a serial number, or a residue number standing where a name should be.
bool IsSerialText(Token t);

int CountChar(Token t, char c);

// Reads an optional sign and the digits after it, saturating at the int range. Returns false
// when there is no digit; p is left after what was read.
bool ScanInt(const char*& p, const char* end, int& value);

// The leading integer of the text, 0 when there is none.
int ToInt(const char* begin, const char* end);
inline int ToInt(Token t) {
    return ToInt(t.text, t.End());
}

// Reads the longest decimal number at p. A value that is not finite as a float (overflow, nan,
// inf) reads as 0. Returns the end of the number, or null when there is none.
const char* ScanFloat(const char* p, const char* end, float& value);

// Plain decimals such as "-12.345" (the bulk of a PDB file) without the general converter: with
// at most 15 digits both the digits and the power of ten are exact doubles, so one division gives
// the correctly rounded value, the same as the general conversion. Returns false for anything
// else. Inline, as coordinates are most of what a large file holds.
inline bool ToFloatFast(const char* p, const char* end, float& value) {
    static constexpr double kPowers[] = {1,   1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = p < end && *p == '-';
    p += negative ? 1 : 0;
    unsigned long long mantissa = 0; // wraps harmlessly on digits that are refused below
    const char* const digitsStart = p;
    for (; p < end && IsDigit(*p); ++p)
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    int digits = static_cast<int>(p - digitsStart), decimals = 0;
    if (p < end && *p == '.') {
        const char* const fraction = ++p;
        for (; p < end && IsDigit(*p); ++p)
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        decimals = static_cast<int>(p - fraction);
        digits += decimals;
    }
    // Past 15 digits the mantissa is no longer exact.
    if (p != end || digits == 0 || digits > 15)
        return false;
    const double v = static_cast<double>(mantissa) / kPowers[decimals];
    value = static_cast<float>(negative ? -v : v);
    return true;
}

// The leading number of the text, 0 when it is not a number.
float ToFloatGeneral(const char* begin, const char* end);
inline float ToFloat(const char* begin, const char* end) {
    float value = 0;
    return ToFloatFast(begin, end, value) ? value : ToFloatGeneral(begin, end);
}
inline float ToFloat(Token t) {
    return ToFloat(t.text, t.End());
}

// The whole text as one number: false when anything but a number is in it. Values that are not
// finite as a float read as 0, as above.
bool ParseFloat(const char* begin, const char* end, float& value);
bool ParseInt(const char* begin, const char* end, int& value);

} // namespace tokens

} // namespace vorn
