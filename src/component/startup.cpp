// Start-up once the form file is read: the reference client size and DPI,
// the DPI scaling of fonts and bounds, the snapshot of every control, the
// monitor size and the form window procedure.
#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

void TFlexarium::Impl::Loaded() {
  if (ComponentState().Contains(csDesigning)) return;
  auto* form = dynamic_cast<TControl*>(Owner());
  TWinControl* window = OwnerForm();
  // A component that is not on a windowed form has nothing to serve.
  if (form == nullptr || window == nullptr || !FCtrls) return;

  FOwnerWidth = FDesignFrmW;
  FOwnerHeight = FDesignFrmH;
  if (TStyleManager::IsCustomStyleActive()) {
    FOwnerWidth = form->ClientWidth();
    FOwnerHeight = form->ClientHeight();
  }
  win::HDC dc = win::GetDC(nullptr);
  FRunDpiW = win::GetDeviceCaps(dc, win::LOGPIXELSX);
  FRunDpiH = win::GetDeviceCaps(dc, win::LOGPIXELSY);
  win::ReleaseDC(nullptr, dc);
  const int StoredDpiW = FDesignDpiW;
  const int StoredDpiH = FDesignDpiH;
  // Without stored design metrics (a form file written without them, or a
  // component made in code) the form keeps its layout at its first size:
  // the run-time DPI and the current client size stand in for them.
  if (FDesignDpiW <= 0) FDesignDpiW = FRunDpiW;
  if (FDesignDpiH <= 0) FDesignDpiH = FRunDpiH;
  if (FOwnerWidth <= 0) FOwnerWidth = form->ClientWidth();
  if (FOwnerHeight <= 0) FOwnerHeight = form->ClientHeight();

  FSelfPointer = Owner()->FieldAddress(Name());
  if (FSelfPointer == nullptr) return;
  if (InstanceList != nullptr) InstanceList->Add(FSelfPointer);
  FOwnerFormName = Owner()->Name();
  FOwnerHandle = window->Handle();
  // A per-monitor aware form starts at its window's own DPI.
  StartDpi(StoredDpiW, StoredDpiH);
  const double RatioX = unit::DpiRatio(FDesignDpiW, FRunDpiW);
  const double RatioY = unit::DpiRatio(FDesignDpiH, FRunDpiH);

  GetFontSetting(FOwnerFont, Owner());
  const auto scaled = &unit::DpiScaled;
  // Fonts start from what the form file gave, at the window's DPI: a size
  // in points read on a screen of another DPI is another height here.
  FDpi->DesignFont = unit::DesignFontOf(form->Font());
  unit::SetDesignFont(form->Font(), FDpi->DesignFont);
  form->Font().SetSize(scaled(form->Font().Size(), RatioX));
  if (FOwnerFont) FOwnerFont->SetSize(form->Font().Size());

  // A record for a control, with its own font DPI-scaled.
  auto makeRecord = [&](TControl* C, const std::string& parentName, int N) {
    // Records are found by name: an unnamed control (a form built in code)
    // gets a generated one, as a control added later does, or every unnamed
    // control would take the first one's bounds.
    if (Trim(C->Name()).empty()) {
      ++FAddCnt;
      unit::GiveGeneratedName(*C, FAddCnt);
      unit::ClearGeneratedCaption(*C);
    }
    auto R = std::make_unique<TCtrlInfo>();
    R->Name = C->Name();
    GetFontSetting(R->Font, C);
    R->ParentFont = true;
    R->OrgParentFont = true;
    R->DesignFont = unit::DesignFontOf(C->Font());
    R->FontFromDesign = true;
    if (R->Font) {
      R->ParentFont = R->OrgParentFont = C->ParentFont();
      if (!C->ParentFont()) {
        unit::SetDesignFont(C->Font(), R->DesignFont);
        C->Font().SetSize(scaled(C->Font().Size(), RatioX));
      }
      R->Font->SetSize(C->Font().Size());
      R->OldFontSize = C->Font().Size();
    }
    R->Left = R->DesignLeft = C->Left();
    R->Top = R->DesignTop = C->Top();
    R->Width = R->DesignWidth = C->Width();
    R->Height = R->DesignHeight = C->Height();
    R->ParentName = parentName;
    R->ChildCtlCnt = parentName.empty() ? N : 0;
    AppendRecord(R.release());
  };

  const int CompCount = Owner()->ComponentCount();
  ForEachRecordedControl(CompCount, [&](TControl* C, TComponent* frame) {
    if (frame != nullptr) {
      makeRecord(C, frame->Name(), 0);
    } else {
      makeRecord(C, "", unit::isFrame(C) ? C->ComponentCount() : 0);
    }
    return true;
  });
  const int ChildSum = unit::OwnedSum(*Owner(), CompCount);

  // A borderless or dialog-bordered form without a start size keeps its
  // controls' designed bounds, unless it is borderless and maximised.
  bool keepDesigned = false;
  if (auto* f = dynamic_cast<TCustomForm*>(Owner())) {
    TFormBorderStyle bs = f->BorderStyle();
    if ((bs == TFormBorderStyle::bsNone || bs == TFormBorderStyle::bsDialog) &&
        FFormWidth == 0 && FFormHeight == 0) {
      keepDesigned = true;
    }
    if (bs == TFormBorderStyle::bsNone &&
        f->WindowState() == TWindowState::wsMaximized) {
      keepDesigned = false;
    }
  }
  FDpi->KeepDesignedBounds = keepDesigned;
  const double ScaleX = keepDesigned ? 1.0 : RatioX;
  const double ScaleY = keepDesigned ? 1.0 : RatioY;
  auto place = [&](TControl* C, PCtrlInfo R) {
    C->SetLeft(scaled(R->Left, ScaleX));
    C->SetTop(scaled(R->Top, ScaleY));
    C->SetWidth(scaled(R->Width, ScaleX));
    C->SetHeight(scaled(R->Height, ScaleY));
    R->Left = R->OldLeft = C->Left();
    R->Top = R->OldTop = C->Top();
    R->Width = R->OldWidth = C->Width();
    R->Height = R->OldHeight = C->Height();
    // Columns and rows are DPI-scaled with the bounds, by the same rule.
    // Their bases are taken with ResizeColumns off too, so that switching
    // it on later scales them from their design sizes.
    DesignColumnBases(C, R, ScaleX, ScaleY);
    ColumnStep(C, R, 1.0, 1.0);
  };
  ForEachRecordedControl(CompCount, [&](TControl* C, TComponent* frame) {
    PCtrlInfo R = frame != nullptr ? FindChildCtrl(frame->Name(), C->Name())
                                   : FindCtrl(C->Name());
    if (R != nullptr) place(C, R);
    return R != nullptr;
  });
  FCtlCnt = CompCount;
  FChildCtlCnt = ChildSum;
  GetMonitorSize(FOwnerHandle, FMaxSize.x, FMaxSize.y);
  if (Win32MajorVersion() >= 5) InstallWndProc();
}

void TFlexarium::Impl::Start() {
  if (ComponentState().Contains(csDesigning) || Owner() == nullptr ||
      FSelfPointer != nullptr) {
    return;
  }
  // The form's published field for this component, as a form class has.
  if (Name().empty()) Self.SetName("Flexarium1");
  Owner()->DeclareField(Name());
  Self.Loaded();
}

}  // namespace flx
