#pragma once
// <windows.h> without the macros that would rename the suite's own functions: windows.h maps
// ReplaceFile to ReplaceFileA, which would turn fileio::ReplaceFile into another function wherever
// both are seen. Code of this suite calls the Windows function by its W name.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef ReplaceFile
