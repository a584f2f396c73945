// <windows.h> as every Windows file of Flexarium includes it: lean, and
// without the min and max macros that break std::min and std::max. Windows
// builds only; include it before any other Windows header.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
