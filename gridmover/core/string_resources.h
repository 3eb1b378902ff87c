#pragma once
// The add-in's string table: captions and the run's messages, by the ids under which the add-in
// has always kept them (callers and tests name the ids, so a text is changed in one place).
#include <string>
#include <string_view>

namespace gridmover {

inline constexpr int kResToolWindowCaption = 10;
inline constexpr int kResButtonCaption = 200;
inline constexpr int kResProjectUnsaved = 1000;
inline constexpr int kResNothingToConvert = 1001;
inline constexpr int kResConverted = 1002;
inline constexpr int kResConversionError = 1003; // followed directly by the file's path
inline constexpr int kResReadOnlyFile = 1005;    // followed by CR LF and the file's path

// The add-in's title: the message boxes' title and the section of its per-user setting.
inline constexpr std::string_view kAddInTitle = "Lumatab Pro 8.0 Migration Utility";

// The text of a string resource; throws std::out_of_range for an id the table does not hold.
const std::string& LoadResString(int id);

// A message's text with its CR LF and lone CR line breaks as LF: message boxes take all three as
// a line break, Qt's labels and terminals only LF.
std::string WithLineFeeds(std::string_view text);

} // namespace gridmover
