#include "citylink/core/wide_katakana.h"

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

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when it is not valid.
std::size_t decode(std::string_view text, std::size_t i, char32_t& out) {
    auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    std::uint8_t b = byte(i);
    std::size_t len = b < 0x80           ? 1
                      : (b >> 5) == 0x6  ? 2
                      : (b >> 4) == 0xE  ? 3
                      : (b >> 3) == 0x1E ? 4
                                         : 0;
    if (len == 0 || i + len > text.size())
        return 0;
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    out = cp;
    return len;
}

void encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string toWideKatakana(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        std::size_t len = decode(text, i, cp);
        if (len == 0) {
            out += text[i++];
            continue;
        }
        i += len;
        if (cp == U' ') {
            cp = U'　';
        } else if (cp >= 0x21 && cp <= 0x7E) {
            cp += 0xFF01 - 0x21;
        } else if ((cp >= U'ぁ' && cp <= U'ゖ') || cp == U'ゝ' || cp == U'ゞ') {
            cp += U'ァ' - U'ぁ';
        } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
            cp = kHalfToFull[cp - 0xFF61];
            // A sound mark that follows is part of this kana when the kana has such a form.
            char32_t next = 0;
            std::size_t nextLen = i < text.size() ? decode(text, i, next) : 0;
            if (nextLen && next == kHalfVoiced && voiced(cp)) {
                cp = voiced(cp);
                i += nextLen;
            } else if (nextLen && next == kHalfSemiVoiced && semiVoiced(cp)) {
                cp = semiVoiced(cp);
                i += nextLen;
            }
        }
        encode(cp, out);
    }
    return out;
}

} // namespace citylink
