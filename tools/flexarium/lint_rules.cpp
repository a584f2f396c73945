// The lint rules: what one case's layout shows against the form as
// designed. Texts are measured through the window system (GetDC,
// CreateFontIndirectW, GetTextExtentPoint32W, DrawTextW with DT_CALCRECT),
// so the simulated desktop answers with the metrics Windows has.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "lint.h"

namespace flexarium_cli {

namespace win = flx::win;

// ---- Rules and cases

namespace {

struct RuleInfo {
  LintRule rule;
  std::string_view name;
  std::string_view description;
};

constexpr RuleInfo kRules[] = {
    {LintRule::ClippedText, "clipped-text",
     "a caption or text wider or taller than its control's text area"},
    {LintRule::Overlap, "overlap",
     "two sibling controls overlap where they did not at design"},
    {LintRule::Outside, "outside",
     "a control leaves its parent's client area where it did not at design"},
    {LintRule::Seam, "seam",
     "controls that touched or lined up at design are a pixel or two apart "
     "or overlapping"},
    {LintRule::SmallFont, "small-font",
     "a font under the smallest size allowed"},
};

}  // namespace

std::string_view toString(LintRule rule) {
  for (const auto& r : kRules) {
    if (r.rule == rule) return r.name;
  }
  return "?";
}

std::string_view describe(LintRule rule) {
  for (const auto& r : kRules) {
    if (r.rule == rule) return r.description;
  }
  return "";
}

std::optional<LintRule> parseLintRule(std::string_view name) {
  for (const auto& r : kRules) {
    if (r.name == name) return r.rule;
  }
  return std::nullopt;
}

const std::vector<LintRule>& allLintRules() {
  static const std::vector<LintRule> rules = [] {
    std::vector<LintRule> all;
    for (const auto& r : kRules) all.push_back(r.rule);
    return all;
  }();
  return rules;
}

bool LintCase::operator==(const LintCase& o) const {
  const bool sameMove =
      move.has_value() == o.move.has_value() &&
      (!move || (move->x == o.move->x && move->y == o.move->y));
  return dpi == o.dpi && scale == o.scale && monitor == o.monitor && sameMove;
}

std::string pointName(const flx::win::POINT& p) {
  return std::to_string(p.x) + "," + std::to_string(p.y);
}

std::string caseName(const LintCase& c) {
  char scale[32];
  std::snprintf(scale, sizeof scale, "%g", c.scale);
  std::string name = std::to_string(c.dpi) + " DPI";
  if (c.monitor >= 0) name += " on monitor " + std::to_string(c.monitor);
  name += std::string(", scale ") + scale;
  if (c.move) name += ", after a move to " + pointName(*c.move);
  return name;
}

std::string LintFinding::key() const {
  char scale[32];
  std::snprintf(scale, sizeof scale, "%g", where.scale);
  std::string k = file + "|" + std::string(toString(rule)) + "|" + control +
                  "|" + other + "|" + std::to_string(where.dpi) + "|" + scale;
  // Only cases on monitors of their own add to the key, so that earlier
  // reports of one screen per DPI still match.
  if (where.monitor >= 0) k += "|monitor " + std::to_string(where.monitor);
  if (where.move) k += "|move " + pointName(*where.move);
  return k;
}

// ---- Measuring

namespace {

// The text as the control draws it: '&' marks a mnemonic, "&&" is one '&'.
std::u16string Shown(const std::string& text) {
  std::u16string out;
  const std::u16string in = flx::Utf8ToUtf16(text);
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == u'&' && i + 1 < in.size())
      ++i;
    else if (in[i] == u'&')
      continue;
    out += in[i];
  }
  return out;
}

// A text for a message: on one line, and not a page long.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  std::size_t shown = 0;
  for (const char ch : text) {
    // Characters, not bytes: a UTF-8 sequence is never cut.
    const bool continuation = (static_cast<unsigned char>(ch) & 0xC0) == 0x80;
    if (!continuation && ++shown > 60) {
      out += "...";
      break;
    }
    if (ch == '\n')
      out += "\\n";
    else if (ch == '\r')
      out += "\\r";
    else if (ch == '\t')
      out += "\\t";
    else
      out += ch;
  }
  return out + "'";
}

// A screen DC with the control's font selected.
class FontDc {
 public:
  explicit FontDc(const ControlLayout& c) {
    win::LOGFONTW lf{};
    lf.lfHeight = c.fontHeight ? *c.fontHeight : -c.fontPixels;
    lf.lfWeight = c.bold ? win::FW_BOLD : win::FW_NORMAL;
    lf.lfItalic = c.italic ? 1 : 0;
    const std::u16string face = flx::Utf8ToUtf16(c.fontName);
    const std::size_t n = std::min<std::size_t>(face.size(), 31);
    std::copy_n(face.begin(), n, lf.lfFaceName);
    dc_ = win::GetDC(nullptr);
    font_ = win::CreateFontIndirectW(&lf);
    previous_ = win::SelectObject(dc_, font_);
  }
  ~FontDc() {
    win::SelectObject(dc_, previous_);
    win::DeleteObject(font_);
    win::ReleaseDC(nullptr, dc_);
  }
  FontDc(const FontDc&) = delete;
  FontDc& operator=(const FontDc&) = delete;

  // The size a single line needs; nullopt when the font cannot measure.
  std::optional<win::SIZE> line(std::u16string_view text) const {
    win::SIZE size{};
    if (!win::GetTextExtentPoint32W(dc_, text, &size)) return std::nullopt;
    return size;
  }
  // Lines broken at `width`.
  std::optional<win::SIZE> wrapped(std::u16string_view text, int width) const {
    win::RECT rect{0, 0, width, 0};
    if (win::DrawTextW(
            dc_, text, &rect,
            win::DT_CALCRECT | win::DT_WORDBREAK | win::DT_NOPREFIX) == 0) {
      return std::nullopt;
    }
    return win::SIZE{rect.right, rect.bottom};
  }
  int leading() const {
    win::TEXTMETRICW tm{};
    return win::GetTextMetricsW(dc_, &tm) ? tm.tmInternalLeading : 0;
  }

 private:
  win::HDC dc_;
  win::HFONT font_;
  win::HFONT previous_;
};

int Scaled(int pixels96, int dpi) { return flx::MulDiv(pixels96, dpi, 96); }

// ---- The layout as rectangles

// A control's name within the form: its own, or its frame's and its own
// ("Frame1.lblStreet"), since two frames may hold controls of one name.
std::string PathOf(const StepLayout& step, const ControlLayout& c) {
  return c.owner.empty() || c.owner == step.form.name ? c.name
                                                      : c.owner + "." + c.name;
}

struct Placed {
  const ControlLayout* control;
  win::RECT inParent;  // relative to the parent's client area
  win::RECT inForm;    // relative to the form's client area
};

// The parent's entry: a control of the same owner, else the control of
// that name the form or a frame owns (a frame's own controls have the frame
// for parent).
template <typename Map>
auto FindParent(const StepLayout& step, Map& placed, const ControlLayout& c) {
  if (c.owner != step.form.name && !c.owner.empty()) {
    if (auto p = placed.find(c.owner + "." + c.parent); p != placed.end()) {
      return p;
    }
  }
  return placed.find(c.parent);
}

// Every control by its path, placed in its parent and in the form.
std::map<std::string, Placed> Place(const StepLayout& step) {
  std::map<std::string, Placed> placed;
  // Parents come before their children in report order.
  for (const auto& c : step.controls) {
    win::RECT r{c.left, c.top, c.left + c.width, c.top + c.height};
    win::RECT f = r;
    if (auto p = FindParent(step, placed, c); p != placed.end()) {
      win::OffsetRect(&f, p->second.inForm.left, p->second.inForm.top);
    }
    placed[PathOf(step, c)] = Placed{&c, r, f};
  }
  return placed;
}

int Area(const win::RECT& a, const win::RECT& b) {
  const int w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const int h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// One's edge lies on the other's, with rows or columns in common.
bool Touching(const win::RECT& a, const win::RECT& b) {
  const bool rows = std::min(a.bottom, b.bottom) > std::max(a.top, b.top);
  const bool cols = std::min(a.right, b.right) > std::max(a.left, b.left);
  return (rows && (a.right == b.left || b.right == a.left)) ||
         (cols && (a.bottom == b.top || b.bottom == a.top));
}

bool Shows(const ControlLayout& c) {
  return c.visible && c.width > 0 && c.height > 0;
}

// ---- Findings

class Checker {
 public:
  Checker(const StepLayout& now, const StepLayout& design,
          const LintCase& where, const LintSettings& settings, int formMinFont)
      : now_(now),
        design_(design),
        where_(where),
        settings_(settings),
        formMinFont_(formMinFont),
        placedNow_(Place(now)),
        placedDesign_(Place(design)) {}

  std::vector<LintFinding> run() {
    for (const auto& c : now_.controls) {
      if (!Shows(c)) continue;
      if (settings_.enabled(LintRule::ClippedText)) clippedText(c);
      if (settings_.enabled(LintRule::Outside)) outside(c);
      if (settings_.enabled(LintRule::SmallFont)) smallFont(c);
    }
    if (settings_.enabled(LintRule::Overlap) ||
        settings_.enabled(LintRule::Seam)) {
      siblings();
    }
    return std::move(findings_);
  }

 private:
  void add(LintRule rule, const ControlLayout& c, std::string message,
           int pixels, const std::string& other = {}) {
    LintFinding f;
    f.rule = rule;
    f.where = where_;
    f.control = PathOf(now_, c);
    f.other = other;
    f.message = std::move(message);
    f.pixels = pixels;
    if (auto p = placedNow_.find(f.control); p != placedNow_.end()) {
      f.box = p->second.inForm;
    }
    findings_.push_back(std::move(f));
  }

  std::string at() const { return " at " + caseName(where_); }

  // The height a line's letters need: the internal leading above them
  // holds only accents, so plain ASCII may lose it unseen.
  static int InkHeight(const FontDc& dc, std::u16string_view text,
                       int lineHeight) {
    const bool accents = std::any_of(text.begin(), text.end(),
                                     [](char16_t ch) { return ch > 0x7F; });
    return accents ? lineHeight : lineHeight - dc.leading();
  }

  // One line of text against the room it has.
  void fits(const ControlLayout& c, const FontDc& dc, const std::string& text,
            int roomWidth, int roomHeight, const std::string& what) {
    const std::u16string shown = Shown(text);
    if (shown.empty()) return;
    const auto size = dc.line(shown);
    if (!size) return;
    if (size->cx > roomWidth) {
      const int missing = size->cx - std::max(roomWidth, 0);
      add(LintRule::ClippedText, c,
          what + " " + Quoted(text) + " needs " + std::to_string(missing) +
              " px more width" + at(),
          missing);
    } else if (const int ink = InkHeight(dc, shown, size->cy);
               ink > roomHeight) {
      const int missing = ink - std::max(roomHeight, 0);
      add(LintRule::ClippedText, c,
          what + " " + Quoted(text) + " needs " + std::to_string(missing) +
              " px more height" + at(),
          missing);
    }
  }

  // Each class's text area, in pixels at the case's DPI: what Windows
  // leaves for the caption once frames, boxes and margins are drawn.
  void clippedText(const ControlLayout& c) {
    if (c.fontName.empty() || (c.fontPixels == 0 && !c.fontHeight)) return;
    const FontDc dc(c);
    const int dpi = where_.dpi;
    switch (c.look) {
      case Look::Button:
        // The button's edge (2 px) and the focus rectangle's inset (1 px)
        // on each side, and a pixel of air.
        fits(c, dc, c.text, c.width - 8, c.height - 4, "caption");
        break;
      case Look::Check:
      case Look::Radio:
        // The box (13 px at 96 DPI) and the gap after it.
        fits(c, dc, c.text, c.width - Scaled(13, dpi) - Scaled(4, dpi),
             c.height, "caption");
        break;
      case Look::Label:
      case Look::Static:
        if (c.wordWrap) {
          const auto need = dc.wrapped(Shown(c.text), c.width);
          if (need && need->cy > c.height) {
            add(LintRule::ClippedText, c,
                "text " + Quoted(c.text) + " needs " +
                    std::to_string(need->cy - c.height) +
                    " px more height for its lines" + at(),
                need->cy - c.height);
          } else if (need && need->cx > c.width) {
            add(LintRule::ClippedText, c,
                "a word of " + Quoted(c.text) + " needs " +
                    std::to_string(need->cx - c.width) + " px more width" +
                    at(),
                need->cx - c.width);
          }
        } else if (!c.autoSize) {
          fits(c, dc, c.text, c.width, c.height, "caption");
        }
        break;
      case Look::Edit:
        // The sunken edge (2 px) and the edit's margin (1 px) each side.
        fits(c, dc, c.text, c.width - 6, c.height - 4, "text");
        break;
      case Look::Combo:
        // The same, less the drop-down button (a scroll bar's width).
        fits(c, dc, c.text, c.width - 6 - Scaled(17, dpi), c.height - 4,
             "text");
        break;
      case Look::Group:
      case Look::RadioGroup:
        // The caption starts 8 px in and keeps clear of the right frame.
        fits(c, dc, c.text, c.width - 16, c.height, "caption");
        break;
      case Look::Panel:
        fits(c, dc, c.text, c.width - 4, c.height - 4, "caption");
        break;
      case Look::Tabs: {
        // Tabs size themselves to their captions (6 px padding each
        // side); past the control's width Windows scrolls them.
        int total = 0;
        for (const auto& item : c.items) {
          if (auto s = dc.line(Shown(item))) total += s->cx + 12;
        }
        if (total > c.width) {
          add(LintRule::ClippedText, c,
              "tab captions need " + std::to_string(total - c.width) +
                  " px more width" + at(),
              total - c.width);
        }
        break;
      }
      case Look::Header:
      case Look::Status: {
        // Each column or panel's text against its width less 6 px padding
        // each side (a status panel: its 2 px bevel and margins).
        const std::size_t n = std::min(c.items.size(), c.columns.size());
        int used = 0;
        for (std::size_t i = 0; i < n; ++i) {
          const std::u16string shown = Shown(c.items[i]);
          const auto s = dc.line(shown);
          // A status bar's last panel reaches to the bar's right end.
          const int width = c.look == Look::Status && i + 1 == n
                                ? c.width - used
                                : c.columns[i];
          used += c.columns[i];
          const int room = width - 12;
          if (s && !shown.empty() && s->cx > room && width > 0) {
            add(LintRule::ClippedText, c,
                std::string(c.look == Look::Header ? "column" : "panel") + " " +
                    Quoted(c.items[i]) + " needs " +
                    std::to_string(s->cx - room) + " px more width" + at(),
                s->cx - room);
          }
        }
        break;
      }
      default:
        break;
    }
  }

  // The parent's client area: the form's, or the parent control's box.
  std::optional<win::RECT> parentClient(
      const StepLayout& step, const std::map<std::string, Placed>& placed,
      const ControlLayout& c) const {
    if (c.parent.empty()) return std::nullopt;
    if (c.parent == step.form.name) {
      return win::RECT{0, 0, step.form.clientWidth, step.form.clientHeight};
    }
    auto p = FindParent(step, placed, c);
    if (p == placed.end()) return std::nullopt;
    return win::RECT{0, 0, p->second.control->width, p->second.control->height};
  }

  static bool Inside(const win::RECT& r, const win::RECT& area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right &&
           r.bottom <= area.bottom;
  }

  void outside(const ControlLayout& c) {
    const auto d = placedDesign_.find(PathOf(now_, c));
    const auto n = placedNow_.find(PathOf(now_, c));
    if (d == placedDesign_.end() || n == placedNow_.end()) return;
    const auto areaNow = parentClient(now_, placedNow_, c);
    const auto areaDesign =
        parentClient(design_, placedDesign_, *d->second.control);
    if (!areaNow || !areaDesign) return;
    if (!Inside(d->second.inParent, *areaDesign)) return;
    const win::RECT& r = n->second.inParent;
    if (Inside(r, *areaNow)) return;
    const int over =
        std::max({areaNow->left - r.left, areaNow->top - r.top,
                  r.right - areaNow->right, r.bottom - areaNow->bottom});
    add(LintRule::Outside, c,
        "leaves " + c.parent + "'s client area by " + std::to_string(over) +
            " px" + at(),
        over);
  }

  void smallFont(const ControlLayout& c) {
    if (!c.fontSize) return;
    // A negative size is a font given by its cell height, as the System
    // font a window without one of its own falls back to: its magnitude
    // is its size.
    const int size = std::abs(*c.fontSize);
    const int floor = std::max(settings_.minFont, formMinFont_);
    if (size >= floor) return;
    add(LintRule::SmallFont, c,
        "font of " + std::to_string(size) + " pt is under " +
            std::to_string(floor) + " pt" + at(),
        floor - size);
  }

  // Seams: edges that met at design (one's right at the other's left, or
  // the same left, right, top or bottom) and are now 1 or 2 px apart; a
  // bigger difference is a layout choice, not rounding.
  void seam(const ControlLayout& a, const ControlLayout& b, const win::RECT& da,
            const win::RECT& db, const win::RECT& na, const win::RECT& nb) {
    struct Edge {
      const char* what;
      int design;
      int now;
    };
    // Touching needs the two to share some rows (columns) at design.
    const bool rows = std::min(da.bottom, db.bottom) > std::max(da.top, db.top);
    const bool cols = std::min(da.right, db.right) > std::max(da.left, db.left);
    const int none = 1;  // a design difference that never counts
    const Edge edges[] = {
        {"touch (right to left)", rows ? da.right - db.left : none,
         na.right - nb.left},
        {"touch (right to left)", rows ? db.right - da.left : none,
         nb.right - na.left},
        {"touch (bottom to top)", cols ? da.bottom - db.top : none,
         na.bottom - nb.top},
        {"touch (bottom to top)", cols ? db.bottom - da.top : none,
         nb.bottom - na.top},
        {"line up (left edges)", da.left - db.left, na.left - nb.left},
        {"line up (right edges)", da.right - db.right, na.right - nb.right},
        {"line up (top edges)", da.top - db.top, na.top - nb.top},
        {"line up (bottom edges)", da.bottom - db.bottom,
         na.bottom - nb.bottom},
    };
    for (const auto& e : edges) {
      if (e.design != 0) continue;
      const int apart = std::abs(e.now);
      if (apart == 0 || apart > 2) continue;
      add(LintRule::Seam, a,
          std::string("and ") + PathOf(now_, b) + " " + e.what +
              " at design; now " + std::to_string(apart) + " px " +
              (e.now > 0 && e.what[0] == 't' ? "overlapping" : "apart") + at(),
          apart, PathOf(now_, b));
      return;  // one seam a pair
    }
  }

  void siblings() {
    std::map<std::string, std::vector<const ControlLayout*>> byParent;
    for (const auto& c : now_.controls) {
      if (!Shows(c) || c.parent.empty()) continue;
      const auto p = FindParent(now_, placedNow_, c);
      byParent[p != placedNow_.end() ? PathOf(now_, *p->second.control)
                                     : c.parent]
          .push_back(&c);
    }
    for (const auto& [parent, kids] : byParent) {
      for (std::size_t i = 0; i < kids.size(); ++i) {
        for (std::size_t j = i + 1; j < kids.size(); ++j) {
          const auto& a = *kids[i];
          const auto& b = *kids[j];
          const auto da = placedDesign_.find(PathOf(now_, a));
          const auto db = placedDesign_.find(PathOf(now_, b));
          if (da == placedDesign_.end() || db == placedDesign_.end()) continue;
          if (!Shows(*da->second.control) || !Shows(*db->second.control)) {
            continue;
          }
          const win::RECT& na = placedNow_.at(PathOf(now_, a)).inParent;
          const win::RECT& nb = placedNow_.at(PathOf(now_, b)).inParent;
          // Controls that touched at design and overlap by rounding are a
          // seam, not an overlap.
          if (settings_.enabled(LintRule::Overlap) &&
              Area(da->second.inParent, db->second.inParent) == 0 &&
              !Touching(da->second.inParent, db->second.inParent)) {
            const int w =
                std::min(na.right, nb.right) - std::max(na.left, nb.left);
            const int h =
                std::min(na.bottom, nb.bottom) - std::max(na.top, nb.top);
            if (w > 0 && h > 0) {
              add(LintRule::Overlap, a,
                  "overlaps " + PathOf(now_, b) + " by " + std::to_string(w) +
                      "x" + std::to_string(h) + " px" + at(),
                  std::min(w, h), PathOf(now_, b));
              continue;
            }
          }
          if (settings_.enabled(LintRule::Seam)) {
            seam(a, b, da->second.inParent, db->second.inParent, na, nb);
          }
        }
      }
    }
  }

  const StepLayout& now_;
  const StepLayout& design_;
  LintCase where_;
  const LintSettings& settings_;
  int formMinFont_;
  std::map<std::string, Placed> placedNow_;
  std::map<std::string, Placed> placedDesign_;
  std::vector<LintFinding> findings_;
};

}  // namespace

std::vector<LintFinding> checkLayout(const StepLayout& now,
                                     const StepLayout& design,
                                     const LintCase& where,
                                     const LintSettings& settings,
                                     int formMinFont) {
  return Checker(now, design, where, settings, formMinFont).run();
}

}  // namespace flexarium_cli
