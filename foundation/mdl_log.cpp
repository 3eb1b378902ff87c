#include "foundation/mdl_log.h"

#include "foundation/cp932.h"
#include "foundation/module1.h"
#include "foundation/utf8.h"
#include "foundation/utf8_path.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

std::optional<std::chrono::year_month_day> dateOf(const LocalDateTime& t) {
    using namespace std::chrono;
    year_month_day d{year{t.year}, month{static_cast<unsigned>(t.month)},
                     day{static_cast<unsigned>(t.day)}};
    if (!d.ok())
        return std::nullopt;
    return d;
}

std::string yyyymmdd(const std::chrono::year_month_day& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return buf;
}

// The message in CP932, with "?" for each character that CP932 cannot hold (or invalid UTF-8).
// Elsewhere the suite never substitutes silently; the log is the exception on purpose: an error
// message quoting a file name with such a character must still reach the log, and failing the
// write would, after the retry, disable logging for the rest of the day.
std::string toLogBytes(std::string_view utf8) {
    if (auto whole = cp932::tryFromUtf8(utf8))
        return *whole;
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t start = i;
        auto cp = utf8::decode(utf8, i);
        auto one = cp ? cp932::tryFromUtf8(utf8.substr(start, i - start)) : std::nullopt;
        out += one ? *one : std::string("?");
    }
    return out;
}

} // namespace

mdlLog::mdlLog(std::function<std::string()> dataFolder, const Clock& clock)
    : dataFolder_(std::move(dataFolder)), clock_(clock) {}

mdlLog::mdlLog() : mdlLog([] { return Module1::GetDataFolder(); }, systemClock()) {}

mdlLog::~mdlLog() {
    CloseLog();
}

void mdlLog::OpenLog() {
    MakeLogName();
    OpenLogFile();
}

void mdlLog::MakeLogName() {
    auto today = dateOf(clock_.now());
    logFileName_ = (today ? yyyymmdd(*today) : std::string("00000000")) + "_.log";
    try {
        logFolder_ = dataFolder_();
    } catch (...) {
        logFolder_.clear();
    }
}

void mdlLog::OpenLogFile() {
    CloseLog();
    if (logFolder_.empty()) {
        logOpened_ = false;
        return;
    }
    // Appending: a second instance of the program writing the same day's log appends its lines
    // rather than overwriting ours.
    std::string path = logFolder_ + logFileName_;
    if (!file_.Open(utf8::toPath(path))) {
        logOpened_ = false;
        return;
    }
    logOpened_ = true;
    PurgeOldLogs();
}

void mdlLog::WriteLog(std::string_view message) {
    if (!logOpened_)
        return;
    try {
        if (appendEntry(message))
            return;
        OpenLog();
        if (logOpened_ && appendEntry(message))
            return;
    } catch (...) {
        // Logging never interrupts the program.
    }
    logOpened_ = false;
}

void mdlLog::CloseLog() {
    file_.Close();
}

void mdlLog::PurgeOldLogs() {
    using namespace std::chrono;
    auto today = dateOf(clock_.now());
    if (!today || logFileName_.size() < 8)
        return;
    std::string suffix = logFileName_.substr(8);
    for (int i = 1; i <= 7; ++i) {
        year_month_day old{sys_days{*today} - days{i + 7}};
        std::filesystem::path file = logFolder_ + yyyymmdd(old) + suffix;
        std::error_code ec;
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(file, ec)))
            std::filesystem::remove(file, ec);
    }
}

bool mdlLog::appendEntry(std::string_view message) {
    if (!file_.IsOpen())
        return false;
    LocalDateTime t = clock_.now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    std::string entry = "\"【" + std::string(stamp) + "】 ";
    entry += message;
    entry += "\"";
    std::string bytes = toLogBytes(entry);
    bytes += "\r\n";
    return file_.Append(bytes); // one record: never split by another writer
}
