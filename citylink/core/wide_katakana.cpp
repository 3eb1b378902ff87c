#include "citylink/core/wide_katakana.h"
#include "foundation/utf8.h"

#include <array>
#include <cstdint>

namespace citylink {
namespace {

// Full-width forms of U+FF61..U+FF9F (half-width katakana block), in code order.
constexpr std::array<char32_t, 0x3F> kHalfToFull = {
    U'。', U'「', U'」', U'、', U'・', U'ヲ', U'ァ', U'ィ', U'ゥ', U'ェ', U'ォ', U'ャ', U'ュ',
    U'ョ', U'ッ', U'ー', U'ア', U'イ', U'ウ', U'エ', U'オ', U'カ', U'キ', U'ク', U'ケ', U'コ',
    U'サ', U'シ', U'ス', U'セ', U'ソ', U'タ', U'チ', U'ツ', U'テ', U'ト', U'ナ', U'ニ', U'ヌ',
    U'ネ', U'ノ', U'ハ', U'ヒ', U'フ', U'ヘ', U'ホ', U'マ', U'ミ', U'ム', U'メ', U'モ', U'ヤ',
    U'ユ', U'ヨ', U'ラ', U'リ', U'ル', U'レ', U'ロ', U'ワ', U'ン', U'゛', U'゜'};

constexpr char32_t kHalfVoiced = 0xFF9E;
constexpr char32_t kHalfSemiVoiced = 0xFF9F;

// The voiced kana of a full-width katakana, or 0 when it has none.
char32_t voiced(char32_t kana) {
    if ((kana >= U'カ' && kana <= U'ト') || (kana >= U'ハ' && kana <= U'ホ')) {
        // In these rows every plain kana is followed by its voiced form (ッ sits between チ and
        // ツ and has none).
        if (kana == U'ッ')
            return 0;
        bool plain = kana >= U'ハ'
                         ? (kana - U'ハ') % 3 == 0
                         : (kana <= U'チ' ? (kana - U'カ') % 2 == 0 : (kana - U'ツ') % 2 == 0);
        return plain ? kana + 1 : 0;
    }
    if (kana == U'ウ')
        return U'ヴ';
    return 0;
}

char32_t semiVoiced(char32_t kana) {
    if (kana >= U'ハ' && kana <= U'ホ' && (kana - U'ハ') % 3 == 0)
        return kana + 2;
    return 0;
}

} // namespace

std::string toWideKatakana(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = i;
        auto decoded = utf8::decode(text, i);
        if (!decoded) {
            out += text[start];
            continue;
        }
        char32_t cp = *decoded;
        if (cp == U' ') {
            cp = U'　';
        } else if (cp >= 0x21 && cp <= 0x7E) {
            cp += 0xFF01 - 0x21;
        } else if ((cp >= U'ぁ' && cp <= U'ゖ') || cp == U'ゝ' || cp == U'ゞ') {
            cp += U'ァ' - U'ぁ';
        } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
            cp = kHalfToFull[cp - 0xFF61];
            // A sound mark that follows is part of this kana when the kana has such a form.
            std::size_t afterNext = i;
            auto next = i < text.size() ? utf8::decode(text, afterNext) : std::nullopt;
            if (next == kHalfVoiced && voiced(cp)) {
                cp = voiced(cp);
                i = afterNext;
            } else if (next == kHalfSemiVoiced && semiVoiced(cp)) {
                cp = semiVoiced(cp);
                i = afterNext;
            }
        }
        utf8::append(cp, out);
    }
    return out;
}

} // namespace citylink
