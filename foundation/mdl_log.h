#pragma once
// The daily processing log: "YYYYMMDD_.log" in the data folder, CP932, CR LF, one quoted entry per
// line "【hh:nn:ss】 message". Logging never interrupts the program: when the file cannot be opened
// or written the program goes on without a log and without a message.
#include "foundation/clock.h"
#include "foundation/file_io.h"
#include "foundation/log_sink.h"

#include <functional>
#include <string>
#include <string_view>

class mdlLog : public LogSink {
public:
    // dataFolder is asked for the folder (ending in a separator) each time the log is opened.
    mdlLog(std::function<std::string()> dataFolder, const Clock& clock);
    // The installation's data folder and the system clock.
    mdlLog();
    ~mdlLog();
    mdlLog(const mdlLog&) = delete;
    mdlLog& operator=(const mdlLog&) = delete;

    // MakeLogName, then OpenLogFile.
    void OpenLog();
    // Appends one entry (UTF-8 message); on failure reopens once and retries, then disables itself.
    void WriteLog(std::string_view message) override;
    // Closes the file; LogOpened stays as it is, so the next WriteLog reopens the day's file.
    void CloseLog();

    void MakeLogName();
    void OpenLogFile();
    // Deletes the logs of 8 to 14 days before today that exist in the log folder.
    void PurgeOldLogs();

    bool LogOpened() const { return logOpened_; }
    const std::string& LogFileName() const { return logFileName_; }
    const std::string& LogFolder() const { return logFolder_; }

private:
    bool appendEntry(std::string_view message);

    std::function<std::string()> dataFolder_;
    const Clock& clock_;
    std::string logFileName_;
    std::string logFolder_;
    bool logOpened_ = false;
    // A raw descriptor opened with O_APPEND: each entry is one write(2), so a second process
    // appending to the same day's file never splits or overwrites our lines.
    fileio::AppendFile file_;
};
