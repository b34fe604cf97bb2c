// The values of a CIF text as its parser meets them, and the short identifiers kept from them.
#pragma once

#include "io/Tokens.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

namespace vorn {

namespace cif {

// Space, tab, CR and LF, as between tokens.
inline bool IsBlank(char c) {
    return tokens::IsSeparator(c);
}

// ASCII only, as CIF names and reserved words are.
inline char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text is the word, ignoring case as CIF names do.
inline bool SameWord(const char* text, std::size_t length, const char* word) {
    if (std::strlen(word) != length)
        return false;
    for (std::size_t i = 0; i < length; ++i)
        if (Lower(text[i]) != Lower(word[i]))
            return false;
    return true;
}

// A value without its quotes or the semicolons of a text field; null for the unquoted "?"
// (unknown) and "." (not applicable). It points into the parser's text.
struct Value {
    const char* text;
    int length;
    bool null;
    const char* End() const { return text + length; }
};

// The value of the text the parser matched.
inline Value ValueOf(const char* p, std::size_t n) {
    if (n >= 2 && (p[0] == '\'' || p[0] == '"'))
        return {p + 1, static_cast<int>(n - 2), false};
    if (n >= 2 && p[0] == ';' && std::memchr(p, '\n', n)) {
        // A text field runs from ";" to a ";" opening a later line.
        const char* begin = p + 1;
        const char* end = p + n - 1;
        while (begin < end && IsBlank(*begin))
            ++begin;
        while (end > begin && IsBlank(end[-1]))
            --end;
        return {begin, static_cast<int>(end - begin), false};
    }
    return {p, static_cast<int>(n), n == 1 && (p[0] == '?' || p[0] == '.')};
}

inline bool IsWord(Value v, const char* word) {
    return !v.null && SameWord(v.text, static_cast<std::size_t>(v.length), word);
}

// One character of a code such as an insertion code or an alternate location; 0 for none.
inline char CodeOf(Value v) {
    return (v.null || v.length == 0) ? '\0' : v.text[0];
}

// The leading integer, as the PDB reader reads a residue number: mmCIF declares residue numbers
// and model numbers as codes, which may carry more after the number. False for a null value.
inline bool LeadingInt(Value v, int& value) {
    if (v.null)
        return false;
    value = tokens::ToInt(v.text, v.End());
    return true;
}

// The whole value as a number; a standard uncertainty in parentheses ("12.345(6)") is dropped.
inline bool NumberOf(Value v, float& value) {
    if (tokens::ToFloatFast(v.text, v.End(), value))
        return true;
    const char* end = v.End();
    if (v.length > 0 && end[-1] == ')')
        if (const void* open = std::memchr(v.text, '(', static_cast<std::size_t>(v.length)))
            end = static_cast<const char*>(open);
    return tokens::ParseFloat(v.text, end, value);
}

// A short identifier copied out of the parser's text, which moves on after every value. Longer
// values keep their first characters, enough to be refused as names.
struct ShortText {
    static constexpr int kCapacity = 31;
    char text[kCapacity + 1] = "";
    int length = -1; // not given: no such column, or a null value

    bool Given() const { return length >= 0; }
    void Set(Value v) {
        if (v.null) {
            length = -1;
            return;
        }
        length = std::min(v.length, kCapacity);
        std::memcpy(text, v.text, static_cast<std::size_t>(length));
        text[length] = '\0';
    }
    std::string String() const { return Given() ? std::string(text, std::size_t(length)) : ""; }
    bool operator==(const ShortText& o) const {
        return length == o.length &&
               std::memcmp(text, o.text, static_cast<std::size_t>(std::max(length, 0))) == 0;
    }
};

// The auth identifier, which a PDB file shows, where the file gives it; the label one otherwise.
inline const ShortText& Preferred(const ShortText& auth, const ShortText& label) {
    return auth.Given() ? auth : label;
}

} // namespace cif

} // namespace vorn
