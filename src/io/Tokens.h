// Whitespace tokens of a text line and the locale-independent conversion of their numbers.
#pragma once

#include <cstddef>
#include <cstring>

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

// Space, tab, CR and LF separate tokens.
bool IsSeparator(char c);

inline bool IsSameWord(Token t, const char* word) {
    return std::strlen(word) == static_cast<std::size_t>(t.length) &&
           std::memcmp(t.text, word, static_cast<std::size_t>(t.length)) == 0;
}

class Tokenizer {
public:
    explicit Tokenizer(const char* line) : m_next(line) {}

    bool Peek(Token& token) const;
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

// The leading number of the text, 0 when it is not a number.
float ToFloat(const char* begin, const char* end);
inline float ToFloat(Token t) {
    return ToFloat(t.text, t.End());
}

// The whole text as one number: false when anything but a number is in it. Values that are not
// finite as a float read as 0, as above.
bool ParseFloat(const char* begin, const char* end, float& value);
bool ParseInt(const char* begin, const char* end, int& value);

} // namespace tokens

} // namespace vorn
