#include "gridmover/core/string_resources.h"

#include <map>
#include <stdexcept>

namespace gridmover {

const std::string& LoadResString(int id) {
    // The texts keep their half-width katakana and their single line feeds as stored.
    static const std::map<int, std::string> table{
        {kResToolWindowCaption, "Lumatab Pro 8.0J 移行ﾂｰﾙ"},
        {kResButtonCaption, "Lumatab Pro 8.0J 移行ﾂｰﾙ"},
        {kResProjectUnsaved,
         "ｶﾚﾝﾄﾌﾟﾛｼﾞｪｸﾄは保存されていません。\n保存してから、やり直してください。"},
        {kResNothingToConvert,
         "ﾌﾟﾛｼﾞｪｸﾄには変換するｸﾞﾘｯﾄﾞが含まれていません。\n何も変換されませんでした。"},
        {kResConverted, "ﾌﾟﾛｼﾞｪｸﾄは正常に変換されました。"},
        {kResConversionError, "ﾌｧｲﾙ変換中にｴﾗｰが発生しました。"},
        {kResReadOnlyFile, "次のﾌｧｲﾙは読み出し専用です。\n"},
    };
    auto at = table.find(id);
    if (at == table.end()) {
        throw std::out_of_range("no string resource " + std::to_string(id));
    }
    return at->second;
}

std::string WithLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace gridmover
