#pragma once
// What a converter did with one file. The numbers are those the migration run, its log and the
// command line have always used.
namespace gridmover {

enum ConvertResult : int {
    kChanged = 1,
    kUnchanged = 0,
    kFailed = -1,
    kReadOnly = -2,       // the (designer, code or project) file is read-only
    kBinaryReadOnly = -3, // the designer file's binary companion is read-only
};

} // namespace gridmover
