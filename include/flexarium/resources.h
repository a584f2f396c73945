// Windows resources as data: the entries of a compiled resource file (.res)
// or of a PE executable's or DLL's resource section, and dialog templates
// (DLGTEMPLATE and DLGTEMPLATEEX) read from them. Nothing here needs a
// window system: a template read here is what the dialog manager (Windows'
// CreateDialogIndirectParamW, or the simulated desktop's) makes windows
// from. Every offset, size and string is checked against the buffer; bad
// input raises EResourceError with the file and the byte offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "flexarium/sysutils.h"

namespace flx::res {

// Malformed resource data. what() is "FILE: byte 0xOFFSET: error: MESSAGE";
// offset() is the offset in the file where the fault lies.
class EResourceError : public Exception {
 public:
  EResourceError(std::string file, std::size_t offset, std::string message);
  const std::string& file() const { return file_; }
  std::size_t offset() const { return offset_; }
  const std::string& detail() const { return detail_; }

 private:
  std::string file_;
  std::size_t offset_;
  std::string detail_;
};

// A resource type or name, a menu, a window class or an item title: a
// 16-bit number (an ordinal) or a string. Neither: empty().
struct ResourceId {
  bool isOrdinal = false;
  std::uint16_t ordinal = 0;
  std::u16string name;

  static ResourceId Ordinal(std::uint16_t n) { return {true, n, {}}; }
  static ResourceId Name(std::u16string s) { return {false, 0, std::move(s)}; }
  bool empty() const { return !isOrdinal && name.empty(); }
  // "5" for an ordinal, the name in UTF-8 otherwise, "" when empty.
  std::string toString() const;
  // Resource look-up: an ordinal equals the same number, a name equals the
  // same name in any letter case (ASCII), as FindResource compares them.
  bool matches(const ResourceId& other) const;
  // "#258" is the ordinal 258, as FindResource reads it; anything else a
  // name.
  static ResourceId Parse(std::string_view text);
};

// Predefined resource types.
inline constexpr std::uint16_t kRtDialog = 5;

// One resource: where its data lies in the file that was read.
struct Resource {
  ResourceId type;
  ResourceId name;
  std::uint16_t language = 0;
  std::size_t offset = 0;  // of the data, in bytes from the file's start
  std::size_t size = 0;
};

// The entries of a .res file, in file order (the empty entry a resource
// compiler writes first is left out).
std::vector<Resource> ReadResFile(std::span<const std::uint8_t> data,
                                  std::string_view fileName);
// The resources of a PE32 or PE32+ image (an .exe or .dll file as it lies on
// disk), in the order of the resource directory: type, name, language.
std::vector<Resource> ReadPeResources(std::span<const std::uint8_t> data,
                                      std::string_view fileName);
// Either of the two, told apart by the file's first bytes ("MZ": PE).
std::vector<Resource> ReadResources(std::span<const std::uint8_t> data,
                                    std::string_view fileName);

// Dialog styles the template reader and the dialog manager look at.
inline constexpr std::uint32_t kDsAbsAlign = 0x01;
inline constexpr std::uint32_t kDsFixedSys = 0x08;
inline constexpr std::uint32_t kDsSetFont = 0x40;
inline constexpr std::uint32_t kDsShellFont = 0x48;
inline constexpr std::uint32_t kDsCenter = 0x800;
inline constexpr std::uint32_t kDsCenterMouse = 0x1000;

// A control of a dialog template. Position and size in dialog units, from
// the dialog's client origin.
struct DialogItem {
  std::uint32_t helpId = 0;  // extended templates only
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::uint32_t id = 0;  // 16 bits in a standard template
  // An ordinal 0x80 (Button) ... 0x85 (ComboBox), or a class name.
  ResourceId windowClass;
  // Text, or the ordinal of a resource (an icon of a static control).
  ResourceId title;
  std::vector<std::uint8_t> creationData;
  std::size_t offset = 0;  // of the item in the file, for messages
};

// A dialog template: the dialog's own fields and its items in order.
struct DialogTemplate {
  bool extended = false;  // DLGTEMPLATEEX
  std::uint32_t helpId = 0;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  ResourceId menu;
  ResourceId windowClass;  // empty: the dialog class
  std::u16string title;
  // The font of DS_SETFONT (DS_SHELLFONT). A point size of 0x7FFF stands
  // for the message font: then no face, weight, italic or charset is stored.
  bool hasFont = false;
  std::uint16_t pointSize = 0;
  std::uint16_t weight = 0;  // extended templates only
  bool italic = false;       // extended templates only
  std::uint8_t charset = 0;  // extended templates only
  std::u16string face;
  std::vector<DialogItem> items;
};

// Reads the template in `data`; `fileOffset` is where `data` starts in the
// file named `fileName`, for the offsets of error messages.
DialogTemplate ParseDialogTemplate(std::span<const std::uint8_t> data,
                                   std::string_view fileName,
                                   std::size_t fileOffset = 0);

// The font the dialog manager makes for a template at `dpi`, as the fields
// of the LOGFONT it asks for; none without DS_SETFONT.
struct DialogFont {
  std::int32_t height = 0;  // lfHeight: negative, the character height
  std::int32_t weight = 0;  // 0 (none asked) in a standard template
  bool italic = false;
  std::u16string face;
};
std::optional<DialogFont> DialogFontAt(const DialogTemplate& t, int dpi);

// The name of a predefined control class ordinal ("Button" for 0x80), or ""
// for another number.
std::string_view PredefinedClassName(std::uint16_t ordinal);

}  // namespace flx::res
