#include "layout.h"

#include <cstdint>
#include <set>

#include "flexarium/flexarium.h"
#include "flexarium/stdctrls.h"

namespace flexarium_cli {

namespace {

bool publishes(const flx::TControl& control, const char* property) {
  return flx::GetPropInfo(control, property) != nullptr;
}

void walkControls(flx::TWinControl& parent, int depth,
                  std::vector<std::pair<flx::TControl*, int>>& out,
                  std::set<flx::TControl*>& seen) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    flx::TControl* c = parent.Controls(i);
    if (!seen.insert(c).second) continue;
    out.emplace_back(c, depth);
    if (auto* w = dynamic_cast<flx::TWinControl*>(c)) {
      walkControls(*w, depth + 1, out, seen);
    }
  }
}

void ownedInCreationOrder(flx::TComponent& owner,
                          std::vector<flx::TComponent*>& out) {
  for (int i = 0; i < owner.ComponentCount(); ++i) {
    out.push_back(owner.Components(i));
    ownedInCreationOrder(*owner.Components(i), out);
  }
}

}  // namespace

Look lookOf(const flx::TControl& control) {
  using namespace flx;
  auto is = [&](const TClassInfo& c) { return control.InheritsFrom(c); };
  if (is(TButton::StaticClass()) || is(TSpeedButton::StaticClass())) {
    return Look::Button;
  }
  if (is(TCheckBox::StaticClass())) return Look::Check;
  if (is(TRadioButton::StaticClass())) return Look::Radio;
  if (is(TMemo::StaticClass())) return Look::Memo;
  if (is(TEdit::StaticClass())) return Look::Edit;
  if (is(TComboBox::StaticClass())) return Look::Combo;
  if (is(TListBox::StaticClass()) || is(TListView::StaticClass()) ||
      is(TTreeView::StaticClass()) || is(TStringGrid::StaticClass())) {
    return Look::List;
  }
  if (is(TLabel::StaticClass())) return Look::Label;
  if (is(TGroupBox::StaticClass())) return Look::Group;
  if (is(TCustomFrame::StaticClass())) return Look::Frame;
  if (is(TPageControl::StaticClass()) || is(TTabSheet::StaticClass())) {
    return Look::Page;
  }
  if (is(TStatusBar::StaticClass()) || is(TToolBar::StaticClass()) ||
      is(THeaderControl::StaticClass()) || is(TProgressBar::StaticClass()) ||
      is(TTrackBar::StaticClass())) {
    return Look::Bar;
  }
  if (is(TImage::StaticClass()) || is(TShape::StaticClass()) ||
      is(TBevel::StaticClass()) || is(TPaintBox::StaticClass()) ||
      is(TSplitter::StaticClass())) {
    return Look::Picture;
  }
  if (is(TPanel::StaticClass()) || is(TScrollBox::StaticClass())) {
    return Look::Panel;
  }
  return Look::Generic;
}

int fontPixels(const flx::TFont& font) {
  // A negative height is the character height; a cell height includes the
  // internal leading, about a fifth of it.
  const std::int64_t height = font.Height();
  return flx::HeldInt(height < 0 ? -height : height * 4 / 5);
}

ControlLayout readControlLayout(flx::TControl& c, int depth) {
  ControlLayout l;
  l.name = c.Name();
  l.className = c.ClassName();
  l.owner = c.Owner() != nullptr ? c.Owner()->Name() : "";
  l.parent = c.Parent() != nullptr ? c.Parent()->Name() : "";
  if (publishes(c, "Caption") || publishes(c, "Text")) l.text = c.GetText();
  l.left = c.Left();
  l.top = c.Top();
  l.width = c.Width();
  l.height = c.Height();
  if (publishes(c, "Font")) {
    l.fontSize = c.Font().Size();
    l.parentFont = c.ParentFont();
  }
  const flx::TFont& font = c.Font();
  l.fontPixels = fontPixels(font);
  l.fontName = font.Name();
  l.bold = (font.Style() & flx::fsBold) != 0;
  l.italic = (font.Style() & flx::fsItalic) != 0;
  l.visible = c.Visible();
  l.depth = depth;
  l.look = lookOf(c);
  return l;
}

std::vector<std::pair<flx::TControl*, int>> controlsInReportOrder(
    flx::TWinControl& form) {
  std::vector<std::pair<flx::TControl*, int>> out;
  std::set<flx::TControl*> seen;
  walkControls(form, 0, out, seen);
  std::vector<flx::TComponent*> owned;
  ownedInCreationOrder(form, owned);
  for (flx::TComponent* c : owned) {
    auto* control = dynamic_cast<flx::TControl*>(c);
    if (control == nullptr || control->Parent() != nullptr ||
        !seen.insert(control).second) {
      continue;
    }
    out.emplace_back(control, 0);
    if (auto* w = dynamic_cast<flx::TWinControl*>(control)) {
      walkControls(*w, 1, out, seen);
    }
  }
  return out;
}

flx::TFlexarium* firstFlexarium(flx::TComponent& root) {
  for (int i = 0; i < root.ComponentCount(); ++i) {
    if (auto* f = dynamic_cast<flx::TFlexarium*>(root.Components(i))) {
      return f;
    }
  }
  return nullptr;
}

void watchRescalePasses(flx::TComponent& root,
                        std::function<void(const Factors&)> pass) {
  for (int i = 0; i < root.ComponentCount(); ++i) {
    auto* f = dynamic_cast<flx::TFlexarium*>(root.Components(i));
    if (f == nullptr) continue;
    // The handler name stays, so the component still reads as written.
    flx::TExitResizeEvent event;
    event.Name = f->OnExitResize().Name;
    event.Code = [pass](flx::TObject*, double x, double y) {
      pass(Factors{x, y});
    };
    f->SetOnExitResize(std::move(event));
  }
}

}  // namespace flexarium_cli
