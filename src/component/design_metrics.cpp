// The design metrics: the client size and screen DPI the form was designed
// at, stored as the hidden properties DesignFrmW, DesignFrmH, DesignDpiW and
// DesignDpiH (written from the owner form and the screen as they are when
// the form is saved), set by a program that builds a form in code, and the
// owner's client size taken back to the design DPI.
#include <string>

#include "flexarium/flexarium.h"
#include "flexarium/forms.h"
#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

// ---- Streaming

void TFlexarium::Impl::DefineProperties(TFiler& Filer) {
  Filer.DefineProperty(
      "DesignFrmW", [this](TReader& r) { ReadDesignFrmW(r); },
      [this](TWriter& w) { WriteDesignFrmW(w); }, true);
  Filer.DefineProperty(
      "DesignFrmH", [this](TReader& r) { ReadDesignFrmH(r); },
      [this](TWriter& w) { WriteDesignFrmH(w); }, true);
  Filer.DefineProperty(
      "DesignDpiW", [this](TReader& r) { ReadDesignDpiW(r); },
      [this](TWriter& w) { WriteDesignDpiW(w); }, true);
  Filer.DefineProperty(
      "DesignDpiH", [this](TReader& r) { ReadDesignDpiH(r); },
      [this](TWriter& w) { WriteDesignDpiH(w); }, true);
}

namespace {
// The designer writes a client size and a screen DPI, never below 0; 0
// stands for a metric the file does not have. A negative one no form can
// mean: it is refused (the reader adds the place and the property).
int designMetric(TReader& reader, const char* what) {
  const int value = reader.ReadInteger();
  if (value < 0) {
    throw EConvertError(std::to_string(value) + " is no " + what +
                        " (0 or more expected)");
  }
  return value;
}
}  // namespace

void TFlexarium::Impl::ReadDesignFrmW(TReader& Reader) {
  FDesignFrmW = designMetric(Reader, "client width");
}
void TFlexarium::Impl::ReadDesignFrmH(TReader& Reader) {
  FDesignFrmH = designMetric(Reader, "client height");
}
void TFlexarium::Impl::ReadDesignDpiW(TReader& Reader) {
  FDesignDpiW = designMetric(Reader, "screen DPI");
}
void TFlexarium::Impl::ReadDesignDpiH(TReader& Reader) {
  FDesignDpiH = designMetric(Reader, "screen DPI");
}

namespace {
int ownerClient(TComponent* owner, bool width) {
  auto* control = dynamic_cast<TControl*>(owner);
  if (control == nullptr) return 0;
  return width ? control->ClientWidth() : control->ClientHeight();
}

int screenDpi(int index) {
  win::HDC dc = win::GetDC(nullptr);
  int dpi = win::GetDeviceCaps(dc, index);
  win::ReleaseDC(nullptr, dc);
  return dpi;
}
}  // namespace

void TFlexarium::Impl::WriteDesignFrmW(TWriter& Writer) {
  Writer.WriteInteger(ownerClient(Owner(), true));
}
void TFlexarium::Impl::WriteDesignFrmH(TWriter& Writer) {
  Writer.WriteInteger(ownerClient(Owner(), false));
}
void TFlexarium::Impl::WriteDesignDpiW(TWriter& Writer) {
  Writer.WriteInteger(screenDpi(win::LOGPIXELSX));
}
void TFlexarium::Impl::WriteDesignDpiH(TWriter& Writer) {
  Writer.WriteInteger(screenDpi(win::LOGPIXELSY));
}

// ---- Set in code, read back

void TFlexarium::Impl::SetDesignMetrics(int ClientWidth, int ClientHeight,
                                        int DpiW, int DpiH) {
  if (ClientWidth < 0 || ClientHeight < 0 || DpiW < 0 || DpiH < 0) {
    throw EInvalidOperation(
        "design metrics cannot be negative (client " +
        std::to_string(ClientWidth) + "x" + std::to_string(ClientHeight) +
        ", DPI " + std::to_string(DpiW) + "x" + std::to_string(DpiH) + ")");
  }
  FDesignFrmW = ClientWidth;
  FDesignFrmH = ClientHeight;
  FDesignDpiW = DpiW;
  FDesignDpiH = DpiH;
}

bool TFlexarium::Impl::UnscaledClientSize(int& Width, int& Height) const {
  if (FOwnerWidth <= 0 || FOwnerHeight <= 0 || FDesignDpiW <= 0 ||
      FDesignDpiH <= 0) {
    return false;
  }
  Width = unit::HalfUpProduct(FOwnerWidth,
                              unit::RatioNearest(FRunDpiW, FDesignDpiW));
  Height = unit::HalfUpProduct(FOwnerHeight,
                               unit::RatioNearest(FRunDpiH, FDesignDpiH));
  return true;
}

}  // namespace flx
