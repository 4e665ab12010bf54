#include "diag/text_encoding.h"

#include <gtest/gtest.h>

namespace koru::diag {

TEST(TextEncoding, ValidUtf8IsKeptAndWindows1252IsConverted) {
    EXPECT_EQ(decodeText("Caf\xC3\xA9 M\xC3\xBCller"), "Caf\xC3\xA9 M\xC3\xBCller");
    // Windows-1252 bytes of "Café Müller – €5"
    EXPECT_EQ(decodeText("Caf\xE9 M\xFCller \x96 \x80" "5"),
              "Caf\xC3\xA9 M\xC3\xBCller \xE2\x80\x93 \xE2\x82\xAC" "5");
    EXPECT_EQ(decodeText("plain ascii\r\n"), "plain ascii\r\n");
    // An editor's byte-order mark would otherwise become part of the first field.
    EXPECT_EQ(decodeText("\xEF\xBB\xBF'1',, 'Caf\xC3\xA9'"), "'1',, 'Caf\xC3\xA9'");
}

TEST(TextEncoding, RejectsMalformedUtf8) {
    EXPECT_FALSE(isValidUtf8("\xC3"));              // truncated
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
    // Undefined Windows-1252 bytes survive as the C1 control of the same value.
    EXPECT_EQ(windows1252ToUtf8("\x81"), "\xC2\x81");
}

}  // namespace koru::diag
