// What the standard control classes share: their type information, built
// from what each publishes, and the painting of the controls the framework
// draws itself.
#pragma once

#include <string>

#include "flexarium/controls.h"
#include "flexarium/winapi.h"
#include "framework/rtti_util.h"

namespace flx::std_classes {

// Font, ParentFont, Caption and Text as the standard classes publish them.
TPropInfo FontPropInfo();
TPropInfo ParentFontPropInfo();
TPropInfo CaptionPropInfo();
TPropInfo TextPropInfo();

enum Publishes : unsigned { kFont = 1, kCaption = 2, kText = 4 };

// A class's information with the shared properties it publishes, then
// `own` (its other properties, in declaration order).
TClassInfo MakeInfo(const char* name, const TClassInfo& parent,
                    unsigned publishes, TComponentFactory factory,
                    std::vector<TPropInfo> own = {});

template <class T>
TComponentFactory FactoryOf() {
  return [](TComponent* owner) -> TComponent* { return new T(owner); };
}

// A TStrings published as "Name.Strings" through the sub-object Name.
template <class T>
TPropInfo StringsProp(std::string name, TStrings& (T::*get)()) {
  return rtti::ClassProp(std::move(name), TStrings::StaticClass(), get);
}

// ---- Painting

// "&&" stands for "&"; a single "&" only marks the accelerator.
std::string WithoutAccelerator(const std::string& text);
// The control's bounds in its parent's client area, where a parent draws a
// control without a window.
win::RECT BoundsOf(const TControl& c);
// The control's font colour; clWindowText and unknown colours give the
// system's window text colour.
win::COLORREF TextColorOf(const TControl& c);
// A solid rectangle.
void FillSolid(win::HDC dc, const win::RECT& rect, win::COLORREF color);
// A system colour as a solid rectangle.
void FillSys(win::HDC dc, const win::RECT& rect, int colorIndex);
// Text in the control's font and colour over what is there.
void DrawCaption(TControl& c, win::HDC dc, win::RECT rect, win::UINT format,
                 const std::string& text);
// The height of a line of text in `font` as the system measures it (cell
// height: the character height and its internal leading).
int LineHeight(const TFont& font);
// A dashed outline with "Name: TClass" in it: what a control of a class
// the library does not know shows.
void DrawPlaceholder(TControl& c, win::HDC dc, win::RECT rect);

}  // namespace flx::std_classes
