// citylink-batch: the usage-sheet run without a window. The same steps as the main window's two
// buttons (read the month's CSV, fill the city's workbook), with the window's inputs taken from the
// command line; for scripted use, tests and machines without a display.
#include "citylink/app/batch_engine.h"
#include "citylink/app/output_guard.h"
#include "citylink/app/terminal_prompts.h"
#include "citylink/core/care_bands.h"
#include "citylink/core/csv_import.h"
#include "citylink/core/layout_settings.h"
#include "citylink/core/load_step.h"
#include "citylink/core/program_caption.h"
#include "citylink/core/usage_sheet_run.h"
#include "citylink/sheets/embedded_engine.h"
#include "citylink/sheets/registry.h"
#include "foundation/clock.h"
#include "foundation/dates.h"
#include "foundation/mdl_log.h"
#include "foundation/module1.h"
#include "foundation/platform.h"
#include "foundation/program_arguments.h"
#include "foundation/utf8_path.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace citylink;

namespace {

constexpr int kExitFinished = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kHelp =
    R"(citylink-batch: 出席データCSVから札幌市の時間外保育利用状況表を作成します（画面なし）。
Fills the city's usage workbook from the month's attendance CSV, without a window.

使い方 / Usage:
  citylink-batch --month YYYY-MM --csv FILE --workbook FILE
                 [--care short|standard] [--bands HH:MM,HH:MM,HH:MM]
                 [--config-dir DIR] [--output FILE [--overwrite]] [--engine {engines}]
                 [--log-dir DIR]
  citylink-batch --show-layout YYYY --care short|standard [--config-dir DIR]
  citylink-batch --help

  --month YYYY-MM     対象月。CSVの日付はすべてこの月でなければなりません。
                      Target month; every date of the CSV must lie in it.
  --csv FILE          「登降園管理＞出席情報検索」から出力したCSV（CP932）。
                      The attendance export of the month (CP932).
  --workbook FILE     {workbook-help}  --care short|standard
                      short = 保育短時間（既定 / default）、standard = 保育標準時間。
  --bands HH:MM,HH:MM,HH:MM
                      短時間開始、短時間終了、標準時間終了。省略時は設定フォルダーの
                      「札幌市連携時間設定.INI」（なければ 08:00,16:00,18:00）。
                      Short-time start, short-time end, standard-time end; default: the bands
                      file of the config folder (08:00,16:00,18:00 without one).
  --config-dir DIR    「札幌市連携.INI」と「札幌市連携時間設定.INI」のフォルダー（既定: プログラムの
                      フォルダー）。なければ最初の年度（2018）の貼付位置を書き込みます。
                      Folder of the layout and bands files (default: the program's folder); the
                      first fiscal year's default layout is written when missing.
  --output FILE       記入済みブックの保存先（既定: 元のブックの横に「<名前>_記入済.xlsx」）。
                      Where the filled workbook goes (default: "<name>_記入済.xlsx" beside it).
                      既存のファイルは --overwrite がなければ置き換えません。CSV・元のブック・
                      設定ファイル・ログには、どの指定でも書き込みません。
                      An existing file is replaced only with --overwrite; the CSV, the workbook,
                      the settings files and the log are never written, whatever the flags.
  --overwrite         --output の既存ファイルを置き換えます。
                      Lets --output replace an existing file.
  --engine {engines}
{engine-help}  --log-dir DIR       処理ログのフォルダー（既定: インストールのデータフォルダー）。
                      Folder of the processing log (default: the installation's data folder).
  --show-layout YYYY  その年度・保育必要量の貼付位置を表示します。
                      Prints the paste layout of that fiscal year and care need.

メッセージは標準エラーに「種類: タイトル: 本文」、進行状況は標準出力に出ます。
Messages go to stderr as "icon-word: title: text"; progress lines to stdout.

終了コード / Exit status:
  0  貼り付けを終了した / the run finished ("データの貼りつけを終了しました。…")
  1  処理がメッセージを出して中断した / the run stopped with a failure message
  2  コマンドラインの誤り / usage error
)";

// The help with the platform's engines in it.
std::string helpText() {
    std::string help(kHelp);
    auto put = [&help](std::string_view mark, std::string_view text) {
        for (std::size_t at; (at = help.find(mark)) != std::string::npos;)
            help.replace(at, mark.size(), text);
    };
    put("{engine-help}", batchEngineHelp());
    put("{workbook-help}", batchWorkbookHelp());
    put("{engines}", batchEngineNames());
    return help;
}

struct UsageError {
    std::string text;
};

struct Options {
    std::map<std::string, std::string, std::less<>> values;
    bool help = false;
    bool overwrite = false;

    bool has(std::string_view key) const { return values.contains(key); }
    const std::string& get(std::string_view key) const { return values.find(key)->second; }
};

Options parse(int argc, char** argv) {
    static const std::vector<std::string_view> kKeys = {
        "--month",      "--csv",    "--workbook", "--care",    "--bands",
        "--config-dir", "--output", "--engine",   "--log-dir", "--show-layout"};
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--overwrite") {
            options.overwrite = true;
            continue;
        }
        std::string key(arg), value;
        bool inlineValue = false;
        if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            key = std::string(arg.substr(0, eq));
            value = std::string(arg.substr(eq + 1));
            inlineValue = true;
        }
        bool known = false;
        for (std::string_view k : kKeys)
            known = known || k == key;
        if (!known)
            throw UsageError{"不明な引数です / unknown argument: " + std::string(arg)};
        if (!inlineValue) {
            if (i + 1 >= argc)
                throw UsageError{key + " には値が必要です / needs a value"};
            value = argv[++i];
        }
        if (options.has(key))
            throw UsageError{key + " が2回指定されています / given twice"};
        options.values.emplace(key, value);
    }
    return options;
}

dates::Date parseMonth(const std::string& text) {
    int y = 0, m = 0;
    char dash = 0, extra = 0;
    if (text.size() != 7 || std::sscanf(text.c_str(), "%4d%c%2d%c", &y, &dash, &m, &extra) != 3 ||
        dash != '-' || m < 1 || m > 12 || y < 1900)
        throw UsageError{"--month は YYYY-MM で指定してください / --month must be YYYY-MM: " +
                         text};
    return dates::Date{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                       std::chrono::day{1}};
}

CareNeed parseCare(const std::string& text) {
    if (text == "short")
        return CareNeed::Short;
    if (text == "standard")
        return CareNeed::Standard;
    throw UsageError{"--care は short か standard です / --care must be short or standard: " +
                     text};
}

CareBands parseBands(const std::string& text) {
    std::vector<dates::TimeOfDay> times;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = text.find(',', start);
        std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::optional<dates::TimeOfDay> t = dates::parseTimeOfDay(part);
        if (!t || t->second != 0 || part.find(':') == std::string::npos)
            throw UsageError{"--bands は HH:MM,HH:MM,HH:MM で指定してください / --bands must be "
                             "HH:MM,HH:MM,HH:MM: " +
                             text};
        times.push_back(*t);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (times.size() != 3)
        throw UsageError{"--bands には時刻を3つ指定してください / --bands takes three times: " +
                         text};
    CareBands bands;
    bands.短時間開始 = times[0];
    bands.短時間終了 = times[1];
    bands.標準時間終了 = times[2];
    return bands;
}

int showLayout(const Options& options, const fs::path& layoutIni, TerminalPrompts& prompts,
               LogSink& log, const std::string& caption) {
    const std::string& yearText = options.get("--show-layout");
    int year = 0;
    if (yearText.size() != 4 || std::sscanf(yearText.c_str(), "%4d", &year) != 1 || year < 1900 ||
        yearText.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError{"--show-layout は年度を YYYY で指定してください / --show-layout takes a "
                         "fiscal year YYYY: " +
                         yearText};
    if (!options.has("--care"))
        throw UsageError{"--show-layout には --care short|standard が必要です / needs --care"};
    CareNeed need = parseCare(options.get("--care"));
    // The fiscal year begins in April: its first month reads its section.
    dates::Date april{std::chrono::year{year}, std::chrono::month{4}, std::chrono::day{1}};
    CityLayout layout;
    if (!M札幌市帳票管理(layoutIni, april, need, layout, prompts, log, caption))
        return kExitFailed;
    const PasteLayout& p = layout.PasteLayout;
    std::string d(careNeedDigit(need));
    std::printf("%s年度 %s (%s)\n", yearText.c_str(), std::string(careNeedText(need)).c_str(),
                utf8::fromPath(layoutIni).c_str());
    auto line = [](const std::string& key, const char* name, const std::string& value) {
        std::printf("  %-5s %-17s %s\n", key.c_str(), name, value.c_str());
    };
    line("1-1", "FormTitle", layout.FormTitle);
    line(d + "-0", "SheetName", p.SheetName);
    line(d + "-1", "FirstRow", std::to_string(p.FirstRow));
    line(d + "-2", "DayColumn", p.DayColumn);
    line(d + "-9", "RowsPerChild", std::to_string(p.RowsPerChild));
    line(d + "-11", "DisabilityColumn", p.DisabilityColumn);
    line(d + "-12", "ReductionColumn", p.ReductionColumn);
    line(d + "-14", "NameColumn", p.NameColumn);
    line(d + "-15", "BirthYearColumn", p.BirthYearColumn);
    line(d + "-16", "BirthMonthColumn", p.BirthMonthColumn);
    line(d + "-17", "BirthDayColumn", p.BirthDayColumn);
    line(d + "-18", "CertNoColumn", p.CertNoColumn);
    line("4-1", "DisabilityItemNo", std::to_string(layout.DisabilityItemNo));
    line("4-2", "ReductionItemNo", std::to_string(layout.ReductionItemNo));
    return kExitFinished;
}

int runMonth(const Options& options, const fs::path& configDir, const fs::path& layoutIni,
             const fs::path& logFile, TerminalPrompts& prompts, LogSink& log,
             const std::string& caption) {
    for (const char* required : {"--month", "--csv", "--workbook"})
        if (!options.has(required))
            throw UsageError{std::string(required) + " がありません / missing " + required};
    dates::Date month = parseMonth(options.get("--month"));
    CareNeed need = options.has("--care") ? parseCare(options.get("--care")) : CareNeed::Short;
    BatchEngine engineChoice = BatchEngine::Embedded;
    if (options.has("--engine")) {
        std::optional<BatchEngine> chosen = parseBatchEngine(options.get("--engine"));
        if (!chosen)
            throw UsageError{"--engine は " + std::string(batchEngineNames()) +
                             " のどれかです / --engine must be one of " +
                             std::string(batchEngineNames()) + ": " + options.get("--engine")};
        engineChoice = *chosen;
    }
    CareBands bands;
    if (options.has("--bands"))
        bands = parseBands(options.get("--bands"));
    else
        Load時間設定(configDir / utf8::toPath(kBandsFileName), bands);

    // The workbook dialog of the window is answered with the file named here.
    prompts.fileAnswer = options.get("--workbook");

    sheets::BackendRegistry registry;
    sheets::EmbeddedEngineOptions engine;
    if (options.has("--output")) {
        const fs::path output = fs::absolute(utf8::toPath(options.get("--output")));
        const std::vector<GuardedFile> guarded = {
            {"--csv", utf8::toPath(options.get("--csv"))},
            {"--workbook", utf8::toPath(options.get("--workbook"))},
            {std::string(kLayoutFileName), layoutIni},
            {std::string(kBandsFileName), configDir / utf8::toPath(kBandsFileName)},
            {"処理ログ / the processing log", logFile},
        };
        if (auto problem = outputProblem(output, options.overwrite, guarded))
            throw UsageError{*problem};
        // Asked again when the workbook is saved: the run takes a while, and the name may have
        // come to be taken, or linked to one of those files, in the meantime.
        const bool overwrite = options.overwrite;
        engine.outputPath = [output, overwrite, guarded](const fs::path&) {
            if (auto problem = outputProblem(output, overwrite, guarded))
                throw sheets::AutomationError(*problem, sheets::errors::kApplicationDefined);
            return output;
        };
    } else if (options.overwrite) {
        throw UsageError{"--overwrite は --output と一緒に指定してください / --overwrite needs "
                         "--output"};
    }
    engine.opener = [](const fs::path& saved) {
        std::printf("記入済みのブック / filled workbook: %s\n", utf8::fromPath(saved).c_str());
        std::fflush(stdout);
    };
    registerBatchEngine(registry, engineChoice, engine);

    TerminalProgress progress;
    // Step 1: the month's CSV into the attendance table.
    AttendanceTable attendance;
    if (!ReadCSVtoCsvArray(utf8::toPath(options.get("--csv")), month, attendance, prompts, log,
                           caption, kRunButtonCaption))
        return kExitFailed;

    // Step 2: the usage-sheet run.
    UsageSheetInputs in;
    in.targetMonth = month;
    in.careNeed = need;
    in.bands = bands;
    in.attendance = &attendance;
    // The tool reads the month once: after the extended-care table its memory goes back.
    // (Moved out and destroyed: assigning an empty table would keep the buffers' memory.)
    in.attendanceDone = [&attendance] { AttendanceTable gone(std::move(attendance)); };
    in.layoutIni = layoutIni;
    in.caption = caption;
    UsageSheetRun run(registry, prompts, log, progress);
    RunOutcome outcome = run.延長時間貼付処理(in);
    if (outcome != RunOutcome::Finished)
        return kExitFailed;
    const RunSummary& s = run.summary();
    std::printf("%s: 園児 %d人、延べ %d日、記入したセル %d / children %d, child-days %d, cells "
                "written %d%s%s\n",
                std::string(careNeedText(need)).c_str(), s.children, s.days, s.cellsWritten,
                s.children, s.days, s.cellsWritten, s.blockAddress.empty() ? "" : ", block ",
                s.blockAddress.c_str());
    return kExitFinished;
}

} // namespace

int main(int argc, char** argv) {
    // File names on the command line are often Japanese: every argument as UTF-8.
    std::vector<std::string> arguments = programArguments(argc, argv);
    std::vector<char*> utf8Argv;
    for (std::string& argument : arguments)
        utf8Argv.push_back(argument.data());
    argc = static_cast<int>(utf8Argv.size());
    argv = utf8Argv.data();
    Options options;
    try {
        options = parse(argc, argv);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "citylink-batch: %s\n(citylink-batch --help)\n", error.text.c_str());
        return kExitUsage;
    }
    if (options.help || argc == 1) {
        const std::string help = helpText();
        std::fwrite(help.data(), 1, help.size(), argc == 1 ? stderr : stdout);
        return options.help ? kExitFinished : kExitUsage;
    }

    const std::string& caption = programCaption();
    TerminalPrompts prompts{std::string(kProgramTitle)};

    fs::path configDir = options.has("--config-dir")
                             ? utf8::toPath(options.get("--config-dir"))
                             : utf8::toPath(systemPlatform().programFolder());
    std::error_code ec;
    if (!fs::is_directory(configDir, ec)) {
        std::fprintf(
            stderr,
            "citylink-batch: 設定フォルダーがありません / config folder does not exist: %s\n",
            utf8::fromPath(configDir).c_str());
        return kExitUsage;
    }
    std::string logFolder;
    if (options.has("--log-dir")) {
        fs::path dir = utf8::toPath(options.get("--log-dir"));
        if (!fs::is_directory(dir, ec)) {
            std::fprintf(
                stderr,
                "citylink-batch: ログフォルダーがありません / log folder does not exist: %s\n",
                utf8::fromPath(dir).c_str());
            return kExitUsage;
        }
        logFolder = utf8::fromPath(dir / "");
    }
    // The processing log as the window writes it: the day's file in the data folder.
    mdlLog log([logFolder] { return logFolder.empty() ? Module1::GetDataFolder() : logFolder; },
               systemClock());
    log.OpenLog();
    log.WriteLog(caption);

    int exitCode = kExitFailed;
    try {
        // The window's load step: the first fiscal year's layout on a fresh folder.
        const fs::path layoutIni = configDir / utf8::toPath(kLayoutFileName);
        if (!RunLoadStep(layoutIni, log, prompts, [&caption] { return caption; })) {
            log.WriteLog("終了");
            log.CloseLog();
            return kExitFailed;
        }
        exitCode =
            options.has("--show-layout")
                ? showLayout(options, layoutIni, prompts, log, caption)
                : runMonth(options, configDir, layoutIni,
                           log.LogOpened() ? utf8::toPath(log.LogFolder() + log.LogFileName())
                                           : fs::path(),
                           prompts, log, caption);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "citylink-batch: %s\n(citylink-batch --help)\n", error.text.c_str());
        exitCode = kExitUsage;
    } catch (const std::exception& error) {
        log.WriteLog(std::string(error.what()));
        prompts.message(MsgIcon::Critical, "エラー",
                        std::string("エラーで処理を中断しました。") + "\n" + error.what());
        exitCode = kExitFailed;
    }
    log.WriteLog("終了");
    // The messages are the window's and say only that a step failed; the reason (the file that
    // is missing, the sheet that is not there) is in the processing log. Without a window to look
    // at, the log is where the operator must look next: say where it is.
    if (exitCode == kExitFailed && log.LogOpened())
        std::fprintf(stderr,
                     "詳しい理由は処理ログにあります / the reason is in the processing log: %s%s\n",
                     log.LogFolder().c_str(), log.LogFileName().c_str());
    log.CloseLog();
    return exitCode;
}
