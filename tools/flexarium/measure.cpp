// flexarium measure: text measured as the window system measures it, for
// one string or a list of cases; `--plan` makes that list from form files
// (every caption, text and item in every face and size the forms use, at
// the DPIs a team ships for). The native tests measure the same list with
// GDI under Wine and hold the two against each other.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <tuple>

#include "commands.h"
#include "flexarium/form_text.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "form_input.h"

namespace flexarium_cli {

namespace win = flx::win;

namespace {

// A case line: FACE<TAB>LFHEIGHT<TAB>WEIGHT<TAB>ITALIC<TAB>TEXT, the text as
// UTF-16 code units in hexadecimal (4 digits each), so that no encoding
// stands between the two desktops.
std::string Hex(std::u16string_view text) {
  std::string out;
  char unit[8];
  for (const char16_t c : text) {
    std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(c));
    out += unit;
  }
  return out;
}

std::optional<std::u16string> FromHex(const std::string& hex) {
  if (hex.size() % 4 != 0) return std::nullopt;
  std::u16string out;
  for (std::size_t i = 0; i < hex.size(); i += 4) {
    try {
      std::size_t used = 0;
      const unsigned long v = std::stoul(hex.substr(i, 4), &used, 16);
      if (used != 4) return std::nullopt;
      out += static_cast<char16_t>(v);
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  return out;
}

void CollectStrings(const flx::FormObject& object,
                    std::set<std::u16string>& texts,
                    std::set<std::string>& faces,
                    std::set<std::tuple<std::string, bool>>& styles) {
  for (const auto& p : object.props) {
    if (p.value.kind == flx::FormValue::Kind::String &&
        (p.name == "Caption" || p.name == "Text" || p.name.ends_with("Text")) &&
        !p.value.str.empty() && p.value.str.size() < 200) {
      texts.insert(p.value.str);
    }
    if (p.value.kind == flx::FormValue::Kind::List) {
      for (const auto& item : p.value.list) {
        if (item.kind == flx::FormValue::Kind::String && !item.str.empty() &&
            item.str.size() < 200) {
          texts.insert(item.str);
        }
      }
    }
    if (p.name.ends_with("Font.Name") &&
        p.value.kind == flx::FormValue::Kind::String) {
      faces.insert(flx::Utf16ToUtf8(p.value.str));
    }
    if (p.name.ends_with("Font.Style") &&
        p.value.kind == flx::FormValue::Kind::Set) {
      for (const auto& s : p.value.set) {
        if (s == "fsBold") styles.insert({"bold", true});
      }
    }
  }
  for (const auto& child : object.children) {
    CollectStrings(*child, texts, faces, styles);
  }
}

// Strings every font is tried with besides the forms' own.
const char16_t* const kFixedStrings[] = {
    u"OK",
    u"Cancel",
    u"Apply all changes",
    u"Object Type:",
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ",
    u"0123456789",
    u"1,234,567.89",
    u"Caf\u00e9 cr\u00e8me br\u00fbl\u00e9e",
    (u"\u00c0\u00c9\u00ce\u00d5\u00dc \u00e0\u00e9\u00ee\u00f5\u00fc "
     u"\u00df\u00e7\u00f1"),
    u"Donaudampfschifffahrtsgesellschaftskapit\u00e4n",
    u"Internationalization",
    u"W i d e   s p a c e s",
    u"iiiiiiiiii",
    u"WWWWWWWWWW",
    u"(parenthesised) [bracketed] {braced}",
    u"a\tb",
};

}  // namespace

void addMeasureCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "measure",
      "Measure text as the window system does (GetTextExtentPoint32W): "
      "one string, a list of cases, or make that list from form files.");
  struct Args {
    std::string text;
    std::string face = "Tahoma";
    int size = 8;
    int dpi = 96;
    bool bold = false;
    std::string cases;
    std::vector<std::string> plan;
  };
  auto args = std::make_shared<Args>();
  cmd->add_option("TEXT", args->text, "The text to measure");
  cmd->add_option("--face", args->face, "Font face (default Tahoma)");
  cmd->add_option("--size", args->size, "Font size in points (default 8)")
      ->check(CLI::Range(1, 1000));
  cmd->add_option("--dpi", args->dpi, "Screen DPI (default 96)")
      ->check(CLI::Range(24, 2000));
  cmd->add_flag("--bold", args->bold, "Bold");
  cmd->add_option("--cases", args->cases,
                  "Measure each case of FILE (FACE, LFHEIGHT, WEIGHT, ITALIC, "
                  "TEXT as UTF-16 hex, tab-separated) and print it with its "
                  "width, height and the characters the font has no glyph for")
      ->type_name("FILE");
  cmd->add_option("--plan", args->plan,
                  "Print the cases of the strings of these form files and a "
                  "fixed set, in every face they use, 6 to 24 pt, at 96, 120, "
                  "144 and 192 DPI")
      ->type_name("FORM...");
  cmd->callback([args, &exitCode] {
    if (!args->plan.empty()) {
      std::set<std::u16string> texts;
      std::set<std::string> faces{"Tahoma", "MS Shell Dlg", "MS Sans Serif",
                                  "Segoe UI", "Arial"};
      std::set<std::tuple<std::string, bool>> styles;
      for (const char16_t* s : kFixedStrings) texts.insert(s);
      for (const auto& file : args->plan) {
        std::ifstream in(pathOf(file), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        try {
          CollectStrings(*flx::ParseFormText(text.str(), file), texts, faces,
                         styles);
        } catch (const flx::Exception& e) {
          std::cerr << e.what() << "\n";
          exitCode = 1;
        }
      }
      std::set<int> heights;
      for (const int dpi : {96, 120, 144, 192}) {
        for (const int pt : {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24}) {
          heights.insert(win::FontHeightOfPoints(pt, dpi));
        }
      }
      for (const auto& face : faces) {
        for (const int h : heights) {
          for (const int weight : {400, 700}) {
            for (const auto& t : texts) {
              // Bold only for the fixed strings: the forms' own are many.
              if (weight == 700 &&
                  std::find(std::begin(kFixedStrings), std::end(kFixedStrings),
                            t) == std::end(kFixedStrings)) {
                continue;
              }
              std::cout << face << "\t" << h << "\t" << weight << "\t0\t"
                        << Hex(t) << "\n";
            }
          }
        }
      }
      return;
    }
    auto measure = [](const std::string& face, int height, int weight,
                      bool italic, std::u16string_view text, win::SIZE& size) {
      win::LOGFONTW lf{};
      lf.lfHeight = height;
      lf.lfWeight = weight;
      lf.lfItalic = italic ? 1 : 0;
      const std::u16string f = flx::Utf8ToUtf16(face);
      std::copy_n(f.begin(), std::min<std::size_t>(f.size(), 31),
                  lf.lfFaceName);
      const win::HDC dc = win::GetDC(nullptr);
      const win::HFONT font = win::CreateFontIndirectW(&lf);
      const win::HFONT previous = win::SelectObject(dc, font);
      const bool ok = win::GetTextExtentPoint32W(dc, text, &size) != 0;
      win::SelectObject(dc, previous);
      win::DeleteObject(font);
      win::ReleaseDC(nullptr, dc);
      return ok;
    };
    if (!args->cases.empty()) {
      std::ifstream in(pathOf(args->cases), std::ios::binary);
      if (!in) {
        std::cerr << args->cases << ": cannot read the file\n";
        exitCode = 1;
        return;
      }
      std::string line;
      int number = 0;
      while (std::getline(in, line)) {
        ++number;
        if (line.empty()) continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t')) fields.push_back(field);
        const auto text =
            fields.size() == 5 ? FromHex(fields[4]) : std::nullopt;
        if (!text) {
          std::cerr << args->cases << ":" << number
                    << ": expected FACE, LFHEIGHT, WEIGHT, ITALIC and the "
                       "text in UTF-16 hex, tab-separated\n";
          exitCode = 1;
          return;
        }
        win::SIZE size{};
        const bool ok = measure(fields[0], std::atoi(fields[1].c_str()),
                                std::atoi(fields[2].c_str()), fields[3] == "1",
                                *text, size);
        std::cout << line << "\t" << (ok ? size.cx : -1) << "\t"
                  << (ok ? size.cy : -1) << "\n";
      }
      return;
    }
    win::SIZE size{};
    if (!measure(args->face, win::FontHeightOfPoints(args->size, args->dpi),
                 args->bold ? 700 : 400, false, flx::Utf8ToUtf16(args->text),
                 size)) {
      std::cerr << "flexarium: no font file found for '" << args->face << "'\n";
      exitCode = 1;
      return;
    }
    std::cout << size.cx << "x" << size.cy << "\n";
  });
}

}  // namespace flexarium_cli
