#include "db/key_collation.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

#include "diag/text_encoding.h"

namespace koru::db {
namespace {

// The C.UTF-8 locale carries Unicode's case mapping whatever the process locale is. Without
// it (not a glibc system) only ASCII letters fold, as SQLite's NOCASE does.
locale_t unicodeLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

// Reads one code point at `at`; a byte that does not start valid UTF-8 is taken alone and
// returned as 0x110000 + byte, so that it compares apart from every character.
std::uint32_t nextCodePoint(std::string_view text, std::size_t& at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 1) {
        ++at;
        return lead;
    }
    if (length == 0 || at + length > text.size()) return 0x110000u + byte(at++);
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0x110000u + byte(at++);
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    at += length;
    return code;
}

std::uint32_t folded(std::uint32_t code) {
    if (code < 0x80) return code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code;
    if (code >= 0x110000u) return code;
    locale_t locale = unicodeLocale();
    return locale ? static_cast<std::uint32_t>(towlower_l(static_cast<wint_t>(code), locale)) : code;
}

void append(std::string& out, std::uint32_t code) {
    if (code >= 0x110000u) {
        out += static_cast<char>(code - 0x110000u);  // a byte that is no UTF-8 stays as it was
    } else {
        diag::appendUtf8(out, static_cast<char32_t>(code));
    }
}

}  // namespace

std::string foldKey(std::string_view key) {
    std::string out;
    out.reserve(key.size());
    for (std::size_t at = 0; at < key.size();) append(out, folded(nextCodePoint(key, at)));
    return out;
}

int compareKeys(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        std::uint32_t x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
        if (x < 0x80 && y < 0x80) {
            ++i;
            ++j;
            x = folded(x);
            y = folded(y);
        } else {
            x = folded(nextCodePoint(a, i));
            y = folded(nextCodePoint(b, j));
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    return j < b.size() ? -1 : 0;
}

}  // namespace koru::db
