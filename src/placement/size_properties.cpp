// The six outer-size properties: start size, maximum and minimum. Their write
// methods keep MinX <= X <= MaxX among the values that are set (non-zero)
// and refuse anything else with a Japanese or English message, as the font
// floor (font_floor.cpp) refuses a negative size.
#include "flexarium/flexarium.h"
#include "flexarium/sysutils.h"
#include "unit/unit_private.h"

namespace flx {

namespace {

enum TSizeMessage {
  smNegative,
  smBelowMinWidth,
  smAboveMaxWidth,
  smBelowMinHeight,
  smAboveMaxHeight,
  smMaxBelowWidth,
  smMaxBelowHeight,
  smMinAboveWidth,
  smMinAboveHeight,
};

struct TMessagePair {
  const char* Japanese;
  const char* English;
};

// Indexed by TSizeMessage.
constexpr TMessagePair SizeMessages[] = {
    {"0 以上の値を入れてください", "Set this value equal to or greater than 0"},
    {"FormMinWidth 以上の値を入れてください",
     "Set this value equal to or greater than the FormMinWidth"},
    {"FormMaxWidth 以下の値を入れてください",
     "Set this value equal to or less than the FormMaxWidth"},
    {"FormMinHeight 以上の値を入れてください",
     "Set this value equal to or greater than the FormMinHeight"},
    {"FormMaxHeight 以下の値を入れてください",
     "Set this value equal to or less than the FormMaxHeight"},
    {"FormWidth 以上の値を入れてください",
     "Set this value equal to or greater than the FormWidth"},
    {"FormHeight 以上の値を入れてください",
     "Set this value equal to or greater than the FormHeight"},
    {"FormWidth 以下の値を入れてください",
     "Set this value equal to or less than the FormWidth"},
    {"FormHeight 以下の値を入れてください",
     "Set this value equal to or less than the FormHeight"},
};
static_assert(sizeof(SizeMessages) / sizeof(SizeMessages[0]) ==
              smMinAboveHeight + 1);

[[noreturn]] void Refuse(TSizeMessage Message) {
  const TMessagePair& Pair = SizeMessages[Message];
  throw EInvalidOperation(JapaneseUI ? Pair.Japanese : Pair.English);
}

}  // namespace

namespace unit {

void RequireNotNegative(int Value) {
  JapaneseUI = TFlexarium::CheckJapan();
  if (Value < 0) Refuse(smNegative);
}

}  // namespace unit

namespace {

// One comparison with a partner property; a partner of 0 is not set and
// takes part in none.
struct TLimit {
  int Partner;
  bool PartnerIsUpper;  // refuse above the partner, else below it
  TSizeMessage Message;

  void Check(int Value) const {
    if (Partner == 0) return;
    if (PartnerIsUpper ? Value > Partner : Value < Partner) Refuse(Message);
  }
};

constexpr bool Lower = false;
constexpr bool Upper = true;

// The language is looked up on every write, as the designer never runs the
// run-time constructor that would otherwise have done it.
void WriteSize(int& Field, int Value, const TLimit& First,
               const TLimit& Second) {
  unit::RequireNotNegative(Value);
  if (Value == 0) {
    Field = 0;
    return;
  }
  First.Check(Value);
  Second.Check(Value);
  Field = Value;
}

}  // namespace

void TFlexarium::Impl::SetFormWidth(int Value) {
  WriteSize(FFormWidth, Value, {FFormMinWidth, Lower, smBelowMinWidth},
            {FFormMaxWidth, Upper, smAboveMaxWidth});
}

void TFlexarium::Impl::SetFormHeight(int Value) {
  WriteSize(FFormHeight, Value, {FFormMinHeight, Lower, smBelowMinHeight},
            {FFormMaxHeight, Upper, smAboveMaxHeight});
}

void TFlexarium::Impl::SetFormMaxWidth(int Value) {
  WriteSize(FFormMaxWidth, Value, {FFormMinWidth, Lower, smBelowMinWidth},
            {FFormWidth, Lower, smMaxBelowWidth});
}

void TFlexarium::Impl::SetFormMaxHeight(int Value) {
  WriteSize(FFormMaxHeight, Value, {FFormMinHeight, Lower, smBelowMinHeight},
            {FFormHeight, Lower, smMaxBelowHeight});
}

void TFlexarium::Impl::SetFormMinWidth(int Value) {
  WriteSize(FFormMinWidth, Value, {FFormMaxWidth, Upper, smAboveMaxWidth},
            {FFormWidth, Upper, smMinAboveWidth});
}

void TFlexarium::Impl::SetFormMinHeight(int Value) {
  WriteSize(FFormMinHeight, Value, {FFormMaxHeight, Upper, smAboveMaxHeight},
            {FFormHeight, Upper, smMinAboveHeight});
}

}  // namespace flx
