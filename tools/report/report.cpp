#include "report.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "number.h"

namespace flexarium_cli {

namespace {

std::string fontText(const ControlLayout& c) {
  if (!c.fontSize) return "-";
  std::string text = std::to_string(*c.fontSize) + " pt";
  if (c.parentFont.value_or(false)) text += " (parent)";
  return text;
}

std::string notes(const ControlLayout& c) {
  std::string text;
  if (!c.visible) text = "hidden";
  if (c.parent.empty()) text += text.empty() ? "no parent" : ", no parent";
  return text;
}

std::string pad(const std::string& s, std::size_t width, bool right) {
  if (s.size() >= width) return s;
  std::string fill(width - s.size(), ' ');
  return right ? fill + s : s + fill;
}

// Every string in the document, made valid UTF-8.
void makeOutputText(nlohmann::ordered_json& j) {
  if (j.is_string()) {
    j = outputText(j.get_ref<const std::string&>());
  } else if (j.is_structured()) {
    for (auto& item : j) makeOutputText(item);
  }
}

// A rectangle's four keys, in the order every report gives them.
void putBounds(nlohmann::ordered_json& j, int left, int top, int width,
               int height) {
  j["left"] = left;
  j["top"] = top;
  j["width"] = width;
  j["height"] = height;
}

}  // namespace

std::string outputText(std::string_view text) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  auto byte = [&](std::size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
  };
  auto follows = [&](std::size_t i) { return (byte(i) & 0xC0) == 0x80; };
  for (std::size_t i = 0; i < text.size();) {
    const unsigned b = byte(i);
    std::size_t n = 0;
    if (b < 0x80) {
      n = 1;
    } else if (b >= 0xC2 && b < 0xE0) {
      n = follows(i + 1) ? 2 : 0;
    } else if (b >= 0xE0 && b < 0xF0) {
      const unsigned b1 = byte(i + 1);
      if (follows(i + 1) && follows(i + 2) && (b != 0xE0 || b1 >= 0xA0)) {
        // ED A0..BF: a surrogate, one replacement for its three bytes.
        if (b == 0xED && b1 >= 0xA0) {
          out += kReplacement;
          i += 3;
          continue;
        }
        n = 3;
      }
    } else if (b >= 0xF0 && b < 0xF5) {
      const unsigned b1 = byte(i + 1);
      if (follows(i + 1) && follows(i + 2) && follows(i + 3) &&
          (b != 0xF0 || b1 >= 0x90) && (b != 0xF4 || b1 < 0x90)) {
        n = 4;
      }
    }
    if (n == 0) {
      out += kReplacement;
      ++i;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

std::string formatHeader(const PreviewReport& report) {
  std::ostringstream out;
  const StepLayout* first = report.steps.empty() ? nullptr : &report.steps[0];
  std::string form =
      first ? first->form.name + " (" + first->form.className + ")" : "form";
  out << report.file << ": " << form;
  if (report.component) {
    out << ", rescaled by " << *report.component << "\n";
  } else {
    out << " has no TFlexarium: nothing rescales\n";
  }
  out << "screen " << report.screen.describe() << "\n";
  return outputText(out.str());
}

std::string formatFactors(const StepLayout& step) {
  if (!step.factors) return "none yet (no rescale pass)";
  std::string text = "x " + fixedNumber(step.factors->x, 4) + ", y " +
                     fixedNumber(step.factors->y, 4) + ", font " +
                     fixedNumber(step.factors->font(), 4);
  text += " (" + std::to_string(step.passes) +
          (step.passes == 1 ? " rescale pass)" : " rescale passes)");
  return text;
}

std::string formatStep(const StepLayout& step, int number) {
  std::ostringstream out;
  const FormLayout& f = step.form;
  out << "Step " << number << ": " << step.action << "\n";
  out << "  form " << f.name << ": window " << f.window.left << ","
      << f.window.top << " " << (f.window.right - f.window.left) << "x"
      << (f.window.bottom - f.window.top) << ", client " << f.clientWidth << "x"
      << f.clientHeight << ", font " << f.fontSize << " pt, " << f.state
      << (f.shown ? "" : ", hidden");
  // Where the DPI can differ from monitor to monitor.
  if (step.monitors.size() > 1) {
    out << ", " << step.dpi << " DPI on monitor " << step.monitor;
  }
  out << "\n";
  out << "  factors: " << formatFactors(step) << "\n";
  for (const std::string& e : step.errors) out << "  error: " << e << "\n";

  std::vector<std::vector<std::string>> rows;
  rows.push_back(
      {"NAME", "CLASS", "LEFT", "TOP", "WIDTH", "HEIGHT", "FONT", ""});
  for (const ControlLayout& c : step.controls) {
    std::string name = std::string(2 * static_cast<std::size_t>(c.depth), ' ') +
                       (c.name.empty() ? "(unnamed)" : c.name);
    rows.push_back({name, c.className, std::to_string(c.left),
                    std::to_string(c.top), std::to_string(c.width),
                    std::to_string(c.height), fontText(c), notes(c)});
  }
  std::vector<std::size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      widths[i] = std::max(widths[i], row[i].size());
    }
  }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      // Numbers line up on the right, words on the left.
      const bool right = i >= 2 && i <= 5;
      line += "  " + pad(row[i], widths[i], right);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << "\n";
  }
  if (step.controls.empty()) out << "  (no controls)\n";
  return outputText(out.str());
}

nlohmann::ordered_json stepToJson(const StepLayout& step) {
  using json = nlohmann::ordered_json;
  json s;
  s["action"] = step.action;
  if (step.factors) {
    s["xscale"] = step.factors->x;
    s["yscale"] = step.factors->y;
    s["font_scale"] = step.factors->font();
  } else {
    s["xscale"] = nullptr;
    s["yscale"] = nullptr;
    s["font_scale"] = nullptr;
  }
  s["passes"] = step.passes;
  s["dpi"] = step.dpi;
  s["monitor"] = step.monitor;
  const FormLayout& f = step.form;
  json form;
  form["name"] = f.name;
  form["class"] = f.className;
  form["caption"] = f.caption;
  putBounds(form, f.window.left, f.window.top, f.window.right - f.window.left,
            f.window.bottom - f.window.top);
  form["client_width"] = f.clientWidth;
  form["client_height"] = f.clientHeight;
  // Where the client area starts within the window rectangle.
  form["client_left"] = f.clientLeft;
  form["client_top"] = f.clientTop;
  form["font_size"] = f.fontSize;
  form["font_height"] = f.fontHeight;
  form["window_state"] = f.state;
  form["shown"] = f.shown;
  json visible;
  putBounds(visible, f.visible.left, f.visible.top,
            f.visible.right - f.visible.left, f.visible.bottom - f.visible.top);
  form["visible_frame"] = std::move(visible);
  s["form"] = std::move(form);
  json controls = json::array();
  for (const ControlLayout& c : step.controls) {
    json j;
    j["name"] = c.name;
    if (c.controlId) j["id"] = *c.controlId;
    j["class"] = c.className;
    j["owner"] = c.owner;
    j["parent"] = c.parent;
    putBounds(j, c.left, c.top, c.width, c.height);
    j["font_size"] = c.fontSize ? json(*c.fontSize) : json(nullptr);
    j["font_height"] = c.fontHeight ? json(*c.fontHeight) : json(nullptr);
    j["parent_font"] = c.parentFont ? json(*c.parentFont) : json(nullptr);
    j["caption"] = c.text;
    j["visible"] = c.visible;
    if (c.columnWidths) j["columns"] = *c.columnWidths;
    // A grid's sizes: how many, the default, and the first ones up to the
    // last that differs from the default.
    if (c.colWidths) {
      j["col_count"] = c.colWidths->count;
      j["default_col_width"] = c.colWidths->defaultSize;
      j["col_widths"] = c.colWidths->leading;
    }
    if (c.rowHeights) {
      j["row_count"] = c.rowHeights->count;
      j["default_row_height"] = c.rowHeights->defaultSize;
      j["row_heights"] = c.rowHeights->leading;
    }
    j["look"] = std::string(toString(c.look));
    // Whether the control shows a frame, a caption, a text or an item.
    j["drawn"] = c.drawn;
    if (!c.items.empty()) {
      j["items"] = c.items;
      j["item_index"] = c.itemIndex;
    }
    if (c.look == Look::Check || c.look == Look::Radio) j["checked"] = c.check;
    controls.push_back(std::move(j));
  }
  s["controls"] = std::move(controls);
  s["errors"] = step.errors;
  makeOutputText(s);
  return s;
}

nlohmann::ordered_json reportToJson(const PreviewReport& report) {
  using json = nlohmann::ordered_json;
  json doc;
  doc["file"] = report.file;
  const ScreenSettings& sc = report.screen;
  doc["screen"] = {
      {"width", sc.screen.width},
      {"height", sc.screen.height},
      {"dpi_x", sc.dpi.width},
      {"dpi_y", sc.dpi.height},
      {"taskbar", describeTaskbar(sc.taskbar)},
      {"windows", std::to_string(sc.windows.major) + "." +
                      std::to_string(sc.windows.minor)},
      {"locale", sc.locale},
      {"composition", sc.composition},
      {"frame", sc.frame ? json(describeFrame(*sc.frame)) : json(nullptr)},
      {"awareness", std::string(flx::sim::toString(sc.awareness))}};
  json monitors = json::array();
  for (const auto& m : sc.monitors) monitors.push_back(describeMonitor(m));
  doc["screen"]["monitors"] = std::move(monitors);
  doc["component"] = report.component ? json(*report.component) : json(nullptr);
  json steps = json::array();
  for (const StepLayout& step : report.steps) steps.push_back(stepToJson(step));
  doc["steps"] = std::move(steps);
  makeOutputText(doc);
  return doc;
}

}  // namespace flexarium_cli
