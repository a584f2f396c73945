// Everything a program that uses the component needs, in one include: the
// run-time library, form text and form files, Windows resources as data,
// the window-system interface and its Win32-named operations, the desktops
// this build has (the simulated one everywhere, the native one on
// Windows), the framework model with every standard control class and the
// adoption of windows made by other code, TFlexarium, and Attach, which
// puts TFlexarium on such windows. The per-concern headers it includes stay
// usable one by one.
//
// Like winapi.h, this header must not be included together with
// <windows.h>: the Win32 constants here are macros there.
#pragma once

#include "flexarium/sysutils.h"

#include "flexarium/form_text.h"
#include "flexarium/resources.h"

#include "flexarium/win_types.h"
#include "flexarium/winapi.h"
#include "flexarium/window_system.h"

#include "flexarium/sim_desktop.h"
#if defined(_WIN32)
#include "flexarium/win32_desktop.h"
#endif

#include "flexarium/adopted.h"
#include "flexarium/classes.h"
#include "flexarium/column_sizes.h"
#include "flexarium/comctrls.h"
#include "flexarium/controls.h"
#include "flexarium/extctrls.h"
#include "flexarium/forms.h"
#include "flexarium/graphics.h"
#include "flexarium/grids.h"
#include "flexarium/stdctrls.h"

#include "flexarium/formfile.h"

#include "flexarium/flexarium.h"

#include "flexarium/attach.h"
