#include <gtest/gtest.h>
#include <iconv.h>

#include "diag/text.h"
#include "diag/text_encoding.h"
#include "support/files.h"
#include "support/fuzz.h"
#include "support/temp_home.h"

namespace koru::diag {
namespace {

// The C library's own UTF-8 decoder, as an independent judge: the code points, or nullopt.
std::optional<std::u32string> codePoints(std::string bytes) {
    iconv_t decoder = ::iconv_open("UTF-32LE", "UTF-8");
    std::u32string out(bytes.size() + 1, U'\0');
    char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    char* to = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size() * sizeof(char32_t);
    std::size_t result = ::iconv(decoder, &in, &inLeft, &to, &outLeft);
    ::iconv_close(decoder);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft / sizeof(char32_t));
    return out;
}

const std::vector<std::string> kText = {"Caf", "\xC3\xA9", "M\xC3\xBC", "ller", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                        "'1',, ", "\r\n", "\n", "\xE9", "\x96", "\x81", "\xEF\xBB\xBF", " "};

TEST(TextEncodingFuzz, WhateverTheBytesTheTextIsUtf8AndUtf8StaysAsItIs) {
    test::Fuzz fuzz;
    test::TempHome home;
    while (fuzz.next()) {
        std::string bytes = fuzz.text(kText, 12, 3);
        SCOPED_TRACE(fuzz.where());
        std::optional<std::u32string> decoded = codePoints(bytes);
        ASSERT_EQ(isValidUtf8(bytes), decoded.has_value());

        std::string text = decodeText(bytes);
        ASSERT_TRUE(codePoints(text));
        std::string_view withoutMark = std::string_view(bytes).substr(bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
        if (isValidUtf8(withoutMark)) {
            ASSERT_EQ(text, withoutMark);
        }

        // Every Windows-1252 byte is one character.
        std::string converted = windows1252ToUtf8(bytes);
        ASSERT_TRUE(codePoints(converted));
        ASSERT_EQ(characterCount(converted), bytes.size());

        // Cutting text by characters never cuts inside one.
        std::size_t count = characterCount(text);
        std::size_t cut = fuzz.below(count + 2);
        std::string left = leftChars(text, cut), right = rightChars(text, cut);
        ASSERT_TRUE(codePoints(left) && codePoints(right));
        ASSERT_EQ(characterCount(left), std::min(cut, count));
        ASSERT_EQ(characterCount(right), std::min(cut, count));
        ASSERT_EQ(text.rfind(left, 0), 0u);
        ASSERT_EQ(text.substr(text.size() - right.size()), right);

        // A code point written as UTF-8 reads back as itself.
        char32_t codePoint = static_cast<char32_t>(fuzz.below(0x110000));
        if (codePoint < 0xD800 || codePoint > 0xDFFF) {
            std::string encoded;
            appendUtf8(encoded, codePoint);
            ASSERT_TRUE(codePoints(encoded) == std::u32string(1, codePoint)) << std::hex << unsigned{codePoint};
        }

        // And a file reads as its bytes decode.
        if (fuzz.oneIn(50)) {
            test::writeFile(home.path() / "text", bytes);
            ASSERT_EQ(readTextFile(home.path() / "text"), text);
        }
    }
}

}  // namespace
}  // namespace koru::diag
