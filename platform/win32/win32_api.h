#pragma once

// The Windows API as the platform layer (and Windows-only tests) include it: without the rarely
// used parts, without the min and max macros that break std::min and std::max, and without the
// Yield() macro of 16-bit Windows, which expands to nothing and would erase every call of the
// window services' Yield() that follows it.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef Yield
