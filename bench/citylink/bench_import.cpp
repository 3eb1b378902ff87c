// One clerk's step 1 and the first half of step 2 on a month's export: ReadCSVtoCsvArray (read,
// decode, field stream, date normalisation, month check) and the extended-care table of both
// certifications. run.sh times the whole process against iconv decoding the same file.
//
//   citylink_bench_import FILE.csv YEAR MONTH [REPEAT]
//
// Prints the record and row counts and the time of the in-process work (best of REPEAT).
#include "citylink/core/csv_import.h"
#include "citylink/core/extended_care.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class QuietPrompts : public Prompts {
public:
    std::string last;
    void message(MsgIcon, std::string_view, std::string_view text) override { last = text; }
    bool askYesNo(std::string_view, std::string_view) override { return false; }
    std::optional<std::string> chooseOpenFile(const OpenFileRequest&) override {
        return std::nullopt;
    }
};

class NoLog : public LogSink {
public:
    void WriteLog(std::string_view) override {}
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s FILE.csv YEAR MONTH [REPEAT]\n", argv[0]);
        return 2;
    }
    using namespace std::chrono;
    const dates::Date month{year{std::atoi(argv[2])},
                            std::chrono::month{unsigned(std::atoi(argv[3]))}, day{1}};
    const int repeat = argc > 4 ? std::max(1, std::atoi(argv[4])) : 1;

    QuietPrompts prompts;
    NoLog log;
    citylink::AttendanceTable attendance;
    citylink::ValueTable shortRows, standardRows;
    double best = 1e300;
    for (int i = 0; i < repeat; ++i) {
        auto t0 = steady_clock::now();
        bool ok = citylink::ReadCSVtoCsvArray(argv[1], month, attendance, prompts, log, "bench",
                                              "②札幌市連携エクセル選択") &&
                  citylink::Get延長時間_札幌H30(attendance, citylink::CareNeed::Short,
                                                citylink::CareBands{}, shortRows, prompts, log) &&
                  citylink::Get延長時間_札幌H30(attendance, citylink::CareNeed::Standard,
                                                citylink::CareBands{}, standardRows, prompts, log);
        auto t1 = steady_clock::now();
        if (!ok) {
            std::fprintf(stderr, "failed: %s\n", prompts.last.c_str());
            return 1;
        }
        best = std::min(best, duration<double, std::milli>(t1 - t0).count());
    }
    std::printf("records %zu, short-time rows %d, standard-time rows %d, in-process %.2f ms\n",
                attendance.count(), shortRows.upperRow(), standardRows.upperRow(), best);
    return 0;
}
