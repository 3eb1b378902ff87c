#include "citylink/core/wide_katakana.h"

#include <gtest/gtest.h>

using citylink::toWideKatakana;

TEST(WideKatakana, HiraganaBecomesKatakana) {
    EXPECT_EQ(toWideKatakana("さとう　たろう"), "サトウ　タロウ");
    EXPECT_EQ(toWideKatakana("ぁゔゖゝゞ"), "ァヴヶヽヾ");
    EXPECT_EQ(toWideKatakana("がっこう"), "ガッコウ");
}

TEST(WideKatakana, HalfWidthKanaJoinsItsSoundMarks) {
    EXPECT_EQ(toWideKatakana("ｶﾞｷﾞｸﾞｹﾞｺﾞ"), "ガギグゲゴ");
    EXPECT_EQ(toWideKatakana("ﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ"), "ダヂヅデド");
    EXPECT_EQ(toWideKatakana("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟﾊﾞﾎﾞ"), "パピプペポバボ");
    EXPECT_EQ(toWideKatakana("ｳﾞｧｲｵﾘﾝ"), "ヴァイオリン");
    EXPECT_EQ(toWideKatakana("ﾔﾏﾀﾞ ﾀﾛｳ"), "ヤマダ　タロウ");
    // A mark after a kana that has no such form stays a mark of its own.
    EXPECT_EQ(toWideKatakana("ｱﾞﾏﾟｯﾟ"), "ア゛マ゜ッ゜");
    EXPECT_EQ(toWideKatakana("ﾞﾟ"), "゛゜");
    EXPECT_EQ(toWideKatakana("｡｢｣､･ｰｦﾝ"), "。「」、・ーヲン");
}

TEST(WideKatakana, AsciiBecomesFullWidth) {
    EXPECT_EQ(toWideKatakana("Abc 123!~"), "Ａｂｃ　１２３！～");
}

TEST(WideKatakana, OtherTextAndBrokenBytesStay) {
    EXPECT_EQ(toWideKatakana("山田　タロウ①Ａ"), "山田　タロウ①Ａ");
    EXPECT_EQ(toWideKatakana(""), "");
    EXPECT_EQ(toWideKatakana("a\xff"
                             "b\xe3\x81"),
              "ａ\xffｂ\xe3\x81");
}
