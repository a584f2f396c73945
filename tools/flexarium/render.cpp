#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "report.h"

namespace flexarium_cli {

namespace {

constexpr int kPad = 16;
constexpr int kFooter = 60;
constexpr const char* kUiFont = "'Segoe UI', Tahoma, 'DejaVu Sans', sans-serif";

std::string num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", v);
  std::string s = buffer;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) {
    s.resize(s.size() - 2);
  }
  return s == "-0" ? "0" : s;
}

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

// Width of a text line in a proportional font, roughly.
double textWidth(const std::string& text, int pixels) {
  std::size_t glyphs = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++glyphs;
  }
  return 0.56 * pixels * static_cast<double>(glyphs);
}

class Svg {
 public:
  explicit Svg(std::ostringstream& out) : out_(out) {}

  void rect(double x, double y, double w, double h, const std::string& fill,
            const std::string& stroke, const std::string& extra = "") {
    if (w <= 0 || h <= 0) return;
    out_ << "<rect x=\"" << num(x) << "\" y=\"" << num(y) << "\" width=\""
         << num(w) << "\" height=\"" << num(h) << "\" fill=\"" << fill << "\"";
    if (!stroke.empty()) out_ << " stroke=\"" << stroke << "\"";
    if (!extra.empty()) out_ << " " << extra;
    out_ << "/>\n";
  }

  void line(double x1, double y1, double x2, double y2,
            const std::string& stroke, double width = 1) {
    out_ << "<line x1=\"" << num(x1) << "\" y1=\"" << num(y1) << "\" x2=\""
         << num(x2) << "\" y2=\"" << num(y2) << "\" stroke=\"" << stroke
         << "\" stroke-width=\"" << num(width) << "\"/>\n";
  }

  void text(double x, double y, const std::string& content, int pixels,
            const std::string& family, const std::string& fill,
            const std::string& anchor = "start", bool bold = false,
            bool italic = false) {
    if (content.empty() || pixels <= 0) return;
    out_ << "<text x=\"" << num(x) << "\" y=\"" << num(y) << "\" font-size=\""
         << pixels << "\" font-family=\"" << family << "\" fill=\"" << fill
         << "\"";
    if (anchor != "start") out_ << " text-anchor=\"" << anchor << "\"";
    if (bold) out_ << " font-weight=\"bold\"";
    if (italic) out_ << " font-style=\"italic\"";
    out_ << ">" << xmlEscape(content) << "</text>\n";
  }

  std::ostringstream& raw() { return out_; }

 private:
  std::ostringstream& out_;
};

// What a control shows: its caption or text, else its name.
std::string label(const ControlLayout& c, bool& isName) {
  isName = c.text.empty();
  if (!isName) {
    // One line is enough for a picture; the rest would be clipped anyway.
    auto nl = c.text.find_first_of("\r\n");
    return nl == std::string::npos ? c.text : c.text.substr(0, nl);
  }
  return c.name.empty() ? c.className : c.name;
}

void drawControl(Svg& svg, const ControlLayout& c, const std::string& hatch) {
  const double w = c.width;
  const double h = c.height;
  const int px = c.fontSize ? std::max(1, c.fontPixels) : 10;
  const std::string family =
      c.fontSize ? fontFamily(c.fontName) : xmlEscape(kUiFont);
  bool isName = false;
  const std::string text = label(c, isName);
  const std::string ink = isName ? "#8a8a8a" : "#000000";
  const bool italic = c.italic || isName;
  const double middle = h / 2 + px * 0.35;
  const double firstLine = 2 + px * 0.9;
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
        svg.rect(1.5, top, box, box, "#ffffff", "#333333");
      } else {
        svg.raw() << "<circle cx=\"" << num(1.5 + box / 2) << "\" cy=\""
                  << num(top + box / 2) << "\" r=\"" << num(box / 2)
                  << "\" fill=\"#ffffff\" stroke=\"#333333\"/>\n";
      }
      svg.text(box + 6, middle, text, px, family, ink, "start", c.bold, italic);
      break;
    }
    case Look::Edit:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", "#7a7a7a");
      svg.text(4, middle, text, px, family, ink, "start", c.bold, italic);
      break;
    case Look::Combo: {
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", "#7a7a7a");
      const double arrow = std::min(h - 2, 17.0 * h / 21.0);
      svg.rect(w - arrow - 1, 1, arrow, h - 2, "#e5e5e5", "");
      svg.raw() << "<path d=\"M" << num(w - arrow * 0.75 - 1) << " "
                << num(h * 0.42) << " L" << num(w - arrow / 2 - 1) << " "
                << num(h * 0.6) << " L" << num(w - arrow * 0.25 - 1) << " "
                << num(h * 0.42) << "\" fill=\"none\" stroke=\"#444444\"/>\n";
      svg.text(4, middle, text, px, family, ink, "start", c.bold, italic);
      break;
    }
    case Look::Memo:
    case Look::List:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#ffffff", "#7a7a7a");
      svg.text(4, firstLine, text, px, family, ink, "start", c.bold, italic);
      break;
    case Look::Label:
      svg.rect(0.5, 0.5, w - 1, h - 1, "none", "#c9d3df",
               "stroke-dasharray=\"2 2\"");
      svg.text(0, px * 0.9, text, px, family, ink, "start", c.bold, italic);
      break;
    case Look::Group: {
      const double top = px / 2.0;
      svg.rect(0.5, top, w - 1, h - top - 0.5, "none", "#c5c5c5", "rx=\"2\"");
      svg.rect(6, 0, textWidth(text, px) + 6, px + 2, "#f0f0f0", "");
      svg.text(9, px * 0.9, text, px, family, ink, "start", c.bold, italic);
      break;
    }
    case Look::Panel:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#f0f0f0", "#a0a0a0");
      if (!isName) {
        svg.text(w / 2, middle, text, px, family, ink, "middle", c.bold,
                 c.italic);
      }
      break;
    case Look::Frame:
      svg.rect(0.5, 0.5, w - 1, h - 1, "none", "#6f8fb0",
               "stroke-dasharray=\"6 3\"");
      svg.text(3, firstLine, c.name, px, family, "#6f8fb0", "start", false,
               true);
      break;
    case Look::Page:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#f9f9f9", "#adadad");
      svg.text(6, firstLine, text, px, family, ink, "start", c.bold, italic);
      break;
    case Look::Bar:
      svg.rect(0, 0, w, h, "#e8e8e8", "#c2c2c2");
      svg.text(4, middle, text, px, family, ink, "start", c.bold, italic);
      break;
    case Look::Picture:
      svg.rect(0.5, 0.5, w - 1, h - 1, "url(#" + hatch + ")", "#9a9a9a");
      svg.text(w / 2, middle, text, px, family, "#6a6a6a", "middle", false,
               true);
      break;
    case Look::Generic:
      svg.rect(0.5, 0.5, w - 1, h - 1, "#fafafa", "#999999",
               "stroke-dasharray=\"3 2\"");
      svg.text(4, firstLine, text, px, family, ink, "start", c.bold, italic);
      break;
  }
}

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
  Svg svg(out);
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
      << num(canvasW * options.scale) << "\" height=\""
      << num(canvasH * options.scale) << "\" viewBox=\"0 0 " << canvasW << " "
      << canvasH << "\" font-family=\"" << xmlEscape(kUiFont) << "\">\n";
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
      drawControl(svg, c, hatch);
      open.push_back(c.depth);
    }
    while (!open.empty()) {
      out << "</svg>\n";
      open.pop_back();
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
      char buffer[96];
      std::snprintf(buffer, sizeof buffer, "x %.4f, y %.4f, font %.4f",
                    s.factors->x, s.factors->y, s.factors->font());
      row("factors", buffer);
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
