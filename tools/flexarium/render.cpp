// The preview's pictures: one SVG per step and one HTML page of them.
//
// Sections:
//   Text       the controls' fonts and text measured as the window system
//              measures it
//   Svg        the small SVG writer
//   Controls   each control class drawn as Windows draws it
//   Pictures   the form's frame and a step's whole picture, file names
//   Html       the page of every step
#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "number.h"
#include "report.h"

namespace flexarium_cli {

namespace {

constexpr int kPad = 16;
constexpr int kFooter = 60;
constexpr const char* kUiFont = "'Segoe UI', Tahoma, 'DejaVu Sans', sans-serif";

// ---- Text

std::string fontFamily(const std::string& name) {
  std::string family;
  if (!name.empty()) {
    std::string clean;
    for (char c : name) {
      if (c != '\'' && c != '"') clean += c;
    }
    family = "'" + clean + "', ";
  }
  return xmlEscape(family + "Tahoma, 'DejaVu Sans', sans-serif");
}

// The drawn control's font selected into a screen DC, so that its texts
// are measured as the window system measures them: as wide and as high as
// on Windows. Without text metrics (a build without FreeType) nothing is
// measured and the pictures place text as they did before.
class ControlText {
 public:
  explicit ControlText(const ControlLayout& c) : control_(c) {
    if (c.fontName.empty() || c.fontPixels <= 0 ||
        !flx::win::hasWindowSystem()) {
      return;
    }
    flx::win::LOGFONTW lf{};
    lf.lfHeight = c.fontHeight ? *c.fontHeight : -c.fontPixels;
    lf.lfWeight = c.bold ? flx::win::FW_BOLD : flx::win::FW_NORMAL;
    lf.lfItalic = c.italic ? 1 : 0;
    const std::u16string face = flx::Utf8ToUtf16(c.fontName);
    std::copy_n(face.begin(), std::min<std::size_t>(face.size(), 31),
                lf.lfFaceName);
    dc_ = flx::win::GetDC(nullptr);
    font_ = flx::win::CreateFontIndirectW(&lf);
    previous_ = flx::win::SelectObject(dc_, font_);
    flx::win::TEXTMETRICW tm{};
    flx::win::SIZE zero{};
    ok_ = flx::win::GetTextMetricsW(dc_, &tm) != 0 &&
          flx::win::GetTextExtentPoint32W(dc_, u"0", &zero) != 0;
    if (ok_) {
      height_ = tm.tmHeight;
      ascent_ = tm.tmAscent;
      zeroWidth_ = zero.cx;
    }
  }
  ~ControlText() {
    if (dc_ == nullptr) return;
    flx::win::SelectObject(dc_, previous_);
    flx::win::DeleteObject(font_);
    flx::win::ReleaseDC(nullptr, dc_);
  }
  ControlText(const ControlText&) = delete;
  ControlText& operator=(const ControlText&) = delete;

  // Whether the font can be measured; nothing below is meaningful without.
  bool ok() const { return ok_; }
  // A line's height and its baseline below the line's top (tmHeight,
  // tmAscent), and the width of '0' (check boxes space their text by half
  // of it).
  int height() const { return height_; }
  int ascent() const { return ascent_; }
  int zeroWidth() const { return zeroWidth_; }
  // The drawn control's font in pixels, to tell its texts from others.
  int pixels() const { return control_.fontPixels; }

  // The width of one line; nullopt when it cannot be measured.
  std::optional<int> width(const std::string& text) const {
    if (!ok_ || text.empty()) return std::nullopt;
    flx::win::SIZE size{};
    if (!flx::win::GetTextExtentPoint32W(dc_, flx::Utf8ToUtf16(text), &size)) {
      return std::nullopt;
    }
    return size.cx;
  }

  // The lines DrawTextW draws: broken at line breaks and, with `wrap`,
  // between words where the next would pass `room` pixels (a word wider
  // than the room keeps a line of its own, as Windows does).
  std::vector<std::string> lines(const std::string& text, bool wrap,
                                 int room) const {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = text.find_first_of("\r\n", start);
      const std::string paragraph = text.substr(start, end - start);
      if (!wrap) {
        out.push_back(paragraph);
      } else {
        std::string line;
        std::size_t i = 0;
        bool first = true;
        do {
          const std::size_t space =
              std::min(paragraph.find(' ', i), paragraph.size());
          const std::string word = paragraph.substr(i, space - i);
          if (first) {
            line = word;
            first = false;
          } else if (width(line + " " + word).value_or(0) > room) {
            out.push_back(line);
            line = word;
          } else {
            line += " " + word;
          }
          i = space + 1;
        } while (i <= paragraph.size());
        out.push_back(line);
      }
      if (end == std::string::npos) break;
      start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return out;
  }

 private:
  const ControlLayout& control_;
  flx::win::HDC dc_ = nullptr;
  flx::win::HFONT font_ = nullptr;
  flx::win::HFONT previous_ = nullptr;
  bool ok_ = false;
  int height_ = 0;
  int ascent_ = 0;
  int zeroWidth_ = 0;
};

// The control being drawn, with its font ready to measure.
const ControlText* gMeasured = nullptr;

struct MeasuredScope {
  explicit MeasuredScope(const ControlText& t) { gMeasured = &t; }
  ~MeasuredScope() { gMeasured = nullptr; }
  MeasuredScope(const MeasuredScope&) = delete;
  MeasuredScope& operator=(const MeasuredScope&) = delete;
};

// The width of a line in the drawn control's font, if it is that font and
// the window system can measure it.
std::optional<int> measuredWidth(const std::string& text, int pixels) {
  if (gMeasured == nullptr || pixels != gMeasured->pixels()) {
    return std::nullopt;
  }
  return gMeasured->width(text);
}

// Width of a text line: measured in the control's font, else roughly.
double textWidth(const std::string& text, int pixels) {
  if (const auto w = measuredWidth(text, pixels)) return *w;
  std::size_t glyphs = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++glyphs;
  }
  return 0.56 * pixels * static_cast<double>(glyphs);
}

// ---- Svg

class Svg {
 public:
  Svg(std::ostringstream& out, std::string idPrefix = "f")
      : out_(out), idPrefix_(std::move(idPrefix)) {}

  // A clip path of one rectangle (in the current viewport's coordinates);
  // its id for `clip-path="url(#ID)"`.
  std::string clip(double x, double y, double w, double h) {
    const std::string id = idPrefix_ + "-t" + std::to_string(++clips_);
    out_ << "<clipPath id=\"" << id << "\"><rect x=\"" << shortNumber(x)
         << "\" y=\"" << shortNumber(y) << "\" width=\""
         << shortNumber(std::max(w, 0.0)) << "\" height=\""
         << shortNumber(std::max(h, 0.0)) << "\"/></clipPath>\n";
    return id;
  }

  // A line of text as Windows draws it: its left edge at x, its cell's top
  // at `top` (the baseline lies the font's ascent below), as wide as
  // measured and clipped by the clip path `clipId`.
  void placedText(const ControlText& font, double x, double top,
                  const std::string& content, const std::string& family,
                  const std::string& fill, const std::string& clipId, bool bold,
                  bool italic) {
    if (content.empty()) return;
    out_ << "<text x=\"" << shortNumber(x) << "\" y=\""
         << shortNumber(top + font.ascent()) << "\" font-size=\""
         << font.pixels() << "\" font-family=\"" << family << "\" fill=\""
         << fill << "\"";
    if (const auto w = font.width(content); w && *w > 0) {
      out_ << " textLength=\"" << *w << "\" lengthAdjust=\"spacingAndGlyphs\"";
    }
    if (!clipId.empty()) out_ << " clip-path=\"url(#" << clipId << ")\"";
    if (bold) out_ << " font-weight=\"bold\"";
    if (italic) out_ << " font-style=\"italic\"";
    out_ << ">" << xmlEscape(content) << "</text>\n";
  }

  void rect(double x, double y, double w, double h, const std::string& fill,
            const std::string& stroke, const std::string& extra = "") {
    if (w <= 0 || h <= 0) return;
    out_ << "<rect x=\"" << shortNumber(x) << "\" y=\"" << shortNumber(y)
         << "\" width=\"" << shortNumber(w) << "\" height=\"" << shortNumber(h)
         << "\" fill=\"" << fill << "\"";
    if (!stroke.empty()) out_ << " stroke=\"" << stroke << "\"";
    if (!extra.empty()) out_ << " " << extra;
    out_ << "/>\n";
  }

  void line(double x1, double y1, double x2, double y2,
            const std::string& stroke, double width = 1) {
    out_ << "<line x1=\"" << shortNumber(x1) << "\" y1=\"" << shortNumber(y1)
         << "\" x2=\"" << shortNumber(x2) << "\" y2=\"" << shortNumber(y2)
         << "\" stroke=\"" << stroke << "\" stroke-width=\""
         << shortNumber(width) << "\"/>\n";
  }

  void text(double x, double y, const std::string& content, int pixels,
            const std::string& family, const std::string& fill,
            const std::string& anchor = "start", bool bold = false,
            bool italic = false) {
    if (content.empty() || pixels <= 0) return;
    out_ << "<text x=\"" << shortNumber(x) << "\" y=\"" << shortNumber(y)
         << "\" font-size=\"" << pixels << "\" font-family=\"" << family
         << "\" fill=\"" << fill << "\"";
    if (anchor != "start") out_ << " text-anchor=\"" << anchor << "\"";
    // As wide as Windows draws it, whatever font the viewer has.
    if (const auto w = measuredWidth(content, pixels); w && *w > 0) {
      out_ << " textLength=\"" << *w << "\" lengthAdjust=\"spacingAndGlyphs\"";
    }
    if (bold) out_ << " font-weight=\"bold\"";
    if (italic) out_ << " font-style=\"italic\"";
    out_ << ">" << xmlEscape(content) << "</text>\n";
  }

  std::ostringstream& raw() { return out_; }

 private:
  std::ostringstream& out_;
  std::string idPrefix_;
  int clips_ = 0;
};

// "&&" stands for "&"; a single "&" only marks the accelerator.
// ---- Controls

std::string withoutAccelerator(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && ++i == text.size()) break;
    out += text[i];
  }
  return out;
}

std::string firstLine(const std::string& text) {
  // One line is enough for a picture; the rest would be clipped anyway.
  auto nl = text.find_first_of("\r\n");
  return nl == std::string::npos ? text : text.substr(0, nl);
}

// What a control shows: its caption or text, else (in grey) its name.
std::string label(const ControlLayout& c, bool& isName) {
  isName = c.text.empty();
  if (!isName) return firstLine(withoutAccelerator(c.text));
  return c.name.empty() ? c.className : c.name;
}

constexpr const char* kFace = "#f0f0f0";
constexpr const char* kShadow = "#a0a0a0";
constexpr const char* kLight = "#ffffff";
constexpr const char* kSunken = "#7a7a7a";
constexpr const char* kSelected = "#0078d7";

// A one-pixel bevel: light above and left, shadow below and right (or the
// other way round when lowered).
void bevelBox(Svg& svg, double x, double y, double w, double h, bool raised) {
  const char* topLeft = raised ? kLight : kShadow;
  const char* bottomRight = raised ? kShadow : kLight;
  svg.line(x, y + 0.5, x + w, y + 0.5, topLeft);
  svg.line(x + 0.5, y, x + 0.5, y + h, topLeft);
  svg.line(x, y + h - 0.5, x + w, y + h - 0.5, bottomRight);
  svg.line(x + w - 0.5, y, x + w - 0.5, y + h, bottomRight);
}

// The anchor and x of a caption aligned in a box of width w.
std::pair<std::string, double> aligned(const std::string& align, double w,
                                       double inset) {
  if (align == "center") return {"middle", w / 2};
  if (align == "right") return {"end", w - inset};
  return {"start", inset};
}

// A column of lines from the top: memo lines, list items.
void lines(Svg& svg, const ControlLayout& c, const std::string& family, int px,
           double w, double h) {
  const double step = std::max(1.0, px * 1.25);
  for (std::size_t i = 0; i < c.items.size(); ++i) {
    const double top = 2 + step * static_cast<double>(i);
    if (top >= h) break;
    const bool selected =
        c.look == Look::List && static_cast<int>(i) == c.itemIndex;
    if (selected) svg.rect(2, top, w - 4, step, kSelected, "");
    svg.text(4, top + px * 0.95, c.items[i], px, family,
             selected ? "#ffffff" : "#000000", "start", c.bold, c.italic);
  }
}

void checkMark(Svg& svg, double x, double y, double box) {
  svg.raw() << "<path d=\"M" << shortNumber(x + box * 0.2) << " "
            << shortNumber(y + box * 0.5) << " L" << shortNumber(x + box * 0.42)
            << " " << shortNumber(y + box * 0.72) << " L"
            << shortNumber(x + box * 0.8) << " " << shortNumber(y + box * 0.28)
            << "\" fill=\"none\" stroke=\"#000000\" stroke-width=\""
            << shortNumber(std::max(1.0, box / 7)) << "\"/>\n";
}

void radioButton(Svg& svg, double x, double cy, double box, bool checked) {
  svg.raw() << "<circle cx=\"" << shortNumber(x + box / 2) << "\" cy=\""
            << shortNumber(cy) << "\" r=\"" << shortNumber(box / 2)
            << "\" fill=\"#ffffff\" stroke=\""
            << "#333333\"/>\n";
  if (checked) {
    svg.raw() << "<circle cx=\"" << shortNumber(x + box / 2) << "\" cy=\""
              << shortNumber(cy) << "\" r=\"" << shortNumber(box / 5)
              << "\" fill=\"#000000\"/>\n";
  }
}

void groupFrame(Svg& svg, const ControlLayout& c, const std::string& text,
                const std::string& family, int px, const std::string& ink) {
  const double top = px / 2.0;
  svg.rect(0.5, top, c.width - 1, c.height - top - 0.5, "none", "#c5c5c5",
           "rx=\"2\"");
  if (text.empty()) return;
  svg.rect(6, 0, textWidth(text, px) + 6, px + 2, kFace, "");
  svg.text(9, px * 0.9, text, px, family, ink, "start", c.bold, c.italic);
}

// Where DrawTextW puts a line of `width` in a box from `left` to `right`
// by its alignment ("left", "center", "right"): C's integer division, as
// Windows computes it.
int alignedLeft(const std::string& align, int left, int right, int width) {
  if (align == "center") return left + (right - left - width) / 2;
  if (align == "right") return right - width;
  return left;
}

// The controls whose text Windows places by its font's metrics, drawn with
// the text measured and clipped as Windows draws and clips it (the
// positions measured under Wine 8 with Tahoma at 11, 16 and 24 pixels,
// and the framework's own painting for labels, panels and group boxes).
// False for a class drawn the same either way.
bool drawMeasured(Svg& svg, const ControlLayout& c, const ControlText& t,
                  int dpi) {
  const int w = c.width;
  const int h = c.height;
  const int th = t.height();
  const std::string family = fontFamily(c.fontName);
  const bool isName = c.text.empty();
  const std::string shown = isName ? (c.name.empty() ? c.className : c.name)
                                   : withoutAccelerator(c.text);
  const std::string line = firstLine(shown);
  const std::string textInk = c.textColor.empty() ? "#000000" : c.textColor;
  const std::string ink = isName ? "#8a8a8a" : textInk;
  const bool italic = c.italic || isName;
  auto draw = [&](int x, int top, const std::string& text,
                  const std::string& clipId, const std::string& color,
                  bool slanted) {
    svg.placedText(t, x, top, text, family, color, clipId, c.bold, slanted);
  };
  // A check box's or radio button's box and text in the box `b`: the box
  // 12 px (at 96 DPI) and one, then half a '0' of gap and one pixel; the
  // text centred in the height, the box centred on the text's line. With
  // the text before the box (`textFirst`), the box stands at the right
  // end and the text one pixel in from the left.
  auto checkItem = [&](const Box& b, const std::string& text, bool radio,
                       int state, const std::string& color, bool slanted,
                       bool textFirst) {
    const int box = 12 * dpi / 96 + 1;
    const int gap = t.zeroWidth() / 2;
    const int boxLeft = textFirst ? b.left + b.width - box : b.left;
    const int labelLeft = textFirst ? b.left : b.left + box + gap;
    const int labelRight =
        textFirst ? b.left + b.width - box - gap : b.left + b.width;
    const int top = b.top + (b.height - th) / 2;
    const int delta = th - box;
    const int boxTop = delta > 0   ? top + th - delta / 2 - 1 - box
                       : delta < 0 ? top - -delta / 2 - 1
                                   : top;
    if (radio) {
      radioButton(svg, boxLeft + 0.5, boxTop + box / 2.0, box - 1, state != 0);
    } else {
      svg.rect(boxLeft + 0.5, boxTop + 0.5, box - 1, box - 1,
               state == 2 ? "#d0d0d0" : "#ffffff", "#333333");
      if (state != 0) checkMark(svg, boxLeft + 0.5, boxTop + 0.5, box - 1);
    }
    const std::string clipId =
        svg.clip(labelLeft, b.top, labelRight - labelLeft, b.height);
    draw(labelLeft + 1, top, firstLine(text), clipId, color, slanted);
  };
  switch (c.look) {
    case Look::Button: {
      // The face less its 2 px edge each side; the text is centred there
      // and clipped only at the button's own edges.
      svg.rect(0.5, 0.5, w - 1, h - 1, "#e1e1e1", "#adadad", "rx=\"2\"");
      const int tw = t.width(line).value_or(0);
      const std::string clipId = svg.clip(0, 0, w, h);
      draw(2 + (w - 4 - tw) / 2, 2 + (h - 4 - th) / 2, line, clipId, ink,
           italic);
      return true;
    }
    case Look::Check:
    case Look::Radio:
      checkItem(Box{0, 0, w, h}, shown, c.look == Look::Radio, c.check, ink,
                italic, c.align == "left");
      return true;
    case Look::Edit: {
      // The sunken edge, then the margin the edit takes from its font
      // (Tahoma: 3 px at 11 px, 4 at 16, 7 at 24) and a pixel; the text
      // one pixel below the edge, clipped at that formatting rectangle.
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", c.bordered ? kSunken : "");
      const int edge = c.bordered ? 2 : 0;
      const int margin = c.fontPixels * 295 / 1000 + 1;
      const int top = edge + 1;
      const std::string clipId =
          svg.clip(edge + margin, top, w - 2 * (edge + margin),
                   std::min(th, h - edge - top));
      draw(edge + margin, top, line, clipId, ink, italic);
      return true;
    }
    case Look::Label:
    case Look::Static: {
      // A label draws in its bounds from the top, broken at its width when
      // it wraps; a static text window always wraps, inside its border.
      if (c.look == Look::Label) {
        svg.rect(0.5, 0.5, w - 1, h - 1, "none", "#c9d3df",
                 "stroke-dasharray=\"2 2\"");
      } else if (c.bordered) {
        svg.rect(0.5, 0.5, w - 1, h - 1, "none", kSunken);
      }
      const int in = c.look == Look::Static && c.bordered ? 1 : 0;
      const bool wrap = c.look == Look::Static || c.wordWrap;
      const std::string clipId = svg.clip(in, in, w - 2 * in, h - 2 * in);
      int top = in;
      for (const std::string& l : t.lines(shown, wrap, w - 2 * in)) {
        if (top >= h) break;
        draw(alignedLeft(c.align, in, w - in, t.width(l).value_or(0)), top, l,
             clipId, ink, italic);
        top += th;
      }
      return true;
    }
    case Look::Group:
    case Look::RadioGroup: {
      // The etched frame's top line runs through the middle of the
      // caption's line; the caption stands 8 px in on the face colour,
      // clipped 6 px before the right edge (Windows clips it at its own
      // width too, which cuts nothing of it; a viewer whose font draws
      // it wider would lose its end).
      const double frameTop = th / 2 - 1;
      svg.rect(0.5, frameTop + 0.5, w - 1, h - frameTop - 1, "none", "#c5c5c5",
               "rx=\"2\"");
      if (!isName) {
        const int tw = t.width(line).value_or(0);
        const int right = std::min(8 + tw + 2, w - 6);
        svg.rect(6, 0, right - 6, th, kFace, "");
        draw(8, 0, line, svg.clip(8, 0, w - 14, th), ink, italic);
      }
      if (c.look == Look::RadioGroup) {
        for (std::size_t i = 0; i < c.items.size() && i < c.itemRects.size();
             ++i) {
          checkItem(c.itemRects[i], withoutAccelerator(c.items[i]), true,
                    static_cast<int>(i) == c.itemIndex ? 1 : 0, textInk,
                    c.italic, false);
        }
      }
      return true;
    }
    case Look::Panel: {
      svg.rect(0, 0, w, h, kFace, "");
      if (!c.bevel.empty()) bevelBox(svg, 0, 0, w, h, c.bevel == "raised");
      const int outer = c.bevel.empty() ? 0 : 1;
      if (!c.innerBevel.empty()) {
        bevelBox(svg, outer, outer, w - 2 * outer, h - 2 * outer,
                 c.innerBevel == "raised");
      }
      if (isName) return true;
      // One line in the box within the bevels, aligned across it and
      // centred down it, clipped at that box.
      const int in = outer + (c.innerBevel.empty() ? 0 : 1);
      const int tw = t.width(line).value_or(0);
      const std::string clipId = svg.clip(in, in, w - 2 * in, h - 2 * in);
      draw(alignedLeft(c.align.empty() ? "center" : c.align, in, w - in, tw),
           in + (h - 2 * in - th) / 2, line, clipId, ink, c.italic);
      return true;
    }
    case Look::Tabs: {
      // Each tab as wide as its caption and 6 px each side, the caption
      // centred in it and clipped at it; the active tab stands 2 px
      // higher, its caption's line 3 px below the top as the others'.
      const int tabs = th + 9;
      svg.rect(0.5, tabs - 1.5, w - 1, h - tabs + 1, kFace, kShadow);
      int x = 2;
      for (std::size_t i = 0; i < c.items.size() && x < w; ++i) {
        const std::string caption = firstLine(withoutAccelerator(c.items[i]));
        const int tw = t.width(caption).value_or(0);
        const bool active = static_cast<int>(i) == c.itemIndex;
        const int top = active ? 0 : 2;
        svg.rect(x + 0.5, top + 0.5, tw + 12, tabs - top - 1, kFace, kShadow);
        if (active) svg.rect(x + 1, tabs - 2.5, tw + 11, 2, kFace, "");
        draw(x + 6, 3, caption, svg.clip(x, top, tw + 12, tabs - top), textInk,
             c.italic);
        x += tw + 12;
      }
      return true;
    }
    case Look::Header: {
      // Each section's text 6 px in from its left, centred down the row
      // (a spare pixel above) and clipped 6 px before its right end.
      if (c.bordered) svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", kSunken);
      const int y = c.bordered ? 2 : 0;
      // A header control's row is the control; a list view's is its
      // font's line and 6 px.
      const int row = c.bordered ? std::min(h, th + 6) : h;
      int x = c.bordered ? 2 : 0;
      for (std::size_t i = 0; i < c.items.size() && i < c.columns.size(); ++i) {
        const int cw = c.columns[i];
        svg.rect(x + 0.5, y + 0.5, cw - 1, row - 1, kFace, kShadow);
        draw(x + 6, y + (row - th + 1) / 2, firstLine(c.items[i]),
             svg.clip(x + 6, y, cw - 12, row), textInk, c.italic);
        x += cw;
      }
      return true;
    }
    case Look::Status: {
      // Each panel ends where its width does and the next starts 2 px
      // later; within its sunken edge (2 px below the top) the text
      // stands 3 px in, centred down, clipped inside the edge.
      svg.rect(0, 0, w, h, kFace, "");
      int x = 0;
      for (std::size_t i = 0; i < c.items.size(); ++i) {
        const bool last = i + 1 == c.items.size() || i >= c.columns.size();
        const int right = last ? w : x + c.columns[i];
        const int left = i == 0 ? 0 : x + 2;
        svg.rect(left + 0.5, 2.5, right - left - 1, h - 3, "none", kShadow);
        draw(left + 3, 3 + (h - 4 - th) / 2, firstLine(c.items[i]),
             svg.clip(left + 1, 3, right - left - 2, h - 4), textInk, c.italic);
        x = right;
      }
      return true;
    }
    default:
      return false;
  }
}

void drawControl(Svg& svg, const ControlLayout& c, const std::string& hatch,
                 int dpi) {
  if (gMeasured != nullptr && gMeasured->ok() && c.fontSize &&
      drawMeasured(svg, c, *gMeasured, dpi)) {
    return;
  }
  const double w = c.width;
  const double h = c.height;
  const int px = c.fontSize ? std::max(1, c.fontPixels) : 10;
  const std::string family =
      c.fontSize ? fontFamily(c.fontName) : xmlEscape(kUiFont);
  bool isName = false;
  const std::string text = label(c, isName);
  const std::string textInk = c.textColor.empty() ? "#000000" : c.textColor;
  const std::string ink = isName ? "#8a8a8a" : textInk;
  const bool italic = c.italic || isName;
  const double middle = h / 2 + px * 0.35;
  const double topLine = 2 + px * 0.9;
  switch (c.look) {
    case Look::Button:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#e1e1e1", "#adadad", "rx=\"2\"");
      svg.text(w / 2, middle, text, px, family, ink, "middle", c.bold, italic);
      break;
    case Look::Check:
    case Look::Radio: {
      const double box = std::max(4.0, std::min(h - 2, px * 1.1));
      const double top = (h - box) / 2;
      if (c.look == Look::Check) {
        svg.rect(1.5, top, box, box, c.check == 2 ? "#d0d0d0" : "#ffffff",
                 "#333333");
        if (c.check != 0) checkMark(svg, 1.5, top, box);
      } else {
        radioButton(svg, 1.5, top + box / 2, box, c.check != 0);
      }
      svg.text(box + 6, middle, text, px, family, ink, "start", c.bold, italic);
      break;
    }
    case Look::Edit:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", c.bordered ? kSunken : "");
      svg.text(4, middle, text, px, family, ink, "start", c.bold, italic);
      break;
    case Look::Date:
    case Look::Combo: {
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", kSunken);
      const double arrow = std::min(h - 2, 17.0 * h / 21.0);
      svg.rect(w - arrow - 1, 1, arrow, h - 2, "#e5e5e5", "");
      svg.raw() << "<path d=\"M" << shortNumber(w - arrow * 0.75 - 1) << " "
                << shortNumber(h * 0.42) << " L"
                << shortNumber(w - arrow / 2 - 1) << " " << shortNumber(h * 0.6)
                << " L" << shortNumber(w - arrow * 0.25 - 1) << " "
                << shortNumber(h * 0.42)
                << "\" fill=\"none\" stroke=\"#444444\"/>\n";
      const bool selected =
          c.itemIndex >= 0 && c.itemIndex < static_cast<int>(c.items.size());
      if (selected) {
        svg.text(4, middle, c.items[static_cast<std::size_t>(c.itemIndex)], px,
                 family, textInk, "start", c.bold, c.italic);
      } else {
        svg.text(4, middle, text, px, family, ink, "start", c.bold, italic);
      }
      break;
    }
    case Look::Memo:
    case Look::List:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", c.bordered ? kSunken : "");
      if (c.items.empty() && isName) {
        svg.text(4, topLine, text, px, family, ink, "start", c.bold, italic);
      }
      lines(svg, c, family, px, w, h);
      break;
    case Look::Label: {
      // The dotted outline marks the bounds; the real label shows only its
      // caption.
      svg.rect(0.5, 0.5, w - 1, h - 1, "none", "#c9d3df",
               "stroke-dasharray=\"2 2\"");
      const auto [anchor, x] = aligned(c.align, w, 0);
      svg.text(x, px * 0.9, text, px, family, ink, anchor, c.bold, italic);
      break;
    }
    case Look::Static: {
      if (c.bordered) svg.rect(0.5, 0.5, w - 1, h - 1, "none", kSunken);
      const auto [anchor, x] = aligned(c.align, w, 1);
      svg.text(x, px * 0.9, text, px, family, ink, anchor, c.bold, italic);
      break;
    }
    case Look::Group:
      groupFrame(svg, c, isName ? "" : text, family, px, ink);
      break;
    case Look::RadioGroup:
      groupFrame(svg, c, isName ? "" : text, family, px, ink);
      for (std::size_t i = 0; i < c.items.size() && i < c.itemRects.size();
           ++i) {
        const Box& b = c.itemRects[i];
        const double box = std::max(4.0, std::min(b.height - 2.0, px * 1.1));
        const double cy = b.top + b.height / 2.0;
        radioButton(svg, b.left + 1.5, cy, box,
                    static_cast<int>(i) == c.itemIndex);
        svg.text(b.left + box + 6, cy + px * 0.35, c.items[i], px, family,
                 textInk, "start", c.bold, c.italic);
      }
      break;
    case Look::Panel: {
      svg.rect(0, 0, w, h, kFace, "");
      if (!c.bevel.empty()) bevelBox(svg, 0, 0, w, h, c.bevel == "raised");
      if (!c.innerBevel.empty()) {
        const double in = c.bevel.empty() ? 0 : 1;
        bevelBox(svg, in, in, w - 2 * in, h - 2 * in, c.innerBevel == "raised");
      }
      if (!isName) {
        const auto [anchor, x] = aligned(c.align, w, 4);
        svg.text(x, middle, text, px, family, ink, anchor, c.bold, c.italic);
      }
      break;
    }
    case Look::Frame:
      svg.rect(0.5, 0.5, w - 1, h - 1, "none", "#6f8fb0",
               "stroke-dasharray=\"6 3\"");
      svg.text(3, topLine, c.name, px, family, "#6f8fb0", "start", false, true);
      break;
    case Look::Tabs: {
      // Tabs as high as the text plus nine pixels, then the framed pages.
      const double tabs = std::round(px * 1.2) + 9;
      svg.rect(0.5, tabs - 1.5, w - 1, h - tabs + 1, kFace, kShadow);
      double x = 2;
      for (std::size_t i = 0; i < c.items.size() && x < w; ++i) {
        const std::string caption = withoutAccelerator(c.items[i]);
        const double tw = textWidth(caption, px) + 12;
        const bool active = static_cast<int>(i) == c.itemIndex;
        const double top = active ? 0 : 2;
        svg.rect(x + 0.5, top + 0.5, tw, tabs - top - 1, kFace, kShadow);
        if (active) svg.rect(x + 1, tabs - 2.5, tw - 1, 2, kFace, "");
        svg.text(x + tw / 2, top + (tabs - top) / 2 + px * 0.3, caption, px,
                 family, textInk, "middle", c.bold, c.italic);
        x += tw;
      }
      break;
    }
    case Look::Sheet:
      svg.rect(0, 0, w, h, kFace, "");
      break;
    case Look::Track: {
      const double span = std::max(1, c.rangeMax - c.rangeMin);
      const double at = (c.position - c.rangeMin) / span;
      if (c.vertical) {
        svg.rect(w * 0.4, 8, 4, h - 16, "#ffffff", kSunken);
        svg.rect(w * 0.4 - 8, 8 + (h - 16) * at - 5, 20, 10, "#e1e1e1",
                 "#707070");
      } else {
        svg.rect(8, h * 0.35, w - 16, 4, "#ffffff", kSunken);
        svg.rect(8 + (w - 16) * at - 5, h * 0.35 - 8, 10, 20, "#e1e1e1",
                 "#707070");
        const int ticks = std::min(c.rangeMax - c.rangeMin, 100);
        for (int i = 0; i <= ticks; ++i) {
          const double x = 8 + (w - 16) * i / std::max(1, ticks);
          svg.line(x + 0.5, h * 0.35 + 16, x + 0.5, h * 0.35 + 19, "#333333");
        }
      }
      break;
    }
    case Look::Progress: {
      svg.rect(0.5, 0.5, w - 1, h - 1, kFace, kSunken);
      const double span = std::max(1, c.rangeMax - c.rangeMin);
      const double part =
          std::clamp((c.position - c.rangeMin) / span, 0.0, 1.0);
      if (c.vertical) {
        svg.rect(2, h - 2 - (h - 4) * part, w - 4, (h - 4) * part, kSelected,
                 "");
      } else {
        svg.rect(2, 2, (w - 4) * part, h - 4, kSelected, "");
      }
      break;
    }
    case Look::UpDown:
      if (c.vertical) {
        svg.rect(0.5, 0.5, w - 1, h / 2 - 1, "#e1e1e1", "#adadad");
        svg.rect(0.5, h / 2 + 0.5, w - 1, h / 2 - 1, "#e1e1e1", "#adadad");
      } else {
        svg.rect(0.5, 0.5, w / 2 - 1, h - 1, "#e1e1e1", "#adadad");
        svg.rect(w / 2 + 0.5, 0.5, w / 2 - 1, h - 1, "#e1e1e1", "#adadad");
      }
      break;
    case Look::Status: {
      svg.rect(0, 0, w, h, kFace, "");
      double x = 0;
      for (std::size_t i = 0; i < c.items.size(); ++i) {
        const bool last = i + 1 == c.items.size() || i >= c.columns.size();
        const double pw = last ? w - x : c.columns[i];
        svg.rect(x + 0.5, 1.5, pw - 3, h - 3, "none", kShadow);
        svg.text(x + 4, middle, c.items[i], px, family, textInk, "start",
                 c.bold, c.italic);
        x += pw;
      }
      break;
    }
    case Look::Header: {
      if (c.bordered) svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", kSunken);
      const double row = std::min(h, std::round(px * 1.2) + 6);
      double x = c.bordered ? 2 : 0;
      for (std::size_t i = 0; i < c.items.size() && i < c.columns.size(); ++i) {
        svg.rect(x + 0.5, (c.bordered ? 2 : 0) + 0.5, c.columns[i] - 1, row - 1,
                 kFace, kShadow);
        svg.text(x + 5, (c.bordered ? 2 : 0) + row / 2 + px * 0.35, c.items[i],
                 px, family, textInk, "start", c.bold, c.italic);
        x += c.columns[i];
      }
      break;
    }
    case Look::Tree:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", c.bordered ? kSunken : "");
      break;
    case Look::Grid: {
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", c.bordered ? kSunken : "");
      double y = 2;
      for (std::size_t r = 0; r < c.rows.size() && y < h; ++r) {
        double x = 2;
        std::string line = r < c.items.size() ? c.items[r] : std::string();
        for (std::size_t col = 0; col < c.columns.size() && x < w; ++col) {
          const auto tab = line.find('\t');
          const std::string cell = line.substr(0, tab);
          line = tab == std::string::npos ? "" : line.substr(tab + 1);
          const bool fixed = static_cast<int>(r) < c.fixedRows ||
                             static_cast<int>(col) < c.fixedCols;
          svg.rect(x, y, c.columns[col], c.rows[r], fixed ? kFace : "#ffffff",
                   "#d8d8d8");
          svg.text(x + 2, y + c.rows[r] / 2.0 + px * 0.35, cell, px, family,
                   textInk, "start", c.bold, c.italic);
          x += c.columns[col];
        }
        y += c.rows[r];
      }
      break;
    }
    case Look::Image:
      if (!c.image.empty()) {
        svg.raw() << "<image x=\"" << c.imageRect.left << "\" y=\""
                  << c.imageRect.top << "\" width=\"" << c.imageRect.width
                  << "\" height=\"" << c.imageRect.height
                  << "\" preserveAspectRatio=\"none\" "
                     "style=\"image-rendering:pixelated\" href=\""
                  << c.image << "\"/>\n";
      } else {
        // Without a picture nothing shows at run time; the hatched box
        // marks the bounds.
        svg.rect(0.5, 0.5, w - 1, h - 1, "url(#" + hatch + ")", "#c9d3df",
                 "stroke-dasharray=\"2 2\"");
      }
      break;
    case Look::Shape:
      svg.rect(0.5, 0.5, w - 1, h - 1, c.fill.empty() ? "none" : c.fill,
               c.stroke);
      break;
    case Look::Bevel: {
      const char* dark = c.raised ? kLight : kShadow;
      const char* bright = c.raised ? kShadow : kLight;
      if (c.bevel == "box") {
        bevelBox(svg, 0, 0, w, h, c.raised);
      } else if (c.bevel == "frame") {
        svg.rect(0.5, 0.5, w - 2, h - 2, "none", dark);
        svg.rect(1.5, 1.5, w - 2, h - 2, "none", bright);
      } else if (c.bevel == "top") {
        svg.line(0, 0.5, w, 0.5, dark);
        svg.line(0, 1.5, w, 1.5, bright);
      } else if (c.bevel == "bottom") {
        svg.line(0, h - 1.5, w, h - 1.5, dark);
        svg.line(0, h - 0.5, w, h - 0.5, bright);
      } else if (c.bevel == "left") {
        svg.line(0.5, 0, 0.5, h, dark);
        svg.line(1.5, 0, 1.5, h, bright);
      } else if (c.bevel == "right") {
        svg.line(w - 1.5, 0, w - 1.5, h, dark);
        svg.line(w - 0.5, 0, w - 0.5, h, bright);
      }
      break;
    }
    case Look::ToolBar:
      svg.rect(0, 0, w, h, kFace, "");
      svg.line(0, 0.5, w, 0.5, kShadow);
      svg.line(0, 1.5, w, 1.5, kLight);
      break;
    case Look::ToolButton:
      if (c.bevel == "divider") {
        svg.line(w / 2 - 0.5, 0, w / 2 - 0.5, h, kShadow);
        svg.line(w / 2 + 0.5, 0, w / 2 + 0.5, h, kLight);
      } else if (c.bevel.empty()) {
        bevelBox(svg, 0, 0, w, h, true);
        svg.text(w / 2, middle, text, px, family, ink, "middle", c.bold,
                 italic);
      }
      break;
    case Look::Blank:
      // Drawn by the application at run time; the outline marks the bounds.
      svg.rect(0.5, 0.5, w - 1, h - 1, "none", "#c9d3df",
               "stroke-dasharray=\"2 2\"");
      break;
    case Look::Generic:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#fafafa", "#999999",
               "stroke-dasharray=\"3 2\"");
      svg.text(4, topLine, isName ? c.name + ": " + c.className : text, px,
               family, ink, "start", c.bold, italic);
      break;
  }
}

// ---- Pictures

void captionButtons(Svg& svg, double right, double top, double height) {
  const double bw = height * 1.9;
  const double cy = top + height / 2;
  const double s = height * 0.2;
  // Close, maximise, minimise from the right.
  double cx = right - bw / 2;
  svg.line(cx - s, cy - s, cx + s, cy + s, "#333333");
  svg.line(cx - s, cy + s, cx + s, cy - s, "#333333");
  cx -= bw;
  svg.rect(cx - s, cy - s, 2 * s, 2 * s, "none", "#333333");
  cx -= bw;
  svg.line(cx - s, cy, cx + s, cy, "#333333");
}

}  // namespace

std::string xmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : outputText(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        // Control characters are not allowed in XML 1.0.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' &&
            c != '\r') {
          out += ' ';
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string svgFileName(const StepLayout& step, int number) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%02d-", number);
  std::string name = prefix;
  for (char c : step.action) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                      (c >= '0' && c <= '9');
    if (keep) {
      name += c;
    } else if (!name.empty() && name.back() != '-') {
      name += '-';
    }
  }
  while (!name.empty() && name.back() == '-') name.pop_back();
  return name + ".svg";
}

std::string renderSvg(const StepLayout& step, int number,
                      const SvgOptions& options) {
  const FormLayout& f = step.form;
  const int W = std::max(1, static_cast<int>(f.window.right - f.window.left));
  const int H = std::max(1, static_cast<int>(f.window.bottom - f.window.top));
  const int canvasW = std::max(W + 2 * kPad, options.footer ? 420 : 0);
  // Several monitors: a map of them under the picture, with the form on it.
  double mapHeight = 0;
  const std::string map =
      renderMonitorMap(step, std::max(canvasW - 2 * kPad, 1), mapHeight);
  const int mapTop = H + 2 * kPad + (options.footer ? kFooter : 0);
  const int canvasH =
      mapTop +
      (map.empty() ? 0 : static_cast<int>(std::ceil(mapHeight)) + kPad);
  const std::string hatch = options.idPrefix + "-hatch";

  std::ostringstream out;
  Svg svg(out, options.idPrefix);
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
      << shortNumber(canvasW * options.scale) << "\" height=\""
      << shortNumber(canvasH * options.scale) << "\" viewBox=\"0 0 " << canvasW
      << " " << canvasH << "\" font-family=\"" << xmlEscape(kUiFont) << "\">\n";
  out << "<title>"
      << xmlEscape(f.name + ", step " + std::to_string(number) + ": " +
                   step.action)
      << "</title>\n";
  out << "<defs><pattern id=\"" << hatch
      << "\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
         "<rect width=\"8\" height=\"8\" fill=\"#f4f4f4\"/>"
         "<path d=\"M0 8 L8 0\" stroke=\"#d0d0d0\"/></pattern></defs>\n";
  svg.rect(0, 0, canvasW, canvasH, "#ffffff", "");
  out << "<g transform=\"translate(" << kPad << " " << kPad << ")\">\n";

  const double vx = f.visible.left - f.window.left;
  const double vy = f.visible.top - f.window.top;
  const double vw = f.visible.right - f.visible.left;
  const double vh = f.visible.bottom - f.visible.top;
  if (vx != 0 || vy != 0 || vw != W || vh != H) {
    // The invisible frame margins that desktop composition adds.
    svg.rect(0.5, 0.5, W - 1, H - 1, "none", "#b4bfcc",
             "stroke-dasharray=\"3 3\"");
  }
  svg.rect(vx + 0.5, vy + 0.5, vw - 1, vh - 1, "#eef2f7", "#5b6b80");
  if (f.captionHeight > 0) {
    const double top = f.clientTop - f.captionHeight;
    svg.rect(vx + 1, top, vw - 2, f.captionHeight, "#dde6f2", "");
    const int px = std::max(1, f.captionHeight * 9 / 20);
    svg.text(f.clientLeft + 6, top + f.captionHeight / 2.0 + px * 0.35,
             f.caption.empty() ? f.name : f.caption, px, xmlEscape(kUiFont),
             "#1a1a1a");
    if (vw > f.captionHeight * 8) {
      captionButtons(svg, vx + vw - 1, top, f.captionHeight);
    }
  }
  if (f.clientWidth > 0 && f.clientHeight > 0) {
    out << "<svg x=\"" << f.clientLeft << "\" y=\"" << f.clientTop
        << "\" width=\"" << f.clientWidth << "\" height=\"" << f.clientHeight
        << "\">\n";
    svg.rect(0, 0, f.clientWidth, f.clientHeight, "#f0f0f0", "");
    // Each control is a nested viewport, so that it clips its children
    // as a window does.
    std::vector<int> open;
    int skipBelow = -1;
    for (const ControlLayout& c : step.controls) {
      while (!open.empty() && open.back() >= c.depth) {
        out << "</svg>\n";
        open.pop_back();
      }
      if (skipBelow >= 0 && c.depth > skipBelow) continue;
      skipBelow = -1;
      if (!c.visible || c.parent.empty() || c.width <= 0 || c.height <= 0) {
        skipBelow = c.depth;
        continue;
      }
      out << "<svg x=\"" << c.left << "\" y=\"" << c.top << "\" width=\""
          << c.width << "\" height=\"" << c.height << "\">\n";
      out << "<title>" << xmlEscape(c.name + " (" + c.className + ")")
          << "</title>\n";
      {
        const ControlText font(c);
        const MeasuredScope measured(font);
        drawControl(svg, c, hatch, step.dpi > 0 ? step.dpi : 96);
      }
      open.push_back(c.depth);
    }
    while (!open.empty()) {
      out << "</svg>\n";
      open.pop_back();
    }
    for (const auto& [r, label] : options.outlines) {
      out << "<rect x=\"" << r.left << "\" y=\"" << r.top << "\" width=\""
          << std::max(r.right - r.left, 1) << "\" height=\""
          << std::max(r.bottom - r.top, 1)
          << "\" fill=\"none\" stroke=\"#d0021b\" stroke-width=\"2\">"
          << "<title>" << xmlEscape(label) << "</title></rect>\n";
    }
    out << "</svg>\n";
  }
  out << "</g>\n";
  if (options.footer) {
    const double y = H + 2 * kPad;
    svg.text(kPad, y + 4, "Step " + std::to_string(number) + ": " + step.action,
             14, xmlEscape(kUiFont), "#1a1a1a", "start", true);
    svg.text(kPad, y + 23,
             "window " + std::to_string(W) + "x" + std::to_string(H) +
                 ", client " + std::to_string(f.clientWidth) + "x" +
                 std::to_string(f.clientHeight) + ", " + f.state +
                 (map.empty()
                      ? std::string()
                      : ", " + std::to_string(step.dpi) + " DPI on monitor " +
                            std::to_string(step.monitor)),
             12, xmlEscape(kUiFont), "#444444");
    svg.text(kPad, y + 40, "factors " + formatFactors(step), 12,
             xmlEscape(kUiFont), "#444444");
  }
  if (!map.empty()) {
    out << "<g transform=\"translate(" << kPad << " " << mapTop << ")\">\n"
        << map << "</g>\n";
  }
  out << "</svg>\n";
  return out.str();
}

// ---- Html

std::string renderHtml(const PreviewReport& report) {
  std::ostringstream out;
  double total = 0;
  for (const StepLayout& s : report.steps) {
    total += (s.form.window.right - s.form.window.left) + 2 * kPad;
  }
  // One scale for every picture keeps their sizes comparable.
  const double scale =
      total > 1400 ? std::max(0.2, std::floor(1400 / total * 100) / 100) : 1.0;
  const StepLayout* first = report.steps.empty() ? nullptr : &report.steps[0];
  const std::string title =
      report.file + (first ? ": " + first->form.name : std::string());
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">"
         "\n<title>"
      << xmlEscape(title) << " (flexarium preview)</title>\n"
      << "<style>\n"
         "body{font-family:system-ui,'Segoe UI',sans-serif;margin:24px;"
         "color:#222;background:#f6f7f9}\n"
         "h1{font-size:20px;margin:0 0 4px}\n"
         "p.screen{margin:0 0 16px;color:#555}\n"
         ".steps{display:flex;gap:20px;align-items:flex-start;"
         "overflow-x:auto;padding-bottom:8px}\n"
         "figure{margin:0;flex:none;background:#fff;border:1px solid #d8dde3;"
         "border-radius:6px;padding:12px}\n"
         "figcaption{font-size:14px;margin-bottom:8px}\n"
         "table{border-collapse:collapse;font-size:13px}\n"
         "td,th{padding:1px 10px 1px 0;text-align:left}\n"
         "td.n{text-align:right}\n"
         "details{margin-top:8px;font-size:13px}\n"
         ".error{color:#b00020}\n"
         "</style>\n</head>\n<body>\n";
  out << "<h1>" << xmlEscape(title);
  if (first) out << " (" << xmlEscape(first->form.className) << ")";
  out << "</h1>\n<p class=\"screen\">Screen "
      << xmlEscape(report.screen.describe()) << ". ";
  if (report.component) {
    out << "Rescaled by " << xmlEscape(*report.component) << ".";
  } else {
    out << "No TFlexarium on this form: nothing rescales.";
  }
  if (scale < 1.0) {
    out << " Pictures at " << static_cast<int>(std::lround(scale * 100))
        << "% of screen pixels.";
  }
  out << "</p>\n<div class=\"steps\">\n";
  int number = 0;
  for (const StepLayout& s : report.steps) {
    ++number;
    const FormLayout& f = s.form;
    out << "<figure>\n<figcaption><strong>" << number << ". "
        << xmlEscape(s.action) << "</strong>\n<table>\n";
    auto row = [&](const std::string& k, const std::string& v) {
      out << "<tr><td>" << k << "</td><td>" << xmlEscape(v) << "</td></tr>\n";
    };
    if (s.factors) {
      row("factors", "x " + fixedNumber(s.factors->x, 4) + ", y " +
                         fixedNumber(s.factors->y, 4) + ", font " +
                         fixedNumber(s.factors->font(), 4));
    } else {
      row("factors", "none (no rescale pass yet)");
    }
    row("window",
        std::to_string(f.window.left) + "," + std::to_string(f.window.top) +
            " " + std::to_string(f.window.right - f.window.left) + "x" +
            std::to_string(f.window.bottom - f.window.top) + ", " + f.state);
    row("client", std::to_string(f.clientWidth) + "x" +
                      std::to_string(f.clientHeight) + ", font " +
                      std::to_string(f.fontSize) + " pt");
    if (s.monitors.size() > 1) {
      row("DPI",
          std::to_string(s.dpi) + " on monitor " + std::to_string(s.monitor));
    }
    out << "</table>\n";
    for (const std::string& e : s.errors) {
      out << "<div class=\"error\">" << xmlEscape(e) << "</div>\n";
    }
    out << "</figcaption>\n";
    SvgOptions options;
    options.footer = false;
    options.scale = scale;
    options.idPrefix = "s" + std::to_string(number);
    out << renderSvg(s, number, options);
    out << "<details><summary>Controls</summary>\n<table>\n"
           "<tr><th>name</th><th>class</th><th>left</th><th>top</th>"
           "<th>width</th><th>height</th><th>font</th></tr>\n";
    for (const ControlLayout& c : s.controls) {
      std::string font = c.fontSize ? std::to_string(*c.fontSize) + " pt" : "-";
      if (c.parentFont.value_or(false)) font += " (parent)";
      out << "<tr><td>";
      for (int i = 0; i < c.depth; ++i) out << "&#160;&#160;";
      out << xmlEscape(c.name) << "</td><td>" << xmlEscape(c.className)
          << "</td><td class=\"n\">" << c.left << "</td><td class=\"n\">"
          << c.top << "</td><td class=\"n\">" << c.width
          << "</td><td class=\"n\">" << c.height << "</td><td>" << font
          << "</td></tr>\n";
    }
    out << "</table>\n</details>\n</figure>\n";
  }
  out << "</div>\n</body>\n</html>\n";
  return out.str();
}

}  // namespace flexarium_cli
