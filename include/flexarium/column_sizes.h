// Column widths and row heights a control keeps apart from its bounds, as
// a rescale scales them: a list view's columns, a header control's
// sections, a grid's column widths and row heights. The form file's values
// stay as read (collections and lists keep every other entry); only the
// integer sizes are read and replaced.
#pragma once

#include <vector>

#include "flexarium/controls.h"

namespace flx {

// Whether the control has such sizes (list views, header controls, grids).
bool HasColumnSizes(const TControl& c);

// Widths: a list view's columns or a header's sections in order (a
// negative width is an automatic one; an item without a Width has 50); a
// grid's DefaultColWidth followed by its ColWidths entries. Heights: a
// grid's DefaultRowHeight followed by its RowHeights entries; none for
// others. A stored entry that is not an integer reads as the default.
std::vector<int> ColumnSizes(const TControl& c);
std::vector<int> RowSizes(const TControl& c);

// Sets the sizes (as many as both have) and shows them on the control's
// window: LVM_SETCOLUMNWIDTH, HDM_SETITEMW, a repaint of a grid. Stored
// entries that are not integers are left as they are.
void SetColumnSizes(TControl& c, const std::vector<int>& sizes);
void SetRowSizes(TControl& c, const std::vector<int>& sizes);

}  // namespace flx
