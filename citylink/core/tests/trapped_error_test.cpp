// Every trap logs the same number for the same kind of failure, in the same form.
#include "citylink/core/trapped_error.h"
#include "citylink/sheets/automation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>

using citylink::TrappedError;

namespace {

TrappedError trap(const std::function<void()>& fail, long fallback = errnum::InvalidCall) {
    try {
        fail();
    } catch (...) {
        return TrappedError::current(fallback);
    }
    return {};
}

TEST(TrappedError, MapsEachKindOfFailureToOneNumber) {
    EXPECT_EQ(trap([] {
                  throw sheets::AutomationError("開けません", errnum::ApplicationDefined);
              }).logText(),
              "開けません(1004)");
    EXPECT_EQ(trap([] { throw NumberedError("型が一致しません。", errnum::TypeMismatch); }).number,
              13);
    TrappedError memory = trap([] { throw std::bad_alloc(); });
    EXPECT_EQ(memory.logText(), "メモリが不足しています。(7)");
    EXPECT_EQ(trap([] {
                  throw std::filesystem::filesystem_error(
                      "x", std::make_error_code(std::errc::io_error));
              }).number,
              errnum::PathAccess);
    EXPECT_EQ(trap([] { throw std::runtime_error("壊れています"); }, errnum::ApplicationDefined)
                  .logText(),
              "壊れています(1004)");
    EXPECT_EQ(trap([] { throw 42; }).logText(), "予期しないエラー(5)");
}

TEST(TrappedError, TheSpreadsheetLayerKeepsItsBlankBeforeTheNumber) {
    EXPECT_EQ(automationErrorLogText("ExcelFileOpen", "この形式は開けません", 1004),
              "ExcelFileOpen: この形式は開けません( 1004)");
    EXPECT_STREQ(errnum::describe(999999), "予期しないエラー");
}

} // namespace
