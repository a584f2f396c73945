// The component's properties as the options a dialog is attached with:
// `set Flexarium1.PROP = VALUE` before a scenario's attach line, and
// preview's and flexarium-demo's `--set PROP=VALUE`.
#pragma once

#include <string>

#include "flexarium/attach.h"
#include "flexarium/form_text.h"

namespace flexarium_cli {

// Sets the property `name` of `options` to `value`, given as a form file
// gives it (500, True, rpMiddleCenter, '1001;IDC_LOGO'). Throws
// flx::Exception for a name the options do not know (listing those they
// do) or a value of the wrong kind.
void setAttachOption(flx::AttachOptions& options, const std::string& name,
                     const flx::FormValue& value);

// "PROP=VALUE" as a command line gives it: the text properties take the
// text as it stands (NoResizeCtl=1001;IDC_LOGO), the others a form file's
// value. Throws flx::Exception as above, or for a missing "=".
void setAttachOption(flx::AttachOptions& options,
                     const std::string& assignment);

}  // namespace flexarium_cli
