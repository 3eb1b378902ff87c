#pragma once
// The names the clerk knows the program by, shared by the window and the batch tool: the window's
// title, the caption on message boxes and the first log line, and the run button's caption, which
// the CSV step's success message names.
#include <string>
#include <string_view>

namespace citylink {

// The program's title: the window's caption before the version label, and the title of message
// boxes shown without one.
inline constexpr std::string_view kProgramTitle = "うぇぶきらの札幌市連携";

// The run button's caption (step 2).
inline constexpr std::string_view kRunButtonCaption = "②札幌市連携エクセル選択";

// "<title> Ver<project version>": the window's caption once loaded, the first line of every run's
// log and the title of the run's messages. The version comes from the build, never from a copy.
const std::string& programCaption();

} // namespace citylink
