#include "citylink/core/vb_field_reader.h"

#include "foundation/blanks.h"

#include <algorithm>

namespace citylink {
namespace {

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

bool VbFieldReader::next(std::string& field) {
    std::string_view view;
    if (!next(view, field))
        return false;
    if (view.data() != field.data() || view.size() != field.size())
        field.assign(view);
    return true;
}

bool VbFieldReader::nextGeneral(std::string_view& field, std::string& scratch) {
    const std::size_t n = text_.size();
    // Blanks, and whole empty lines unless a comma has promised a field.
    for (;;) {
        while (pos_ < n && blanks::isBlank(text_[pos_]))
            ++pos_;
        if (afterComma_ || pos_ >= n || !isLineBreak(text_[pos_]))
            break;
        ++pos_;
    }
    if (pos_ >= n) {
        if (!afterComma_)
            return false;
        afterComma_ = false;
        field = {}; // "a," at the very end: the comma closes an empty last field
        return true;
    }

    auto delimiterFrom = [&](std::size_t from) {
        while (from < n && text_[from] != ',' && !isLineBreak(text_[from]))
            ++from;
        return from;
    };
    if (text_[pos_] == '"') {
        ++pos_;
        std::size_t close = text_.find('"', pos_);
        if (close == std::string_view::npos)
            close = n;
        field = text_.substr(pos_, close - pos_);
        pos_ = std::min(close + 1, n);
        // The usual case, a quote followed by its delimiter, stays a view into the text.
        bool copied = false;
        while (pos_ < n && text_[pos_] == '"') { // "" is one literal quote
            if (!copied) {
                scratch.assign(field);
                copied = true;
            }
            scratch.push_back('"');
            ++pos_;
            close = text_.find('"', pos_);
            if (close == std::string_view::npos)
                close = n;
            scratch.append(text_.substr(pos_, close - pos_));
            pos_ = std::min(close + 1, n);
        }
        // Anything between the closing quote and the delimiter belongs to the field.
        std::size_t stop = delimiterFrom(pos_);
        std::string_view tail = blanks::trim(text_.substr(pos_, stop - pos_));
        if (!tail.empty()) {
            if (!copied) {
                scratch.assign(field);
                copied = true;
            }
            scratch.append(tail);
        }
        if (copied)
            field = scratch;
        pos_ = stop;
    } else {
        std::size_t stop = delimiterFrom(pos_);
        field = blanks::trimRight(text_.substr(pos_, stop - pos_));
        pos_ = stop;
    }

    // Consume the delimiter.
    afterComma_ = false;
    if (pos_ < n) {
        if (text_[pos_] == ',') {
            afterComma_ = true;
            ++pos_;
        } else if (text_[pos_] == '\r') {
            ++pos_;
            if (pos_ < n && text_[pos_] == '\n')
                ++pos_;
        } else { // '\n'
            ++pos_;
        }
    }
    return true;
}

} // namespace citylink
