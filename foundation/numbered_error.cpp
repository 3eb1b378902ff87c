#include "foundation/numbered_error.h"

namespace errnum {

const char* describe(long number) {
    switch (number) {
    case InvalidCall:
        return "プロシージャの呼び出し、または引数が不正です。";
    case OutOfMemory:
        return "メモリが不足しています。";
    case SubscriptOutOfRange:
        return "インデックスが有効範囲にありません。";
    case TypeMismatch:
        return "型が一致しません。";
    case FileNotFound:
        return "ファイルが見つかりません。";
    case InputPastEnd:
        return "ファイルにこれ以上データがありません。";
    case PathAccess:
        return "パス名が無効です。";
    case CannotCreateObject:
        return "ActiveX コンポーネントはオブジェクトを作成できません。";
    case ObjectGone:
        return "オブジェクトが利用できません。";
    case ApplicationDefined:
        return "アプリケーション定義またはオブジェクト定義のエラーです。";
    default:
        return "予期しないエラー";
    }
}

} // namespace errnum

std::string errorLogText(std::string_view description, long number) {
    std::string text(description);
    text += '(';
    text += std::to_string(number);
    text += ')';
    return text;
}

std::string automationErrorLogText(std::string_view procedure, std::string_view description,
                                   long number) {
    std::string text(procedure);
    text += ": ";
    text += description;
    text += "( ";
    text += std::to_string(number);
    text += ')';
    return text;
}
