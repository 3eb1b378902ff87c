// Fuzzes the settings file's reader on arbitrary bytes.
// Checks: a read either fails with std::runtime_error or gives contents that, written again,
// read back the same (the names and margins a reader accepts are ones a writer can keep), unless
// the writer refuses them with a reason.
#include "printctl/settings_file.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

using namespace printctl::settings_file;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Contents contents;
    try {
        contents = Decode(bytes);
    } catch (const std::runtime_error&) {
        return 0;
    }
    Encoded encoded = Encode(contents);
    if (!encoded.problem.empty())
        return 0;
    Contents again = Decode(encoded.bytes);
    // Margins are written in 15 digits: what is read back is what was written, not always the
    // value read first; a second round trip must be exact.
    if (again.printer != contents.printer || Encode(again).bytes != encoded.bytes)
        std::abort();
    return 0;
}
