// CP932 conversion on Linux: glibc's iconv. Its "CP932" table maps like Windows (0x5C is the
// backslash, 0x8160 is U+FF5E), which is why we use it rather than "SHIFT_JIS".
#include "foundation/cp932.h"

#include <cerrno>
#include <iconv.h>

namespace cp932 {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw Error(std::string("iconv cannot convert ") + from + " to " + to, 0);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string run(std::string_view in, const char* what) {
        std::string out;
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = 0;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (rc != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            throw Error(what, in.size() - srcLeft);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

} // namespace

std::string toUtf8(std::string_view cp932Bytes) {
    thread_local Converter conv("UTF-8", "CP932");
    return conv.run(cp932Bytes, "text is not valid CP932 (Shift_JIS)");
}

std::string fromUtf8(std::string_view utf8) {
    thread_local Converter conv("CP932", "UTF-8");
    return conv.run(utf8, "text has a character that CP932 (Shift_JIS) cannot hold");
}

} // namespace cp932
