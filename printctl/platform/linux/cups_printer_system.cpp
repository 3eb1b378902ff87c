#include "printctl/platform/linux/cups_printer_system.h"

#include "foundation/prompts.h"
#include "printctl/properties_dialog.h"

#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cctype>
#include <cups/cups.h>

namespace printctl {

namespace {

// The destinations of cupsGetDests2, freed on every way out.
class Dests {
public:
    Dests() { count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_); }
    ~Dests() { cupsFreeDests(count_, dests_); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
    int count() const { return count_; }
    cups_dest_t* begin() const { return dests_; }
    cups_dest_t* end() const { return dests_ + count_; }
    cups_dest_t* get(const char* name) const { return cupsGetDest(name, nullptr, count_, dests_); }
    int* countRef() { return &count_; }
    cups_dest_t** destsRef() { return &dests_; }

private:
    int count_ = 0;
    cups_dest_t* dests_ = nullptr;
};

// Job options that are settings of one job (its name, priority, copies, pages), not of the
// printer, and collections the dialog cannot offer as one choice.
bool isPrinterSetting(std::string_view keyword) {
    if (keyword.starts_with("job-") || keyword.starts_with("ipp-") || keyword.ends_with("-col"))
        return false;
    static constexpr std::string_view perJob[] = {"copies", "page-ranges",
                                                  "multiple-document-handling"};
    return std::find(std::begin(perJob), std::end(perJob), keyword) == std::end(perJob);
}

// The options people look for first come first; the rest follow in CUPS's order.
int displayRank(std::string_view keyword) {
    static constexpr std::string_view first[] = {"media",
                                                 "sides",
                                                 "print-color-mode",
                                                 "print-quality",
                                                 "printer-resolution",
                                                 "output-bin",
                                                 "orientation-requested"};
    auto it = std::find(std::begin(first), std::end(first), keyword);
    return static_cast<int>(it - std::begin(first));
}

std::string resolutionText(ipp_attribute_t* attr, int index) {
    ipp_res_t units;
    int y = 0;
    int x = ippGetResolution(attr, index, &y, &units);
    std::string text = std::to_string(x);
    if (y != x)
        text += "x" + std::to_string(y);
    return text + (units == IPP_RES_PER_CM ? "dpcm" : "dpi");
}

// The value of attr[index] as lpoptions would store it; nullopt for kinds the dialog skips.
std::optional<std::string> valueText(ipp_attribute_t* attr, int index) {
    switch (ippGetValueTag(attr)) {
    case IPP_TAG_KEYWORD:
    case IPP_TAG_NAME:
    case IPP_TAG_NAMELANG:
        return std::string(ippGetString(attr, index, nullptr));
    case IPP_TAG_ENUM:
    case IPP_TAG_INTEGER:
        return std::to_string(ippGetInteger(attr, index));
    case IPP_TAG_RESOLUTION:
        return resolutionText(attr, index);
    default:
        return std::nullopt;
    }
}

// A stored option may name an enum by its keyword ("landscape") or its number ("4").
std::string normalised(const char* keyword, ipp_tag_t tag, const std::string& value) {
    if (tag == IPP_TAG_ENUM && !value.empty() &&
        !std::isdigit(static_cast<unsigned char>(value[0]))) {
        int number = ippEnumValue(keyword, value.c_str());
        if (number > 0)
            return std::to_string(number);
    }
    return value;
}

std::optional<PrinterOption> optionOf(cups_dest_t* dest, cups_dinfo_t* info, const char* keyword) {
    ipp_attribute_t* supported = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, keyword);
    if (!supported)
        return std::nullopt;
    ipp_tag_t tag = ippGetValueTag(supported);
    PrinterOption option;
    option.keyword = keyword;
    const char* label = cupsLocalizeDestOption(CUPS_HTTP_DEFAULT, dest, info, keyword);
    option.label = label ? label : keyword;
    for (int i = 0; i < ippGetCount(supported); ++i) {
        auto value = valueText(supported, i);
        if (!value)
            return std::nullopt;
        // Enums are translated by their keyword; the stored value stays the number.
        std::string lookup = *value;
        if (tag == IPP_TAG_ENUM)
            lookup = ippEnumString(keyword, ippGetInteger(supported, i));
        const char* text =
            cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, dest, info, keyword, lookup.c_str());
        option.choices.push_back({*value, text ? text : lookup});
    }
    if (option.choices.size() < 2)
        return std::nullopt;

    // The user's default: the destination's options hold the server's defaults overlaid with
    // the user's lpoptions, as every CUPS program sees them.
    std::optional<std::string> current;
    if (const char* stored = cupsGetOption(keyword, dest->num_options, dest->options))
        current = normalised(keyword, tag, stored);
    else if (ipp_attribute_t* standard =
                 cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, keyword);
             standard && ippGetCount(standard) > 0)
        current = valueText(standard, 0);
    for (std::size_t i = 0; current && i < option.choices.size(); ++i) {
        if (option.choices[i].value == *current)
            option.current = static_cast<int>(i);
    }
    return option;
}

} // namespace

CupsPrinterSystem::CupsPrinterSystem(std::shared_ptr<Prompts> prompts)
    : prompts_(std::move(prompts)) {}

std::vector<std::string> CupsPrinterSystem::Printers() {
    Dests dests;
    std::vector<std::string> names;
    for (const cups_dest_t& dest : dests) {
        if (!dest.instance)
            names.emplace_back(dest.name);
    }
    return names;
}

std::string CupsPrinterSystem::DefaultPrinter() {
    Dests dests;
    for (const cups_dest_t& dest : dests) {
        if (dest.is_default)
            return dest.name;
    }
    return {};
}

std::optional<std::vector<PrinterOption>> CupsPrinterSystem::Options(const std::string& printer) {
    Dests dests;
    cups_dest_t* dest = dests.get(printer.c_str());
    if (!dest)
        return std::nullopt;
    std::unique_ptr<cups_dinfo_t, decltype(&cupsFreeDestInfo)> info(
        cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest), &cupsFreeDestInfo);
    if (!info)
        return std::nullopt;
    std::vector<PrinterOption> options;
    ipp_attribute_t* creatable =
        cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info.get(), "job-creation-attributes");
    for (int i = 0; i < ippGetCount(creatable); ++i) {
        const char* keyword = ippGetString(creatable, i, nullptr);
        if (!keyword || !isPrinterSetting(keyword))
            continue;
        if (auto option = optionOf(dest, info.get(), keyword))
            options.push_back(std::move(*option));
    }
    std::stable_sort(options.begin(), options.end(), [](const auto& a, const auto& b) {
        return displayRank(a.keyword) < displayRank(b.keyword);
    });
    return options;
}

bool CupsPrinterSystem::SaveOptions(const std::string& printer, const OptionChanges& changes) {
    // What lpoptions does: the destinations with the user's settings, the changed options added
    // to the printer's own entry, the whole set written back by cupsSetDests2, which keeps only
    // what differs from the server's defaults.
    Dests dests;
    cups_dest_t* dest = dests.get(printer.c_str());
    if (!dest) {
        *dests.countRef() = cupsAddDest(printer.c_str(), nullptr, dests.count(), dests.destsRef());
        dest = dests.get(printer.c_str());
        if (!dest)
            return false;
    }
    for (const auto& [keyword, value] : changes)
        dest->num_options =
            cupsAddOption(keyword.c_str(), value.c_str(), dest->num_options, &dest->options);
    return cupsSetDests2(CUPS_HTTP_DEFAULT, dests.count(), dests.begin()) == 0;
}

void CupsPrinterSystem::ShowProperties(std::int64_t ownerWindow, const std::string& printer) {
    auto options = Options(printer);
    if (!options)
        return;
    // The owner is a window of the calling program, normally a Qt widget of this very process;
    // a foreign window id is honoured as the dialog's transient parent.
    QWidget* parent = ownerWindow ? QWidget::find(static_cast<WId>(ownerWindow)) : nullptr;
    std::unique_ptr<QWindow> foreign;
    if (ownerWindow && !parent)
        foreign.reset(QWindow::fromWinId(static_cast<WId>(ownerWindow)));
    PropertiesDialog dialog(printer, std::move(*options), parent ? parent->window() : nullptr);
    if (foreign) {
        dialog.winId(); // creates the dialog's native window, which takes the transient parent
        if (dialog.windowHandle())
            dialog.windowHandle()->setTransientParent(foreign.get());
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    OptionChanges changes = dialog.Changes();
    if (!changes.empty() && !SaveOptions(printer, changes) && prompts_)
        prompts_->message(MsgIcon::Critical, "更新エラー", "プリンタの設定の保存に失敗しました。");
}

} // namespace printctl
