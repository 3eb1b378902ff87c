#pragma once
// What libprintctl shows to its callers. The library is built with hidden visibility, so only the
// declarations marked PRINTCTL_EXPORT are part of its interface; everything else (the data-folder
// rule, CP932, the CUPS code) stays private to it and cannot clash with a caller's own copy.
#if defined(_WIN32)
#if defined(PRINTCTL_BUILDING)
#define PRINTCTL_EXPORT __declspec(dllexport)
#else
#define PRINTCTL_EXPORT __declspec(dllimport)
#endif
#else
#define PRINTCTL_EXPORT __attribute__((visibility("default")))
#endif
