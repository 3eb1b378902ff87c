#include "gridmover/core/unified_diff.h"

#include "foundation/cp932.h"
#include "gridmover/core/mod_convert.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace gridmover {

namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    LineReader reader(text);
    while (!reader.AtEnd()) {
        lines.push_back(reader.Next());
    }
    return lines;
}

enum class Op { Keep, Del, Add };

// Myers' O(ND) difference: the edit script from a to b.
std::vector<Op> editScript(const std::vector<std::string_view>& a,
                           const std::vector<std::string_view>& b) {
    const long n = static_cast<long>(a.size());
    const long m = static_cast<long>(b.size());
    const long max = n + m;
    const long offset = max + 1;
    std::vector<long> v(static_cast<std::size_t>(2 * max + 3), 0);
    std::vector<std::vector<long>> trace;
    long dFound = 0;
    for (long d = 0; d <= max; ++d) {
        // Only diagonals -d..d can be read back for this step: keeping just those makes the
        // trace grow with the square of the number of differences, not with the file size.
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        bool done = false;
        for (long k = -d; k <= d; k += 2) {
            long x;
            if (k == -d || (k != d && v[static_cast<std::size_t>(offset + k - 1)] <
                                          v[static_cast<std::size_t>(offset + k + 1)])) {
                x = v[static_cast<std::size_t>(offset + k + 1)];
            } else {
                x = v[static_cast<std::size_t>(offset + k - 1)] + 1;
            }
            long y = x - k;
            while (x < n && y < m &&
                   a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) {
                ++x;
                ++y;
            }
            v[static_cast<std::size_t>(offset + k)] = x;
            if (x >= n && y >= m) {
                done = true;
                break;
            }
        }
        if (done) {
            dFound = d;
            break;
        }
    }
    // Walk back through the trace.
    std::vector<Op> ops;
    long x = n;
    long y = m;
    for (long d = dFound; d > 0; --d) {
        const std::vector<long>& trail = trace[static_cast<std::size_t>(d)];
        auto pv = [&](long k) { return trail[static_cast<std::size_t>(k + d)]; };
        long k = x - y;
        long prevK;
        if (k == -d || (k != d && pv(k - 1) < pv(k + 1))) {
            prevK = k + 1;
        } else {
            prevK = k - 1;
        }
        long prevX = pv(prevK);
        long prevY = prevX - prevK;
        while (x > prevX && y > prevY) {
            ops.push_back(Op::Keep);
            --x;
            --y;
        }
        ops.push_back(x == prevX ? Op::Add : Op::Del);
        x = prevX;
        y = prevY;
    }
    while (x > 0 && y > 0) {
        ops.push_back(Op::Keep);
        --x;
        --y;
    }
    std::reverse(ops.begin(), ops.end());
    // Within each run of changes, removed lines first, as diff shows them: easier to read, and
    // any order of one run describes the same edit.
    for (std::size_t i = 0; i < ops.size();) {
        if (ops[i] == Op::Keep) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < ops.size() && ops[j] != Op::Keep) {
            ++j;
        }
        std::stable_partition(ops.begin() + static_cast<long>(i),
                              ops.begin() + static_cast<long>(j),
                              [](Op o) { return o == Op::Del; });
        i = j;
    }
    return ops;
}

// One line of a hunk: its mark, the text, the line end.
void appendLine(std::string& body, char mark, const std::string& text) {
    body += mark;
    body += text;
    body += '\n';
}

} // namespace

std::string DisplayLine(std::string_view line) {
    if (auto utf8 = cp932::tryToUtf8(line)) {
        return *utf8;
    }
    std::string out;
    std::size_t i = 0;
    while (i < line.size()) {
        // The longest valid piece from i, then one escaped byte.
        std::size_t good = 0;
        for (std::size_t len = std::min<std::size_t>(line.size() - i, 2); len > 0; --len) {
            if (cp932::tryToUtf8(line.substr(i, len))) {
                good = len;
                break;
            }
        }
        if (good > 0) {
            out += *cp932::tryToUtf8(line.substr(i, good));
            i += good;
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", static_cast<unsigned char>(line[i]));
            out += esc;
            ++i;
        }
    }
    return out;
}

std::string UnifiedDiff(std::string_view before, std::string_view after,
                        std::string_view beforeName, std::string_view afterName) {
    if (before == after) {
        return {};
    }
    const auto a = splitLines(before);
    const auto b = splitLines(after);
    const auto ops = editScript(a, b);
    std::string out;
    out += "--- ";
    out += beforeName;
    out += "\n+++ ";
    out += afterName;
    out += "\n";

    constexpr std::size_t context = 3;
    // Positions (in ops) of changes, grouped into hunks.
    std::size_t i = 0;
    bool anyHunk = false;
    while (i < ops.size()) {
        if (ops[i] == Op::Keep) {
            ++i;
            continue;
        }
        // A hunk: from context lines before the change to context lines after the last change
        // that is no more than 2 * context lines from the next.
        std::size_t start = i >= context ? i - context : 0;
        std::size_t end = i;
        std::size_t keepRun = 0;
        for (std::size_t j = i; j < ops.size(); ++j) {
            if (ops[j] == Op::Keep) {
                if (++keepRun > 2 * context) {
                    break;
                }
            } else {
                keepRun = 0;
                end = j + 1;
            }
        }
        std::size_t stop = std::min(ops.size(), end + context);
        // Line numbers at start.
        std::size_t la = 0;
        std::size_t lb = 0;
        for (std::size_t j = 0; j < start; ++j) {
            la += ops[j] != Op::Add;
            lb += ops[j] != Op::Del;
        }
        std::size_t ca = 0;
        std::size_t cb = 0;
        std::string body;
        for (std::size_t j = start; j < stop; ++j) {
            switch (ops[j]) {
            case Op::Keep:
                appendLine(body, ' ', DisplayLine(a[la + ca]));
                ++ca;
                ++cb;
                break;
            case Op::Del:
                appendLine(body, '-', DisplayLine(a[la + ca]));
                ++ca;
                break;
            case Op::Add:
                appendLine(body, '+', DisplayLine(b[lb + cb]));
                ++cb;
                break;
            }
        }
        auto range = [](std::size_t first, std::size_t count) {
            // An empty range names the line before it, as diff does.
            std::size_t shown = count == 0 ? first : first + 1;
            return std::to_string(shown) + "," + std::to_string(count);
        };
        out += "@@ -" + range(la, ca) + " +" + range(lb, cb) + " @@\n";
        out += body;
        anyHunk = true;
        i = stop;
    }
    if (!anyHunk) {
        out += "(only the line ends differ)\n";
    } else {
        // Same lines joined with CR LF on both sides would have been equal: say when line ends
        // change as well, since the lines above do not show it.
        std::string joinedBefore;
        for (auto l : a) {
            joinedBefore.append(l).append("\r\n");
        }
        if (joinedBefore != before) {
            out += "(line ends change to CR LF as well)\n";
        }
    }
    return out;
}

} // namespace gridmover
