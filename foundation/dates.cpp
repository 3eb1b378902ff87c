#include "foundation/dates.h"

#include "foundation/blanks.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace dates {
namespace {

using namespace std::chrono;

// The Japanese eras as a small table rather than ICU's Japanese calendar: five rows, no new
// dependency, and the dates are the ones the Windows era settings use (明治 counted from
// 1868-01-25 for our purposes). A new era is one more row.
struct Era {
    std::string_view name; // UTF-8, two characters of three bytes each
    char letter;
    Date start;
};

constexpr std::array<Era, 5> kEras{{
    {"明治", 'M', year{1868} / 1 / 25},
    {"大正", 'T', year{1912} / 7 / 30},
    {"昭和", 'S', year{1926} / 12 / 25},
    {"平成", 'H', year{1989} / 1 / 8},
    {"令和", 'R', year{2019} / 5 / 1},
}};

const Era* eraOf(Date d) {
    for (auto it = kEras.rbegin(); it != kEras.rend(); ++it)
        if (d >= it->start)
            return &*it;
    return nullptr;
}

// Full-width ASCII forms (U+FF01 to U+FF5E: digits, letters, ／ － ． ：) become ASCII and the
// ideographic blank a blank: users and real exports type them in dates. Everything else is kept.
std::string normalize(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 == 0xEF && i + 2 < text.size()) {
            unsigned cp = ((b0 & 0x0Fu) << 12) |
                          ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                          (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            if (cp >= 0xFF01 && cp <= 0xFF5E) {
                out += static_cast<char>(cp - 0xFEE0);
                i += 3;
                continue;
            }
        }
        if (text.substr(i, 3) == "\u3000") {
            out += ' ';
            i += 3;
            continue;
        }
        out += text[i++];
    }
    return out;
}

// A cursor over normalised text.
class Scanner {
public:
    explicit Scanner(std::string_view text) : s_(blanks::trim(text)) {}
    bool atEnd() const { return pos_ == s_.size(); }
    std::string_view rest() const { return s_.substr(pos_); }
    bool skipBlanks() {
        std::size_t start = pos_;
        while (pos_ < s_.size() && blanks::isBlank(s_[pos_]))
            ++pos_;
        return pos_ > start;
    }
    bool lit(std::string_view text) {
        if (s_.substr(pos_).substr(0, text.size()) != text)
            return false;
        pos_ += text.size();
        return true;
    }
    // One of the characters in `set`, or 0.
    char oneOf(std::string_view set) {
        if (pos_ < s_.size() && set.find(s_[pos_]) != std::string_view::npos)
            return s_[pos_++];
        return 0;
    }
    std::optional<int> digits(std::size_t minCount, std::size_t maxCount) {
        std::size_t start = pos_;
        int value = 0;
        while (pos_ < s_.size() && pos_ - start < maxCount && s_[pos_] >= '0' && s_[pos_] <= '9')
            value = value * 10 + (s_[pos_++] - '0');
        if (pos_ - start < minCount) {
            pos_ = start;
            return std::nullopt;
        }
        return value;
    }
    const Era* era() {
        for (const Era& e : kEras) {
            if (lit(e.name))
                return &e;
        }
        if (pos_ < s_.size()) {
            char c = s_[pos_];
            for (const Era& e : kEras) {
                if (c == e.letter || c == e.letter + ('a' - 'A')) {
                    ++pos_;
                    return &e;
                }
            }
        }
        return nullptr;
    }
    // An era year: one or two digits, or 元 (the first year).
    std::optional<int> eraYear() {
        if (lit("元"))
            return 1;
        return digits(1, 2);
    }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

std::optional<Date> makeDate(int y, int m, int d) {
    if (y < 1 || y > 9999)
        return std::nullopt;
    Date date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (!date.ok())
        return std::nullopt;
    return date;
}

std::optional<Date> makeEraDate(const Era& era, int eraYear, int m, int d) {
    if (eraYear < 1)
        return std::nullopt;
    auto date = makeDate(static_cast<int>(era.start.year()) + eraYear - 1, m, d);
    if (!date || *date < era.start)
        return std::nullopt;
    return date;
}

// "年" m "月" d "日" after the year, blanks allowed between the parts.
bool kanjiMonthDay(Scanner& sc, int& m, int& d) {
    sc.skipBlanks();
    if (!sc.lit("年"))
        return false;
    sc.skipBlanks();
    auto mm = sc.digits(1, 2);
    sc.skipBlanks();
    if (!mm || !sc.lit("月"))
        return false;
    sc.skipBlanks();
    auto dd = sc.digits(1, 2);
    sc.skipBlanks();
    if (!dd || !sc.lit("日") || !sc.atEnd())
        return false;
    m = *mm;
    d = *dd;
    return true;
}

// sep m sep d after the year, the same separator twice.
bool separatedMonthDay(Scanner& sc, int& m, int& d) {
    char sep = sc.oneOf("/-.");
    if (!sep)
        return false;
    auto mm = sc.digits(1, 2);
    if (!mm || !sc.lit(std::string_view(&sep, 1)))
        return false;
    auto dd = sc.digits(1, 2);
    if (!dd)
        return false;
    m = *mm;
    d = *dd;
    return true;
}

std::optional<Date> parseWestern(std::string_view text) {
    Scanner sc(text);
    auto y = sc.digits(4, 4);
    if (!y)
        return std::nullopt;
    int m = 0, d = 0;
    Scanner kanji = sc;
    if (kanjiMonthDay(kanji, m, d))
        return makeDate(*y, m, d);
    if (!separatedMonthDay(sc, m, d))
        return std::nullopt;
    if (!sc.atEnd()) {
        // A time may follow after blanks (as spreadsheet and export dates carry one).
        if (!sc.skipBlanks() || !parseTimeOfDay(sc.rest()))
            return std::nullopt;
    }
    return makeDate(*y, m, d);
}

std::optional<Date> parseEra(std::string_view text) {
    Scanner sc(text);
    const Era* era = sc.era();
    if (!era)
        return std::nullopt;
    sc.skipBlanks();
    bool gannen = false;
    Scanner probe = sc;
    if (probe.lit("元"))
        gannen = true;
    auto ey = sc.eraYear();
    if (!ey)
        return std::nullopt;
    int m = 0, d = 0;
    Scanner kanji = sc;
    if (kanjiMonthDay(kanji, m, d))
        return makeEraDate(*era, *ey, m, d);
    if (gannen || !separatedMonthDay(sc, m, d) || !sc.atEnd())
        return std::nullopt;
    return makeEraDate(*era, *ey, m, d);
}

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

Date requireDate(std::string_view text) {
    auto d = parseDate(text);
    if (!d)
        throw std::invalid_argument("not a date: " + std::string(text));
    return *d;
}

} // namespace

std::optional<Date> parseDate(std::string_view text) {
    std::string s = normalize(text);
    if (auto d = parseWestern(s))
        return d;
    return parseEra(s);
}

std::optional<TimeOfDay> parseTimeOfDay(std::string_view text) {
    std::string s = normalize(text);
    Scanner sc(s);
    auto h = sc.digits(1, 2);
    if (!h || !sc.lit(":"))
        return std::nullopt;
    auto mi = sc.digits(2, 2);
    if (!mi)
        return std::nullopt;
    int sec = 0;
    if (sc.lit(":")) {
        auto ss = sc.digits(2, 2);
        if (!ss)
            return std::nullopt;
        sec = *ss;
    }
    if (!sc.atEnd() || *h > 23 || *mi > 59 || sec > 59)
        return std::nullopt;
    return TimeOfDay{*h, *mi, sec};
}

std::string formatYmd(Date d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02u/%02u", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return buf;
}

std::string formatHhMm(TimeOfDay t) {
    return twoDigits(t.hour) + ":" + twoDigits(t.minute);
}

std::string Get月末日(std::string_view dateText) {
    Date d = requireDate(dateText);
    // The first day of the next month less one day (December rolls over into January).
    year_month next = d.year() / d.month() + months{1};
    return formatYmd(Date{sys_days{next / 1} - days{1}});
}

std::string Get年度(std::string_view dateText) {
    Date d = requireDate(dateText);
    int y = static_cast<int>(d.year());
    return std::to_string(d.month() >= April ? y : y - 1);
}

std::string formatEra(Date d, std::string_view format) {
    const Era* era = eraOf(d);
    int y = static_cast<int>(d.year());
    int eraYear = era ? y - static_cast<int>(era->start.year()) + 1 : y;
    int m = static_cast<int>(static_cast<unsigned>(d.month()));
    int dd = static_cast<int>(static_cast<unsigned>(d.day()));
    std::string out;
    for (std::size_t i = 0; i < format.size();) {
        auto starts = [&](std::string_view token) {
            if (format.substr(i, token.size()) != token)
                return false;
            i += token.size();
            return true;
        };
        if (starts("ggg"))
            out += era ? era->name : "";
        else if (starts("gg"))
            out += era ? era->name.substr(0, 3) : "";
        else if (starts("g"))
            out += era ? std::string(1, era->letter) : "";
        else if (starts("ee"))
            out += twoDigits(eraYear);
        else if (starts("e"))
            out += std::to_string(eraYear);
        else if (starts("yyyy"))
            out += std::to_string(y);
        else if (starts("yy"))
            out += twoDigits(y % 100);
        else if (starts("mm"))
            out += twoDigits(m);
        else if (starts("m"))
            out += std::to_string(m);
        else if (starts("dd"))
            out += twoDigits(dd);
        else if (starts("d"))
            out += std::to_string(dd);
        else
            out += format[i++];
    }
    return out;
}

std::optional<Date> parseEraMonth(std::string_view text) {
    std::string s = normalize(text);
    {
        Scanner sc(s);
        if (const Era* era = sc.era()) {
            sc.skipBlanks();
            auto ey = sc.eraYear();
            sc.skipBlanks();
            if (ey && sc.lit("年")) {
                sc.skipBlanks();
                auto m = sc.digits(1, 2);
                sc.skipBlanks();
                if (m && sc.lit("月") && sc.atEnd()) {
                    // The month counts as the era's when the era began in it or earlier
                    // (平成 01年01月 is January 1989, although 平成 began on the 8th).
                    auto first = makeDate(static_cast<int>(era->start.year()) + *ey - 1, *m, 1);
                    if (!first || *ey < 1 ||
                        first->year() / first->month() < era->start.year() / era->start.month())
                        return std::nullopt;
                    return first;
                }
            }
        }
    }
    {
        Scanner sc(s);
        if (auto y = sc.digits(4, 4)) {
            sc.skipBlanks();
            bool kanji = sc.lit("年");
            if (kanji)
                sc.skipBlanks();
            if (kanji || sc.oneOf("/-.")) {
                auto m = sc.digits(1, 2);
                sc.skipBlanks();
                if (m && (!kanji || sc.lit("月")) && sc.atEnd())
                    return makeDate(*y, *m, 1);
            }
        }
    }
    if (auto d = parseDate(s))
        return d->year() / d->month() / 1;
    return std::nullopt;
}

} // namespace dates
