// Attaching the component to a window tree made by other code: the tree is
// adopted into the framework model (adopted.h) and a TFlexarium started on
// it, so that the rescale rules stay the component's own. This file keeps
// the model in step with the windows (children made or destroyed later),
// names controls by ID, class or the program's names, and takes everything
// back on Detach at a moment when no message of the window is in progress.
#include "flexarium/attach.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "attach/dialog_layout.h"
#include "flexarium/adopted.h"
#include "flexarium/winapi.h"

namespace flx {

using namespace win;

namespace {

// Marks a window that an attachment serves.
constexpr char16_t kAttachedProp[] = u"FlexariumAttached";

std::string hexHandle(HWND wnd) {
  char buffer[32];
  std::snprintf(
      buffer, sizeof buffer, "0x%llX",
      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(wnd)));
  return buffer;
}

// The control ID as the program reads it (GetDlgCtrlID: 32 bits, signed),
// whatever width the window keeps it in: a dialog template's 32-bit -1
// (IDC_STATIC) is kept as 0xFFFFFFFF.
long long programId(LONG_PTR id) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<unsigned long long>(id)));
}

// Whether a window's control ID is `wanted`. A standard dialog template
// keeps IDs in 16 bits, so that its -1 (IDC_STATIC) is 0xFFFF.
bool sameId(LONG_PTR have, long long wanted) {
  const long long id = programId(have);
  return id == wanted ||
         (wanted < 0 && wanted >= -0x8000 && id == (wanted & 0xFFFF));
}

// A control's name from its ID: Ctl1001, CtlM1 for -1.
std::string nameOfId(LONG_PTR raw) {
  const long long id = programId(raw);
  return id < 0 ? "CtlM" + std::to_string(-id) : "Ctl" + std::to_string(id);
}

// Cut at ";" as the component cuts its exclusion strings.
std::vector<std::string> pieces(const std::string& s) {
  std::vector<std::string> out;
  std::string rest = s;
  for (auto at = rest.find(';'); at != std::string::npos; at = rest.find(';')) {
    out.push_back(rest.substr(0, at));
    rest = rest.substr(at + 1);
  }
  if (!rest.empty()) out.push_back(rest);
  return out;
}

// A decimal control ID ("1001", "-1"); false for anything else.
bool parseId(const std::string& s, LONG_PTR& id) {
  std::size_t i = s.size() > 1 && s[0] == '-' ? 1 : 0;
  if (i == s.size() || s.size() - i > 18) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  id = static_cast<LONG_PTR>(s[0] == '-' ? -v : v);
  return true;
}

}  // namespace

struct Attachment::State : std::enable_shared_from_this<State> {
  HWND Wnd = nullptr;
  AttachOptions Options;
  // Declared first: the fonts outlive every control that shows one.
  TAdoptedFonts Fonts;
  std::unique_ptr<TAdoptedForm> Form;
  TFlexarium* Component = nullptr;
  // The procedure the component put on the window, when it put one.
  LONG_PTR EngineProc = 0;
  bool IsAttached = false;
  bool DetachPending = false;
  bool InCallback = false;
  // Windows their parent announced, adopted at the next message.
  bool CreatedPending = false;
  // Windows destroyed, their controls dropped at the next message.
  bool GonePending = false;
  // Per name of an ID, the suffix to try next in this round of adoption.
  std::unordered_map<std::string, int> NextSuffix;
  std::shared_ptr<State> KeepAlive;

  // ---- The tree

  std::vector<TAdoptedControl*> Controls() const {
    std::vector<TAdoptedControl*> out;
    if (!Form) return out;
    for (int i = 0; i < Form->ComponentCount(); ++i) {
      if (auto* c = dynamic_cast<TAdoptedControl*>(Form->Components(i))) {
        out.push_back(c);
      }
    }
    return out;
  }

  // The controls by window, for one walk of the tree.
  std::unordered_map<HWND, TAdoptedControl*> ByWindow() const {
    std::unordered_map<HWND, TAdoptedControl*> out;
    for (TAdoptedControl* c : Controls()) {
      if (c->Window() != nullptr) out.emplace(c->Window(), c);
    }
    return out;
  }

  // The first free name for a window with this ID. Within one round of
  // adoption the search goes on from the last name given for the ID: a
  // dialog's many IDC_STATIC windows (-1) would otherwise try every name
  // taken so far again for each new one.
  std::string UniqueName(LONG_PTR id) {
    const std::string base = nameOfId(id);
    if (Form->FindComponent(base) == nullptr) return base;
    int& n = NextSuffix.try_emplace(base, 2).first->second;
    std::string name = base + "_" + std::to_string(n);
    while (Form->FindComponent(name) != nullptr) {
      name = base + "_" + std::to_string(++n);
    }
    ++n;
    return name;
  }

  // Adopts the children of `parentWnd` not adopted yet (not in `known`),
  // and theirs; the number adopted.
  int AdoptChildren(HWND parentWnd, TWinControl* parent,
                    const std::unordered_map<HWND, TAdoptedControl*>& known) {
    int added = 0;
    // The DPI once for all the controls: a font asking the screen is a
    // round trip to the window server under Wine.
    const int ppi = Form->Font().PixelsPerInch();
    for (HWND child = GetWindow(parentWnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      const auto it = known.find(child);
      TAdoptedControl* c = it != known.end() ? it->second : nullptr;
      if (c == nullptr) {
        auto owned = std::make_unique<TAdoptedControl>(Form.get(), ppi);
        owned->SetName(UniqueName(GetWindowLongPtrW(child, GWLP_ID)));
        owned->Adopt(child, Fonts, ppi);
        c = owned.release();
        c->SetParent(parent);
        c->OnChildCreated = [this](HWND) { CreatedPending = true; };
        c->OnWindowGone = [this] { GonePending = true; };
        // Windows' own per-monitor re-layout of dialog controls would
        // fight the component's.
        SetDialogControlDpiChangeBehavior(
            child, DCDC_DISABLE_FONTUPDATE | DCDC_DISABLE_RELAYOUT,
            DCDC_DISABLE_FONTUPDATE | DCDC_DISABLE_RELAYOUT);
        ++added;
      }
      if (AdoptsChildrenOf(c->ClassName())) {
        added += AdoptChildren(child, c, known);
      }
    }
    return added;
  }

  // The component's exclusion string for one of ours: the names of the
  // controls it names by ID, program name or class.
  std::string ExcludedNames(const std::string& list) const {
    std::vector<std::string> names;
    for (const std::string& piece : pieces(list)) {
      if (piece.empty()) continue;
      LONG_PTR id = 0;
      bool byId = parseId(piece, id);
      if (!byId) {
        for (const auto& [name, value] : Options.ControlNames) {
          if (SameText(name, piece)) {
            id = value;
            byId = true;
            break;
          }
        }
      }
      for (TAdoptedControl* c : Controls()) {
        if (c->Gone()) continue;
        const bool match = byId ? sameId(c->ControlId(), id)
                                : SameText(Utf16ToUtf8(c->ClassName()), piece);
        if (match) names.push_back(c->Name());
      }
    }
    std::string out;
    for (const std::string& n : names) out += n + ";";
    return out;
  }

  void UpdateExclusions() {
    Component->SetNoResizeCtl(ExcludedNames(Options.NoResizeCtl));
    Component->SetNoResizeFntCtl(ExcludedNames(Options.NoResizeFntCtl));
  }

  // Drops the controls whose windows are gone, and their records.
  void Prune() {
    GonePending = false;
    std::vector<TAdoptedControl*> gone;
    for (TAdoptedControl* c : Controls()) {
      if (c->Gone()) gone.push_back(c);
    }
    if (gone.empty()) return;
    // Off their parents first, so that freeing one frees no other.
    for (TAdoptedControl* c : gone) c->SetParent(nullptr);
    for (TAdoptedControl* c : gone) delete c;
    Component->DynamicDelete();
  }

  void AdoptNew() {
    CreatedPending = false;
    NextSuffix.clear();
    if (AdoptChildren(Wnd, Form.get(), ByWindow()) == 0) return;
    UpdateExclusions();
    Component->DynamicAdd();
  }

  // ---- Messages of the window

  // The outermost message of the window begins: nothing of the component
  // is in progress, so the tree may change here.
  void Enter() {
    if (!IsAttached || DetachPending) return;
    if (CreatedPending) AdoptNew();
    if (GonePending) Prune();
  }

  void Idle() {
    if (!DetachPending) return;
    // The last owner may be this attachment itself.
    const std::shared_ptr<State> keep = std::move(KeepAlive);
    DoDetach();
  }

  void CallExitResize(double x, double y) {
    if (!Options.OnExitResize) return;
    InCallback = true;
    try {
      Options.OnExitResize(x, y);
    } catch (...) {
      InCallback = false;
      throw;
    }
    InCallback = false;
  }

  // ---- Start and end

  void Start(HWND wnd, const AttachOptions& options) {
    Wnd = wnd;
    Options = options;
    Form = std::make_unique<TAdoptedForm>(nullptr);
    Form->SetName("AttachedWindow");
    Form->Adopt(wnd);
    Component = new TFlexarium(Form.get());
    Component->SetName("Flexarium1");
    auto set = [](const char* option, int value, auto&& setter) {
      try {
        setter(value);
      } catch (const EInvalidOperation& e) {
        throw EInvalidOperation(std::string("Attach option ") + option + " " +
                                std::to_string(value) + ": " + e.what());
      }
    };
    TFlexarium& c = *Component;
    // In the order a form file gives them, so that what such a file would
    // accept is accepted; FormPos, which places the window at once, once
    // every value is known to be good.
    set("FormWidth", options.FormWidth, [&](int v) { c.SetFormWidth(v); });
    set("FormHeight", options.FormHeight, [&](int v) { c.SetFormHeight(v); });
    set("FormMaxWidth", options.FormMaxWidth,
        [&](int v) { c.SetFormMaxWidth(v); });
    set("FormMaxHeight", options.FormMaxHeight,
        [&](int v) { c.SetFormMaxHeight(v); });
    set("FormMinWidth", options.FormMinWidth,
        [&](int v) { c.SetFormMinWidth(v); });
    set("FormMinHeight", options.FormMinHeight,
        [&](int v) { c.SetFormMinHeight(v); });
    set("MinFontSize", options.MinFontSize,
        [&](int v) { c.SetMinFontSize(v); });
    c.SetResizeFont(options.ResizeFont);
    c.SetValidTaskbar(options.ValidTaskbar);
    c.SetResizeColumns(options.ResizeColumns);
    c.SetKeepAspect(options.KeepAspect);
    c.SetOnExitResize(TExitResizeEvent{
        [this](TObject*, double x, double y) { CallExitResize(x, y); }, ""});
    c.SetFormPos(options.FormPos);

    AdoptChildren(wnd, Form.get(), {});
    if (!options.DialogTemplate.empty()) {
      try {
        Form->SetDpiLayout(attach_detail::MakeDialogLayout(
            options.DialogTemplate, wnd, *Form));
      } catch (const Exception& e) {
        throw EInvalidOperation(std::string("Attach option DialogTemplate: ") +
                                e.what());
      }
      // The caller's bytes are read: no reference to them is kept.
      Options.DialogTemplate = {};
    }
    SetDialogDpiChangeBehavior(wnd, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
    UpdateExclusions();
    const LONG_PTR before = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
    c.Start();
    const LONG_PTR after = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
    EngineProc = after != before ? after : 0;
    Form->OnChildCreated = [this](HWND) { CreatedPending = true; };
    Form->OnWindowDestroy = [this] { DetachPending = true; };
    Form->OnEnter = [this] { Enter(); };
    Form->OnIdle = [this] { Idle(); };
    Form->Subclass();
    SetPropW(wnd, kAttachedProp, reinterpret_cast<HANDLE>(this));
    IsAttached = true;
  }

  void RequestDetach() {
    if (!IsAttached) return;
    if ((Form && Form->MessageDepth() > 0) || InCallback) {
      DetachPending = true;
      KeepAlive = shared_from_this();
      return;
    }
    DoDetach();
  }

  // Takes everything back, in an order that keeps every window working:
  // fonts and procedures first, then the component, then the model.
  void DoDetach() {
    IsAttached = false;
    DetachPending = false;
    std::unique_ptr<TAdoptedForm> form = std::move(Form);
    if (!form) return;
    form->OnEnter = nullptr;
    form->OnIdle = nullptr;
    for (TAdoptedControl* c : ControlsOf(*form)) c->Release();
    form->Unsubclass();
    const bool alive = hasWindowSystem() && IsWindow(Wnd);
    if (alive) RemovePropW(Wnd, kAttachedProp);
    // The component takes its procedure off only while it is in front; one
    // installed over it keeps it, as a pass-through.
    if (Component != nullptr && alive && EngineProc != 0 &&
        GetWindowLongPtrW(Wnd, GWLP_WNDPROC) == EngineProc) {
      Component->SetEnabled(false);
    }
    delete Component;
    Component = nullptr;
    form.reset();
  }

  static std::vector<TAdoptedControl*> ControlsOf(TAdoptedForm& form) {
    std::vector<TAdoptedControl*> out;
    for (int i = 0; i < form.ComponentCount(); ++i) {
      if (auto* c = dynamic_cast<TAdoptedControl*>(form.Components(i))) {
        out.push_back(c);
      }
    }
    return out;
  }
};

// ---- Attachment

Attachment::Attachment(std::shared_ptr<State> state)
    : FState(std::move(state)) {}

Attachment::~Attachment() {
  try {
    Detach();
  } catch (const std::exception& e) {
    HandleException(e);
  }
}

void Attachment::Detach() { FState->RequestDetach(); }

void Attachment::Refresh() {
  State& s = *FState;
  if (!s.IsAttached || s.DetachPending) return;
  s.AdoptNew();
  // Freeing controls waits while a message of the window is in progress:
  // a pass may be working through them.
  if (s.Form->MessageDepth() == 0 && !s.InCallback) s.Prune();
}

bool Attachment::Attached() const { return FState->IsAttached; }
win::HWND Attachment::Window() const { return FState->Wnd; }
TFlexarium* Attachment::Component() const {
  return FState->IsAttached ? FState->Component : nullptr;
}

std::unique_ptr<Attachment> Attach(win::HWND wnd,
                                   const AttachOptions& options) {
  if (!hasWindowSystem()) {
    throw EInvalidOperation("Attach: no window system is installed");
  }
  // The component would never start: an attachment that does nothing is
  // refused rather than returned.
  if (!FlexariumInitialized()) {
    throw EInvalidOperation(
        "Attach: FlexariumInitialization has not been called");
  }
  if (wnd == nullptr || !IsWindow(wnd)) {
    throw EInvalidOperation("Attach: " + hexHandle(wnd) + " is not a window");
  }
  if (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) {
    throw EInvalidOperation("Attach: window " + hexHandle(wnd) +
                            " is a child window; attach to its top-level "
                            "window");
  }
  if (GetPropW(wnd, kAttachedProp) != nullptr) {
    throw EInvalidOperation("Attach: window " + hexHandle(wnd) +
                            " is attached already");
  }
  // The component an earlier attachment left behind a procedure installed
  // over it would serve the window a second time.
  if (TAdoptedForm::HoldsPassThrough(wnd)) {
    throw EInvalidOperation(
        "Attach: window " + hexHandle(wnd) +
        " still holds an earlier attachment's window procedure behind one "
        "installed over it later; it cannot be attached again");
  }
  auto state = std::make_shared<Attachment::State>();
  try {
    state->Start(wnd, options);
  } catch (...) {
    state->DoDetach();
    throw;
  }
  return std::unique_ptr<Attachment>(new Attachment(std::move(state)));
}

}  // namespace flx
