// The snapshot lists: one record per resized control with its base
// geometry and a private font copy, kept in step with controls created or
// destroyed at run time.
#include "unit/unit_private.h"

namespace flx {

namespace {

std::string childKey(const std::string& parent, const std::string& name) {
  std::string key = parent;
  key.push_back('\0');
  key += name;
  return key;
}

PCtrlInfo record(const TList& list, int i) {
  return static_cast<PCtrlInfo>(list.Items(i));
}

// Frees a record that a list owned (its font goes with it).
void dropRecord(void* p) { delete static_cast<PCtrlInfo>(p); }

}  // namespace

// ---- Exclusion lists

namespace {
// Cuts `value` at every ";" into `list`, keeping blanks and empty pieces.
void cutNames(const std::string& value, TStringList& list,
              std::unordered_set<std::string>& index) {
  list.Clear();
  index.clear();
  std::string rest = value;
  for (;;) {
    std::size_t semi = rest.find(';');
    if (semi == std::string::npos) break;
    list.Add(rest.substr(0, semi));
    rest = rest.substr(semi + 1);
  }
  if (!rest.empty()) list.Add(rest);
  for (int i = 0; i < list.Count(); ++i)
    index.insert(UpperCase(list.Strings(i)));
}
}  // namespace

void TFlexarium::Impl::SetNoResizeCtls() {
  if (!FNoResizeCtls) return;
  if (!FIndex) FIndex = std::make_unique<Index>();
  cutNames(FNoResizeCtl, *FNoResizeCtls, FIndex->noResize);
}

void TFlexarium::Impl::SetNoResizeFntCtls() {
  if (!FNoResizeFntCtls) return;
  if (!FIndex) FIndex = std::make_unique<Index>();
  cutNames(FNoResizeFntCtl, *FNoResizeFntCtls, FIndex->noResizeFont);
}

void TFlexarium::Impl::SetNoResizeCtl(const std::string& Value) {
  if (Value != FNoResizeCtl) FNoResizeCtl = Value;
  if (!ComponentState().Contains(csDesigning)) SetNoResizeCtls();
}

void TFlexarium::Impl::SetNoResizeFntCtl(const std::string& Value) {
  if (Value != FNoResizeFntCtl) FNoResizeFntCtl = Value;
  if (!ComponentState().Contains(csDesigning)) SetNoResizeFntCtls();
}

bool TFlexarium::Impl::Excluded(const std::string& Name) const {
  return FIndex != nullptr && !FIndex->noResize.empty() &&
         FIndex->noResize.count(UpperCase(Name)) != 0;
}

bool TFlexarium::Impl::FontExcluded(const std::string& Name) const {
  return FIndex != nullptr && !FIndex->noResizeFont.empty() &&
         FIndex->noResizeFont.count(UpperCase(Name)) != 0;
}

// ---- Record look-up

void TFlexarium::Impl::IndexCtrls() {
  if (!FIndex) FIndex = std::make_unique<Index>();
  Index& ix = *FIndex;
  ix.ctrls.clear();
  ix.childCtrls.clear();
  ix.byControl.clear();
  if (FCtrls) {
    for (int i = 0; i < FCtrls->Count(); ++i) {
      if (PCtrlInfo r = record(*FCtrls, i)) ix.ctrls.emplace(r->Name, r);
    }
  }
  if (FChildCtrls) {
    for (int i = 0; i < FChildCtrls->Count(); ++i) {
      if (PCtrlInfo r = record(*FChildCtrls, i)) {
        ix.childCtrls.emplace(childKey(r->ParentName, r->Name), r);
      }
    }
  }
  ix.dirty = false;
}

PCtrlInfo TFlexarium::Impl::FindCtrl(const std::string& Name) const {
  if (!FIndex || !FCtrls) return nullptr;
  if (FIndex->dirty) const_cast<Impl*>(this)->IndexCtrls();
  auto it = FIndex->ctrls.find(Name);
  return it == FIndex->ctrls.end() ? nullptr : it->second;
}

PCtrlInfo TFlexarium::Impl::FindChildCtrl(const std::string& ParentName,
                                          const std::string& Name) const {
  if (!FIndex || !FChildCtrls) return nullptr;
  if (FIndex->dirty) const_cast<Impl*>(this)->IndexCtrls();
  auto it = FIndex->childCtrls.find(childKey(ParentName, Name));
  return it == FIndex->childCtrls.end() ? nullptr : it->second;
}

PCtrlInfo TFlexarium::Impl::FindCtrlOf(const TComponent* Control) {
  if (!FIndex || !FCtrls) return nullptr;
  if (FIndex->dirty) IndexCtrls();
  auto it = FIndex->byControl.find(Control);
  // Still the first record of that name? Names can change.
  if (it != FIndex->byControl.end() && it->second->Name == Control->Name()) {
    return it->second;
  }
  PCtrlInfo r = FindCtrl(Control->Name());
  if (r != nullptr) FIndex->byControl[Control] = r;
  return r;
}

PCtrlInfo TFlexarium::Impl::RecordOf(const TControl* Control) {
  const TComponent* owner = Control->Owner();
  if (owner == Owner()) return FindCtrlOf(Control);
  if (owner != nullptr && unit::isFrame(owner)) {
    return FindChildCtrl(owner->Name(), Control->Name());
  }
  return nullptr;
}

void TFlexarium::Impl::AppendRecord(PCtrlInfo R) {
  TList& list = R->ParentName.empty() ? *FCtrls : *FChildCtrls;
  list.Add(R);
  if (FIndex && !FIndex->dirty) {
    if (R->ParentName.empty()) {
      FIndex->ctrls.emplace(R->Name, R);
    } else {
      FIndex->childCtrls.emplace(childKey(R->ParentName, R->Name), R);
    }
  }
}

void TFlexarium::Impl::ClearCtrls() {
  for (TList* list : {FCtrls.get(), FChildCtrls.get()}) {
    if (list == nullptr) continue;
    for (int i = 0; i < list->Count(); ++i) dropRecord(list->Items(i));
    list->Clear();
  }
  if (FIndex) FIndex->dirty = true;
}

// ---- Making records

void TFlexarium::Impl::GetFontSetting(std::unique_ptr<TFont>& Font,
                                      TComponent* Component) {
  auto* control = dynamic_cast<TControl*>(Component);
  if (control != nullptr && GetPropInfo(*Component, "Font") != nullptr) {
    // For the control's DPI, so that the copy keeps its height exactly.
    Font = std::make_unique<TFont>(control->Font().PixelsPerInch());
    Font->Assign(control->Font());
  } else {
    Font.reset();
  }
}

void TFlexarium::Impl::AddCtrlInfo(TComponent* Control,
                                   const std::string& ParentName,
                                   int ChildCtlCnt) {
  auto* ctl = dynamic_cast<TControl*>(Control);
  FLX_ASSERT(ctl != nullptr);
  ++FAddCnt;
  if (Trim(Control->Name()).empty()) unit::GiveGeneratedName(*ctl, FAddCnt);
  unit::ClearGeneratedCaption(*ctl);
  auto R = std::make_unique<TCtrlInfo>();
  R->Name = Control->Name();
  // Current (already scaled) values back to base values. With a factor of
  // 0 nothing can be divided out: the current value is taken as the base.
  auto base = [](int value, double factor) {
    return factor != 0 ? unit::HalfUpQuotient(value, factor) : value;
  };
  R->Left = base(ctl->Left(), FPrevScaleX);
  R->Width = base(ctl->Width(), FPrevScaleX);
  R->Top = base(ctl->Top(), FPrevScaleY);
  R->Height = base(ctl->Height(), FPrevScaleY);
  R->OldLeft = ctl->Left();
  R->OldTop = ctl->Top();
  R->OldWidth = ctl->Width();
  R->OldHeight = ctl->Height();
  // A change of DPI converts this base from the DPI it was taken at.
  R->DesignLeft = R->Left;
  R->DesignTop = R->Top;
  R->DesignWidth = R->Width;
  R->DesignHeight = R->Height;
  R->BoundsDpiW = FRunDpiW;
  R->BoundsDpiH = FRunDpiH;
  GetFontSetting(R->Font, Control);
  R->ParentFont = true;
  R->OrgParentFont = true;
  if (R->Font) {
    R->ParentFont = R->OrgParentFont = ctl->ParentFont();
    if (FPrevScaleF != 0) {
      R->Font->SetSize(base(ctl->Font().Size(), FPrevScaleF));
    }
    R->OldFontSize = ctl->Font().Size();
  }
  TakeColumnBases(ctl, R.get(), FPrevScaleX, FPrevScaleY);
  R->ParentName = ParentName;
  R->ChildCtlCnt = ChildCtlCnt;
  AppendRecord(R.release());
}

void TFlexarium::Impl::AddNewCtrls(int CompCount, int ChildSum) {
  TComponent* owner = Owner();
  if (owner == nullptr || !FCtrls) return;
  if (CompCount == 0) CompCount = owner->ComponentCount();
  if (ChildSum == 0) ChildSum = unit::OwnedSum(*owner, CompCount);
  ForEachRecordedControl(CompCount, [&](TControl* C, TComponent* frame) {
    if (frame != nullptr) {
      if (FindChildCtrl(frame->Name(), C->Name()) == nullptr) {
        AddCtrlInfo(C, frame->Name(), 0);
      }
      return true;
    }
    // A recorded frame is skipped whole.
    if (FindCtrl(C->Name()) != nullptr) return false;
    AddCtrlInfo(C, "", unit::isFrame(C) ? C->ComponentCount() : 0);
    return true;
  });
  FCtlCnt = CompCount;
  FChildCtlCnt = ChildSum;
}

void TFlexarium::Impl::DeleteGoneCtrls(int CompCount, int ChildSum) {
  TComponent* owner = Owner();
  if (owner == nullptr || !FCtrls) return;
  if (CompCount == 0) CompCount = owner->ComponentCount();
  if (ChildSum == 0) ChildSum = unit::OwnedSum(*owner, CompCount);
  // The owner's controls by name, first one per name, as the scan finds it.
  std::unordered_map<std::string, TComponent*> controls;
  for (int i = 0; i < CompCount && i < owner->ComponentCount(); ++i) {
    TComponent* c = owner->Components(i);
    if (dynamic_cast<TControl*>(c) != nullptr) controls.emplace(c->Name(), c);
  }
  const int count = FCtrls->Count();
  for (int k = 0; k < count; ++k) {
    PCtrlInfo R = record(*FCtrls, k);
    if (R == nullptr) continue;
    auto found = controls.find(R->Name);
    if (found == controls.end()) {
      if (R->ChildCtlCnt > 0) {
        for (int s = 0; s < FChildCtrls->Count(); ++s) {
          PCtrlInfo S = record(*FChildCtrls, s);
          if (S != nullptr && S->ParentName == R->Name) {
            FChildCtrls->SetItem(s, nullptr);
            dropRecord(S);
          }
        }
      }
      FCtrls->SetItem(k, nullptr);
      dropRecord(R);
      continue;
    }
    TComponent* C = found->second;
    if (C->ComponentCount() == 0 || !unit::isFrame(C)) continue;
    std::unordered_set<std::string> owned;
    for (int j = 0; j < C->ComponentCount(); ++j) {
      owned.insert(C->Components(j)->Name());
    }
    for (int s = 0; s < FChildCtrls->Count(); ++s) {
      PCtrlInfo S = record(*FChildCtrls, s);
      if (S == nullptr || S->ParentName != C->Name()) continue;
      if (owned.count(S->Name) == 0) {
        FChildCtrls->SetItem(s, nullptr);
        dropRecord(S);
        if (R->ChildCtlCnt > 0) --R->ChildCtlCnt;
      }
    }
  }
  FCtrls->Pack();
  FChildCtrls->Pack();
  if (FIndex) FIndex->dirty = true;
  FCtlCnt = CompCount;
  FChildCtlCnt = ChildSum;
}

void TFlexarium::Impl::DynamicAdd() {
  // At design time there are no lists to keep.
  if (ComponentState().Contains(csDesigning)) return;
  AddNewCtrls(0, 0);
}

void TFlexarium::Impl::DynamicDelete() {
  if (ComponentState().Contains(csDesigning)) return;
  DeleteGoneCtrls(0, 0);
}

void TFlexarium::Impl::SyncCtrlList() {
  TComponent* owner = Owner();
  if (owner == nullptr) return;
  int N = owner->ComponentCount();
  if (N == FCtlCnt) return;
  int S = unit::OwnedSum(*owner, N);
  if (S == FChildCtlCnt) return;
  if (FCtlCnt + FChildCtlCnt < N + S) {
    AddNewCtrls(N, S);
  } else {
    DeleteGoneCtrls(N, S);
  }
}

}  // namespace flx
