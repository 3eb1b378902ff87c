#include "printctl/printctl.h"

#include "foundation/file_io.h"
#include "foundation/prompts.h"
#include "foundation/utf8_path.h"
#include "printctl/printer_system.h"
#include "printctl/settings_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace printctl {

namespace {

constexpr std::string_view kNoPrinterText =
    "プリンタが登録されていません。プリンタの追加を行って下さい。";
constexpr std::string_view kNoPrinterTitle = "制御エラー";
constexpr std::string_view kSaveFailedText = "プリンタ名の保存に失敗しました。";
constexpr std::string_view kSaveFailedTitle = "更新エラー";

// Blanks only, as the Windows programs' Trim: a tab belongs to the name.
std::string trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return std::string(text);
}

// The program name becomes a file name in the data folder. A name with a path separator of either
// platform ("../x", "..\\x", "sub/x") or a NUL (which would cut the path short) would put the
// settings file somewhere else, so such a name has no settings file: nothing is read for it and
// a save fails with the usual message.
bool isFileName(std::string_view program) {
    return program.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

// The file's first bytes: only its first line is read, and a real one is far shorter than this.
constexpr std::size_t kMaxBytes = 64 * 1024;

std::string readHead(const std::filesystem::path& path, const std::string& file) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw SettingsFileError(file, "the file cannot be opened");
    std::string bytes(kMaxBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        throw SettingsFileError(file, "the file cannot be read");
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

} // namespace

SettingsFileError::SettingsFileError(const std::string& file, const std::string& problem)
    : std::runtime_error("cannot read the printer settings file " + file + ": " + problem),
      file_(file), problem_(problem) {}
SettingsFileError::~SettingsFileError() = default;

ListControl::~ListControl() = default;
PrinterSystem::~PrinterSystem() = default;

Clsプリンタ制御::Clsプリンタ制御(Services services) : services_(std::move(services)) {}
Clsプリンタ制御::~Clsプリンタ制御() = default;

void Clsプリンタ制御::FormNum(std::int64_t vFormNum) {
    owner_ = vFormNum;
    if (services_.ownerChanged)
        services_.ownerChanged(vFormNum);
}

void Clsプリンタ制御::プログラム名(std::string_view Prgnam) {
    program_ = std::string(Prgnam);
}

std::string Clsプリンタ制御::SettingsFilePath() const {
    return services_.dataFolder() + program_ + ".txt";
}

bool Clsプリンタ制御::Prt_List(ListControl& vListBox) {
    for (const std::string& printer : services_.printers->Printers())
        vListBox.AddItem(printer);
    if (vListBox.ListCount() == 0) {
        services_.prompts->message(MsgIcon::Critical, kNoPrinterTitle, kNoPrinterText);
        return false;
    }
    if (std::string standard = services_.printers->DefaultPrinter(); !standard.empty())
        vListBox.Text(standard);

    if (!isFileName(program_))
        return true;
    const std::string file = SettingsFilePath();
    const std::filesystem::path path = utf8::toPath(file);
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status))
        return true;
    if (!std::filesystem::is_regular_file(status))
        throw SettingsFileError(file, "it is not a file");
    std::string bytes = readHead(path, file);
    if (bytes.empty())
        return true;

    settings_file::Contents saved;
    try {
        saved = settings_file::Decode(bytes);
    } catch (const std::runtime_error& e) {
        throw SettingsFileError(file, e.what());
    }
    // The margins count even when the saved printer is gone: they belong to the program.
    top_ = saved.top;
    bottom_ = saved.bottom;
    left_ = saved.left;
    right_ = saved.right;
    const std::string name = trimSpaces(saved.printer);
    for (int i = 0; i < vListBox.ListCount(); ++i) {
        if (vListBox.List(i) == name) {
            vListBox.Text(name);
            break;
        }
    }
    return true;
}

bool Clsプリンタ制御::Prt_Save(ListControl& vListBox) {
    settings_file::Contents contents{trimSpaces(vListBox.Text()), top_, bottom_, left_, right_};
    auto encoded = settings_file::Encode(contents);
    if (!encoded.problem.empty() || !isFileName(program_) ||
        !fileio::ReplaceFile(utf8::toPath(SettingsFilePath()), encoded.bytes)) {
        services_.prompts->message(MsgIcon::Critical, kSaveFailedTitle, kSaveFailedText);
        return false;
    }
    return true;
}

void Clsプリンタ制御::Prt_Property(ListControl& vListBox) {
    services_.printers->ShowProperties(owner_, vListBox.Text());
}

} // namespace printctl
