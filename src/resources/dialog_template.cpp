// Dialog templates, standard (DLGTEMPLATE) and extended (DLGTEMPLATEEX): the
// dialog's header, its font and its items, each item at the next 32-bit
// boundary from the template's start.
#include <string>

#include "resources/byte_reader.h"

namespace flx::res {

using detail::ByteReader;

std::string_view PredefinedClassName(std::uint16_t ordinal) {
  switch (ordinal) {
    case 0x80:
      return "Button";
    case 0x81:
      return "Edit";
    case 0x82:
      return "Static";
    case 0x83:
      return "ListBox";
    case 0x84:
      return "ScrollBar";
    case 0x85:
      return "ComboBox";
    default:
      return "";
  }
}

namespace {

// The styles a dialog and each of its items begin with: an extended
// template has the help ID first and the extended style before the style.
template <class T>
void readStyles(ByteReader& r, bool extended, T& t, const char* what) {
  if (extended) {
    t.helpId = r.u32(what);
    t.exStyle = r.u32(what);
    t.style = r.u32(what);
  } else {
    t.style = r.u32(what);
    t.exStyle = r.u32(what);
  }
}

// Position and size in dialog units.
template <class T>
void readRect(ByteReader& r, T& t, const char* what) {
  t.x = r.i16(what);
  t.y = r.i16(what);
  t.cx = r.i16(what);
  t.cy = r.i16(what);
}

void readItem(ByteReader& r, bool extended, DialogItem& item) {
  item.offset = r.fileOffset(r.pos());
  readStyles(r, extended, item, "a dialog item");
  readRect(r, item, "a dialog item");
  item.id = extended ? r.u32("a dialog item") : r.u16("a dialog item");
  item.windowClass = r.stringOrOrdinal("a dialog item's class");
  item.title = r.stringOrOrdinal("a dialog item's title");
  // The creation data: a count of the bytes after it (the dialog manager
  // reads it so in both formats), then the bytes.
  const std::uint16_t extra = r.u16("a dialog item's creation data");
  r.need(extra, "a dialog item's creation data");
  const auto bytes = r.data().subspan(r.pos(), extra);
  item.creationData.assign(bytes.begin(), bytes.end());
  r.seek(r.pos() + extra, "a dialog item's creation data");
}

}  // namespace

DialogTemplate ParseDialogTemplate(std::span<const std::uint8_t> data,
                                   std::string_view fileName,
                                   std::size_t fileOffset) {
  ByteReader r(data, fileName, fileOffset);
  DialogTemplate t;
  r.need(4, "the dialog template");
  t.extended =
      data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  std::size_t count = 0;
  if (t.extended) {
    r.u16("the dialog template");  // version 1
    r.u16("the dialog template");  // 0xFFFF
  }
  readStyles(r, t.extended, t, "the dialog template");
  count = r.u16("the dialog template");
  readRect(r, t, "the dialog template");
  t.menu = r.stringOrOrdinal("the dialog's menu");
  t.windowClass = r.stringOrOrdinal("the dialog's class");
  t.title = r.string("the dialog's title");
  // DS_SHELLFONT includes DS_SETFONT.
  if ((t.style & kDsSetFont) != 0) {
    t.hasFont = true;
    t.pointSize = r.u16("the dialog's font");
    // 0x7FFF: the message font, and nothing more of the font is stored.
    if (t.pointSize != 0x7FFF) {
      if (t.extended) {
        t.weight = r.u16("the dialog's font");
        t.italic = r.u8("the dialog's font") != 0;
        t.charset = r.u8("the dialog's font");
      }
      t.face = r.string("the dialog's font face");
    }
  }
  // Each item is at least a header's worth of bytes: a count larger than
  // the data allows is refused before anything is reserved for it.
  const std::size_t itemMin = t.extended ? 24 + 6 : 18 + 6;
  if (count > r.remaining() / itemMin + 1) {
    r.fail(r.pos(), std::to_string(count) + " items cannot fit in the " +
                        std::to_string(r.remaining()) +
                        " bytes left of the template");
  }
  t.items.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    r.align(4);
    DialogItem item;
    try {
      readItem(r, t.extended, item);
    } catch (const EResourceError& e) {
      throw EResourceError(e.file(), e.offset(),
                           "item " + std::to_string(i + 1) + " of " +
                               std::to_string(count) + ": " + e.detail());
    }
    t.items.push_back(std::move(item));
  }
  return t;
}

std::optional<DialogFont> DialogFontAt(const DialogTemplate& t, int dpi) {
  if (!t.hasFont) return std::nullopt;
  DialogFont f;
  if (t.pointSize == 0x7FFF) {
    // The message font: Wine's is 8-point Tahoma at 96 DPI, scaled.
    f.height = MulDiv(-11, dpi, 96);
    f.weight = 400;
    f.face = u"Tahoma";
  } else {
    // Points to a character height, as MulDiv rounds it.
    f.height = -MulDiv(t.pointSize, dpi, 72);
    // A standard template stores no weight: the font asks for none.
    f.weight = t.extended ? t.weight : 0;
    f.italic = t.extended && t.italic;
    f.face = t.face;
  }
  return f;
}

}  // namespace flx::res
