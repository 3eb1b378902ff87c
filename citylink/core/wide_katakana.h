#pragma once
// The name reading as the city's sheet wants it: full-width katakana.
#include <string>
#include <string_view>

namespace citylink {

// Converts a UTF-8 text to wide katakana, the way the platform's string conversion "to wide, to
// katakana" does:
//   hiragana -> katakana (さとう -> サトウ, ゔ -> ヴ, ゝゞ -> ヽヾ);
//   half-width katakana -> full-width katakana, a following voiced or semi-voiced sound mark
//   joined to its kana where such a kana exists (ｶﾞ -> ガ, ﾊﾟ -> パ, ｳﾞ -> ヴ; ｱﾞ -> ア゛);
//   half-width punctuation ｡｢｣､･ and the long-vowel mark ｰ -> 。「」、・ー;
//   ASCII 0x21-0x7E -> the full-width forms U+FF01-U+FF5E, the blank -> the ideographic blank.
// Everything else (kanji, katakana, full-width forms, other scripts) stays as it is; bytes that
// are not valid UTF-8 are copied unchanged.
std::string toWideKatakana(std::string_view text);

} // namespace citylink
