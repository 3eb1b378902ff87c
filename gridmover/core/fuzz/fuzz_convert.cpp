// ReadLogicalLine, the source-kind check and the three text converters on arbitrary bytes. Besides
// crashes and sanitizer findings it checks what must hold for any input: the physical lines of a
// logical line are exactly what was read, a conversion between two rows of the same library leaves
// code untouched apart from the line ends, and a conversion to the same row reports no change that
// leaves the bytes as they were.
#include "gridmover/core/grid_version.h"
#include "gridmover/core/mod_convert.h"
#include "gridmover/core/source_kind.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

using namespace gridmover;

namespace {

std::string withCrLf(std::string_view text) {
    std::string out;
    LineReader r(text);
    while (!r.AtEnd()) {
        out += r.Next();
        out += "\r\n";
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool loaded = (LoadGridVersions(), true);
    (void)loaded;
    if (size < 1) {
        return 0;
    }
    const auto from = static_cast<std::int16_t>(1 + data[0] % 13);
    const auto to = static_cast<std::int16_t>((data[0] & 0x80) ? 13 : 12);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    modConvert conv;

    // Logical lines: their physical lines, rejoined, are the input's lines.
    {
        LineReader r(text);
        std::string line;
        std::string rejoined;
        while (!r.AtEnd()) {
            conv.ReadLogicalLine(r, line);
            if (conv.RawLines.empty()) {
                std::abort();
            }
            for (const auto& raw : conv.RawLines) {
                rejoined += raw;
                rejoined += "\r\n";
            }
        }
        if (rejoined != withCrLf(text)) {
            std::abort();
        }
    }

    // Whether the text reads as each kind of source: any bytes get an answer, and text that
    // holds a NUL byte never reads as source.
    for (SourceKind kind : {SourceKind::Project, SourceKind::Designer, SourceKind::ActiveX,
                            SourceKind::Module, SourceKind::Class}) {
        if (text.find('\0') != std::string_view::npos && SourceTextMismatch(kind, text).empty()) {
            std::abort();
        }
    }

    std::string out;
    conv.ConvertProjectText(text, out, from, to);

    out.clear();
    int r = conv.ConvertCodeText(text, out, 12, 12);
    if (r != 0 || out != withCrLf(text)) {
        std::abort();
    }
    out.clear();
    conv.ConvertCodeText(text, out, from, to);

    // The form converter with the input itself as the binary file.
    std::string binary(text);
    out.clear();
    conv.ResetDesignerLists();
    try {
        conv.ConvertFormText(text, out, from, to, [&](std::uint32_t offset) {
            return conv.PatchOleObjectBlobBytes(binary, offset, from, to, nullptr);
        });
    } catch (const std::invalid_argument&) {
        // An OleObjectBlob offset that is not hexadecimal: the converter's caller reports -1.
    }
    if (binary.size() != text.size()) {
        std::abort();
    }

    // Converting to the version the text already has reports a change only where bytes change
    // (letter case of a class or an Object line), and never patches a GUID.
    out.clear();
    conv.ResetDesignerLists();
    try {
        std::string same(text);
        int s = conv.ConvertFormText(text, out, to, to, [&](std::uint32_t offset) {
            int p = conv.PatchOleObjectBlobBytes(same, offset, to, to, nullptr);
            if (p == 1) {
                std::abort();
            }
            return p;
        });
        if (s == 1 && out == withCrLf(text)) {
            std::abort();
        }
        out.clear();
        if (conv.ConvertProjectText(text, out, to, to) == 1 && out == withCrLf(text)) {
            std::abort();
        }
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
