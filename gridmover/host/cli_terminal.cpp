#include "gridmover/host/cli_terminal.h"

#include "gridmover/core/grid_version.h"
#include "gridmover/core/string_resources.h"
#include "gridmover/core/vb_project.h"

#include <array>
#include <cinttypes>

namespace gridmover::host {

namespace {

void write(std::FILE* f, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fflush(f);
}

std::string utf8(const std::filesystem::path& p) {
    std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// The text after a message's fixed start (the file's path of 1003 and 1005).
bool startsWith(std::string_view text, std::string_view start, std::string_view& rest) {
    if (text.substr(0, start.size()) != start) {
        return false;
    }
    rest = text.substr(start.size());
    while (!rest.empty() && (rest.front() == '\r' || rest.front() == '\n')) {
        rest.remove_prefix(1);
    }
    return true;
}

} // namespace

RunProject TerminalSite::ActiveProject() {
    RunProject p;
    p.file = projectFile_;
    for (const auto& c : ReadVbProject(projectFile_).components) {
        p.components.push_back({c.name, false, c.files});
    }
    return p;
}

void TerminalSite::SetStatus(std::string_view text) {
    if (quiet_) {
        return;
    }
    const std::string done = WithLineFeeds(text);
    if (auto nl = done.find('\n'); nl != std::string::npos) {
        // "<label>を変換中 ... \n  完了!": one line.
        std::string line = done.substr(0, nl);
        std::string_view rest = std::string_view(done).substr(nl + 1);
        while (!rest.empty() && rest.front() == ' ') {
            rest.remove_prefix(1);
        }
        line += rest;
        write(out_, line + "\n");
        pending_.clear();
        return;
    }
    flush();
    pending_ = done;
}

void TerminalSite::flush() {
    if (!pending_.empty()) {
        write(out_, pending_ + "\n");
        pending_.clear();
    }
}

void TerminalSite::Note(std::string_view text) {
    write(err_, WithLineFeeds(text) + "\n");
}

bool TerminalSite::AllowFilesOutside(const std::vector<std::filesystem::path>& files, Prompts&) {
    const bool allowed = includeOutside_ || dryRun_;
    if (allowed && quiet_ && !dryRun_) {
        return true;
    }
    std::string text =
        allowed
            ? (dryRun_ && !includeOutside_
                   ? "プロジェクトのフォルダーの外にあるファイル（--include-outside のときだけ変換"
                     "します）:\nFiles outside the project's folder (converted only with "
                     "--include-outside):\n"
                   : "プロジェクトのフォルダーの外にあるファイル（一緒に変換します）:\nFiles "
                     "outside the project's folder (converted with the project):\n")
            : "プロジェクトのフォルダーの外にあるファイル（--include-outside のときだけ変換します"
              "）:\nFiles outside the project's folder (converted only with "
              "--include-outside):\n";
    for (const auto& f : files) {
        text += "  " + utf8(f) + "\n";
    }
    if (!allowed) {
        text += "何も変換していません。\nNothing was converted.\n";
    }
    write(allowed ? out_ : err_, text);
    return allowed;
}

void TerminalSite::ShowPendingChanges(const PendingChanges& changes, std::int16_t from,
                                      std::int16_t to) {
    flush();
    for (const auto& f : changes.textFiles) {
        write(out_, f.diff);
    }
    for (const auto& p : changes.binaryPatches) {
        char offset[32];
        std::snprintf(offset, sizeof offset, "0x%08" PRIX64, static_cast<std::uint64_t>(p.offset));
        std::string line = "binary " + utf8(p.file) + " " + offset + " " + p.name + " {" +
                           Versions().Item(from)->Item(p.name)->ToString() + "} -> {" +
                           Versions().Item(to)->Item(p.name)->ToString() + "}\n";
        write(out_, line);
    }
    write(out_, "ドライランのため、何も書き込んでいません。\nDry run: nothing was written.\n");
}

std::string TerminalPrompts::English(std::string_view japanese) {
    std::string_view rest;
    if (japanese == LoadResString(kResProjectUnsaved)) {
        return "The project has unsaved changes; save it and try again.";
    }
    if (japanese == LoadResString(kResNothingToConvert)) {
        return "The project holds no grid of the source version; nothing was converted.";
    }
    if (japanese == LoadResString(kResConverted)) {
        return "The project was converted.";
    }
    if (startsWith(japanese, LoadResString(kResConversionError), rest)) {
        return "An error occurred while converting a file: " + std::string(rest);
    }
    if (startsWith(japanese, LoadResString(kResReadOnlyFile), rest)) {
        return "This file is read-only: " + std::string(rest);
    }
    if (startsWith(japanese, kNotRestoredText, rest)) {
        return "These files could not be put back; each one's old content is kept beside it as "
               "\"<name>.gmold\", and the next run restores it: " +
               std::string(rest);
    }
    if (startsWith(japanese, kRecoveredText, rest)) {
        return "The last conversion was interrupted; the project was put back as it was before." +
               (rest.empty() ? std::string() : " Restored: " + std::string(rest));
    }
    if (japanese == kRecoveredCompleteText) {
        return "The last conversion was interrupted after every file was replaced; its "
               "leftover files were removed.";
    }
    if (startsWith(japanese, kCommitFailedText, rest)) {
        return "The files could not be replaced; every original is unchanged: " + std::string(rest);
    }
    if (japanese.find("OLE DB ﾊﾞｰｼﾞｮﾝのｸﾞﾘｯﾄﾞへ") != std::string_view::npos) {
        return "Warning: after the conversion to an OLE DB grid, bound grids that use the "
               "classic data controls (DAC/RDC) stop working. See the product's manual. Continue?";
    }
    if (japanese.find("DAC/RDC ﾊﾞｰｼﾞｮﾝのｸﾞﾘｯﾄﾞへ") != std::string_view::npos) {
        return "Warning: after the conversion to a DAC/RDC grid, bound grids that use the OLE DB "
               "data control (ADODC) stop working. See the product's manual. Continue?";
    }
    return {};
}

void TerminalPrompts::message(MsgIcon, std::string_view, std::string_view text) {
    std::string out = WithLineFeeds(text) + "\n";
    if (std::string en = English(text); !en.empty()) {
        out += WithLineFeeds(en) + "\n";
    }
    write(err_, out);
}

bool TerminalPrompts::askYesNo(std::string_view title, std::string_view text) {
    message(MsgIcon::Question, title, text);
    return yes_;
}

} // namespace gridmover::host
