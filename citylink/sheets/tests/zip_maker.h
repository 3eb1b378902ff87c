#pragma once
// Writes zip packages the way a hostile file would be made: entries of any name (twice, if
// asked), deflated data streamed from a generator (hundreds of MB without holding them), and a
// declared size that may differ from the data. libzip itself refuses to write such packages.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testzip {

struct Entry {
    std::string name;
    // Called for the data until it returns an empty chunk.
    std::function<std::string_view()> next;
    // The uncompressed size the headers declare; the real one when not given.
    std::optional<std::uint64_t> declaredSize;
};

// An entry from bytes in memory.
Entry bytesEntry(std::string name, std::string data);
// An entry of `size` bytes: `head` followed by `fill` repeated (streamed, never held whole); it
// can be written once.
Entry repeatedEntry(std::string name, std::string head, std::string fill, std::uint64_t size);

// Writes the package (deflated entries; sizes under 4 GB). Throws std::runtime_error.
void write(const std::filesystem::path& file, const std::vector<Entry>& entries);

// The entries of an existing package (read with libzip), to build a hostile variant of it.
std::vector<Entry> entriesOf(const std::filesystem::path& file);

} // namespace testzip
