#pragma once
// The printers of a CUPS server (the one libcups finds: CUPS_SERVER, client.conf, the local
// scheduler), with the user's lpoptions taken into account as every CUPS program does.
#include "printctl/printer_options.h"
#include "printctl/printer_system.h"

#include <memory>
#include <optional>

class Prompts;

namespace printctl {

class CupsPrinterSystem final : public PrinterSystem {
public:
    // prompts: where a failure to store the dialog's changes is reported.
    explicit CupsPrinterSystem(std::shared_ptr<Prompts> prompts);

    // The destinations in CUPS's order (by name, ignoring letter case), classes included; a
    // user's named instances ("printer/draft") are settings of their printer, not printers.
    std::vector<std::string> Printers() override;
    // The default destination: the user's lpoptions default (or LPDEST/PRINTER) first, then the
    // server's. A default instance counts as its printer.
    std::string DefaultPrinter() override;
    // Our own dialog over Options(); OK stores the changes with SaveOptions().
    void ShowProperties(std::int64_t ownerWindow, const std::string& printer) override;

    // The options CUPS reports as settable for the printer's jobs, the user's defaults chosen;
    // nullopt when CUPS does not know the printer.
    std::optional<std::vector<PrinterOption>> Options(const std::string& printer);
    // Stores the changes as the user's defaults for the printer, exactly as
    // "lpoptions -p PRINTER -o KEY=VALUE" does (~/.cups/lpoptions; for root the server's
    // lpoptions file). False when the file cannot be written.
    bool SaveOptions(const std::string& printer, const OptionChanges& changes);

private:
    std::shared_ptr<Prompts> prompts_;
};

} // namespace printctl
