// The chain of window procedures on a form: with several components, one
// freed, or a pass that fails, each message still reaches the form's own
// procedure exactly once.
#include <exception>
#include <string>
#include <vector>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;

// Counts the messages that reach the form's own procedure.
int gOwnCalls = 0;
win::WNDPROC gOwnNext = nullptr;
win::LRESULT FLX_CALLBACK CountingProc(win::HWND w, win::UINT m, win::WPARAM wp,
                                       win::LPARAM lp) {
  if (m == win::WM_SIZE) ++gOwnCalls;
  return win::CallWindowProcW(gOwnNext, w, m, wp, lp);
}

class ProcedureChain : public FlexTest {
 protected:
  // A form whose own procedure counts WM_SIZE, with `n` components.
  void build(int n) {
    form_ = new TForm(nullptr);
    form_->SetClientWidth(400);
    form_->SetClientHeight(300);
    root.reset(form_);
    auto* b = new TButton(form_);
    b->SetName("B");
    b->SetParent(form_);
    b->SetBounds(40, 30, 80, 20);
    gOwnCalls = 0;
    gOwnNext = reinterpret_cast<win::WNDPROC>(
        win::SetWindowLongPtrW(form_->Handle(), win::GWLP_WNDPROC,
                               reinterpret_cast<win::LONG_PTR>(&CountingProc)));
    for (int i = 0; i < n; ++i) {
      auto* f = new TFlexarium(form_);
      f->SetName("Flex" + std::to_string(i));
      f->Start();
    }
    form_->Show();
  }
  TForm* form_ = nullptr;
};

TEST_F(ProcedureChain, SeveralComponentsServeEachMessageOnce) {
  build(3);
  gOwnCalls = 0;
  client(800, 600);
  EXPECT_EQ(gOwnCalls, 1);
  EXPECT_EQ(ctl("B").Left(), 80);
  // The first one goes: the next one serves, without recursion.
  delete form_->FindComponent("Flex0");
  gOwnCalls = 0;
  client(400, 300);
  EXPECT_EQ(gOwnCalls, 1);
  EXPECT_EQ(ctl("B").Left(), 40);
}

TEST_F(ProcedureChain, AFreedComponentLeavesTheFormWorking) {
  build(1);
  delete form_->FindComponent("Flex0");
  gOwnCalls = 0;
  client(700, 500);
  EXPECT_EQ(gOwnCalls, 1);
  EXPECT_EQ(form_->ClientWidth(), 700);
  EXPECT_EQ(ctl("B").Left(), 40);  // nothing rescales any more
}

// A control whose bounds cannot be set.
class TBrokenButton : public TButton {
 public:
  using TButton::TButton;
  void SetBounds(int l, int t, int w, int h) override {
    if (Parent() != nullptr && Parent()->HandleAllocated() && w > 500) {
      throw EInvalidOperation("broken control");
    }
    TButton::SetBounds(l, t, w, h);
  }
};

TEST_F(ProcedureChain, AFailingPassReleasesTheLockAndStaysInside) {
  build(1);
  auto* broken = new TBrokenButton(form_);
  broken->SetName("Broken");
  broken->SetParent(form_);
  broken->SetBounds(10, 10, 300, 20);
  auto& f = *dynamic_cast<TFlexarium*>(form_->FindComponent("Flex0"));
  f.DynamicAdd();
  std::vector<std::string> errors;
  auto previous = SetExceptionHandler(
      [&](const std::exception& e) { errors.push_back(e.what()); });
  gOwnCalls = 0;
  EXPECT_NO_THROW(client(800, 600));
  SetExceptionHandler(previous);
  EXPECT_EQ(desktop->lockedWindow(), nullptr);
  EXPECT_EQ(gOwnCalls, 1);  // the message still reached the form
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.front(), "broken control");
  EXPECT_EQ(A::LastError(f), "broken control");
}

}  // namespace
}  // namespace flx
