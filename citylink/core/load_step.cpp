#include "citylink/core/load_step.h"

#include "citylink/core/layout_settings.h"
#include "citylink/core/trapped_error.h"

namespace citylink {

bool RunLoadStep(const std::filesystem::path& layoutIni, LogSink& log, Prompts& prompts,
                 const std::function<std::string()>& caption, const std::function<void()>& setUp) {
    try {
        if (setUp)
            setUp();
        if (!Init札幌市帳票管理(layoutIni))
            log.WriteLog("Init札幌市帳票管理: 札幌市連携.INIに書き込めません。");
        return true;
    } catch (...) {
        const TrappedError error = TrappedError::current();
        log.WriteLog("Err:Form_Load:" + error.logText());
        prompts.message(MsgIcon::Critical, caption(), "エラーが発生しました。処理を中断します");
        return false;
    }
}

} // namespace citylink
