#include "zip_maker.h"

#include "foundation/utf8_path.h"

#include <zip.h>
#include <zlib.h>

#include <fstream>
#include <memory>
#include <stdexcept>

namespace testzip {

namespace {

void put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint64_t v) {
    put16(out, static_cast<unsigned>(v & 0xFFFF));
    put16(out, static_cast<unsigned>((v >> 16) & 0xFFFF));
}

// The fixed part of a local header (crc and sizes patched in once the data is written).
std::string localHeader(const std::string& name, unsigned long crc, std::uint64_t compressed,
                        std::uint64_t declared) {
    std::string h;
    put32(h, 0x04034b50);
    put16(h, 20);
    put16(h, 0x0800); // names in UTF-8
    put16(h, 8);      // deflate
    put16(h, 0);
    put16(h, 0x21); // 1980-01-01
    put32(h, crc);
    put32(h, compressed);
    put32(h, declared);
    put16(h, static_cast<unsigned>(name.size()));
    put16(h, 0);
    return h + name;
}

} // namespace

Entry bytesEntry(std::string name, std::string data) {
    auto held = std::make_shared<std::string>(std::move(data));
    auto done = std::make_shared<bool>(false);
    return {std::move(name),
            [held, done]() -> std::string_view {
                *done = !*done; // the whole data, then the end; again when written again
                if (!*done)
                    return {};
                return *held;
            },
            std::nullopt};
}

Entry repeatedEntry(std::string name, std::string head, std::string fill, std::uint64_t size) {
    // A chunk of whole repetitions about 1 MB long.
    std::string chunk;
    while (chunk.size() < (1u << 20))
        chunk += fill;
    struct State {
        std::string head, chunk;
        std::uint64_t left;
        bool headDone = false;
    };
    auto s = std::make_shared<State>(State{std::move(head), std::move(chunk), size});
    return {std::move(name),
            [s]() -> std::string_view {
                if (!s->headDone) {
                    s->headDone = true;
                    std::size_t n = std::min<std::uint64_t>(s->head.size(), s->left);
                    s->left -= n;
                    if (n > 0)
                        return std::string_view(s->head).substr(0, n);
                }
                std::size_t n = std::min<std::uint64_t>(s->chunk.size(), s->left);
                s->left -= n;
                return std::string_view(s->chunk).substr(0, n);
            },
            std::nullopt};
}

void write(const std::filesystem::path& file, const std::vector<Entry>& entries) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    std::string central;
    std::uint64_t offset = 0;
    for (const Entry& e : entries) {
        std::string header = localHeader(e.name, 0, 0, 0);
        out.write(header.data(), static_cast<std::streamsize>(header.size()));

        z_stream zs{};
        deflateInit2(&zs, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        unsigned long crc = crc32(0, nullptr, 0);
        std::uint64_t size = 0;
        std::uint64_t compressed = 0;
        std::string buffer(1 << 16, '\0');
        auto pump = [&](int flush) {
            do {
                zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
                zs.avail_out = static_cast<uInt>(buffer.size());
                deflate(&zs, flush);
                std::size_t n = buffer.size() - zs.avail_out;
                out.write(buffer.data(), static_cast<std::streamsize>(n));
                compressed += n;
            } while (zs.avail_out == 0);
        };
        for (std::string_view chunk = e.next(); !chunk.empty(); chunk = e.next()) {
            crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk.data()),
                        static_cast<uInt>(chunk.size()));
            size += chunk.size();
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
            zs.avail_in = static_cast<uInt>(chunk.size());
            pump(Z_NO_FLUSH);
        }
        pump(Z_FINISH);
        deflateEnd(&zs);

        std::uint64_t declared = e.declaredSize.value_or(size);
        std::string patched = localHeader(e.name, crc, compressed, declared);
        out.seekp(static_cast<std::streamoff>(offset));
        out.write(patched.data(), static_cast<std::streamsize>(patched.size()));
        out.seekp(0, std::ios::end);

        put32(central, 0x02014b50);
        put16(central, 20);
        central += patched.substr(4, 24); // version needed .. name length, as in the local header
        put16(central, 0);                // extra
        put16(central, 0);                // comment
        put16(central, 0);                // disk
        put16(central, 0);                // internal attributes
        put32(central, 0);                // external attributes
        put32(central, offset);
        central += e.name;
        offset += patched.size() + compressed;
    }
    std::string end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, static_cast<unsigned>(entries.size()));
    put16(end, static_cast<unsigned>(entries.size()));
    put32(end, central.size());
    put32(end, offset);
    put16(end, 0);
    out.write(central.data(), static_cast<std::streamsize>(central.size()));
    out.write(end.data(), static_cast<std::streamsize>(end.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

std::vector<Entry> entriesOf(const std::filesystem::path& file) {
    int error = 0;
    zip_t* z = zip_open(utf8::fromPath(file).c_str(), ZIP_RDONLY, &error); // libzip names are UTF-8
    if (!z)
        throw std::runtime_error("cannot open " + file.string());
    std::vector<Entry> out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        if (f) {
            zip_fread(f, data.data(), data.size());
            zip_fclose(f);
        }
        out.push_back(bytesEntry(st.name, std::move(data)));
    }
    zip_close(z);
    return out;
}

} // namespace testzip
