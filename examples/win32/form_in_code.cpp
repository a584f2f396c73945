// A form built in code with a few controls, rescaled by a TFlexarium dropped
// on it: drag the frame and the controls and their fonts follow.
#include "flexarium/flexarium.h"
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "flexarium/win32_windows.h"

#include "flexarium/win32_desktop.h"

namespace {

// Named as the form designer would name them (unnamed ones get a generated
// name from the component).
template <typename Control>
Control* add(flx::TWinControl& parent, const char* name, const char* text,
             int left, int top, int width, int height) {
  auto* c = new Control(&parent);  // the form owns and frees it
  c->SetName(name);
  c->SetParent(&parent);
  c->SetBounds(left, top, width, height);
  c->SetText(text);
  return c;
}

}  // namespace

int main() {
  flx::win32::ScopedDesktop desktop;
  flx::FlexariumInitialization();
  {
    flx::TForm form(nullptr);
    form.SetText("Flexarium: drag the frame");
    form.SetBounds(100, 100, 420, 260);
    form.Font().SetSize(9);
    add<flx::TLabel>(form, "lblName", "Name", 16, 20, 60, 16);
    add<flx::TEdit>(form, "edName", "Ada Lovelace", 90, 16, 300, 22);
    add<flx::TCheckBox>(form, "chkNews", "Send the newsletter", 90, 52, 200,
                        20);
    add<flx::TMemo>(form, "memNotes", "Notes", 16, 84, 374, 90);
    add<flx::TButton>(form, "btnOk", "OK", 234, 186, 75, 25);
    add<flx::TButton>(form, "btnCancel", "Cancel", 315, 186, 75, 25);

    // The design size is the client size at Start().
    auto* flex = new flx::TFlexarium(&form);
    flex->SetName("Flexarium1");
    flex->Start();

    form.Show();
    HWND wnd = reinterpret_cast<HWND>(form.Handle());
    MSG msg;
    while (::IsWindow(wnd) && ::IsWindowVisible(wnd) &&
           ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  flx::FlexariumFinalization();
  return 0;
}
