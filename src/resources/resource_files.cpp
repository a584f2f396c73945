// The resource entries of compiled resource files (.res) and of PE images'
// resource sections (.rsrc).
#include <set>

#include "resources/byte_reader.h"

namespace flx::res {

using detail::ByteReader;

namespace {

std::string hexOffset(std::size_t offset) { return ByteReader::hex(offset); }

}  // namespace

EResourceError::EResourceError(std::string file, std::size_t offset,
                               std::string message)
    : Exception(file + ": byte " + hexOffset(offset) + ": error: " + message),
      file_(std::move(file)),
      offset_(offset),
      detail_(std::move(message)) {}

// ---- Resource ids

std::string ResourceId::toString() const {
  return isOrdinal ? std::to_string(ordinal) : Utf16ToUtf8(name);
}

bool ResourceId::matches(const ResourceId& other) const {
  if (isOrdinal || other.isOrdinal) {
    return isOrdinal == other.isOrdinal && ordinal == other.ordinal;
  }
  if (name.size() != other.name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    auto fold = [](char16_t c) {
      return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    };
    if (fold(name[i]) != fold(other.name[i])) return false;
  }
  return true;
}

ResourceId ResourceId::Parse(std::string_view text) {
  if (text.size() > 1 && text.size() <= 6 && text[0] == '#') {
    unsigned long n = 0;
    bool digits = true;
    for (char c : text.substr(1)) {
      if (c < '0' || c > '9') digits = false;
      n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (digits && n <= 0xFFFF) {
      return Ordinal(static_cast<std::uint16_t>(n));
    }
  }
  return Name(Utf8ToUtf16(text));
}

// ---- .res files

std::vector<Resource> ReadResFile(std::span<const std::uint8_t> data,
                                  std::string_view fileName) {
  std::vector<Resource> out;
  ByteReader r(data, fileName);
  while (r.remaining() > 0) {
    const std::size_t entry = r.pos();
    const std::uint32_t dataSize = r.u32("a resource header");
    const std::uint32_t headerSize = r.u32("a resource header");
    // Sizes, ids and the five fixed fields after them.
    if (headerSize < 8 + 4 + 4 + 16 || headerSize > r.size() - entry) {
      r.fail(entry, "resource header size " + std::to_string(headerSize) +
                        " does not fit the file");
    }
    const std::size_t dataStart = entry + headerSize;
    if (dataSize > r.size() - dataStart) {
      r.fail(entry, "resource data of " + std::to_string(dataSize) +
                        " bytes runs past the end of the file");
    }
    ByteReader header(data.subspan(entry, headerSize), fileName, entry);
    header.seek(8, "the resource type");
    Resource res;
    res.type = header.stringOrOrdinal("the resource type");
    res.name = header.stringOrOrdinal("the resource name");
    header.align(4);
    header.u32("the data version");
    header.u16("the memory flags");
    res.language = header.u16("the language");
    res.offset = dataStart;
    res.size = dataSize;
    // A resource compiler writes an empty entry first: type and name 0.
    const bool empty = res.type.isOrdinal && res.type.ordinal == 0 &&
                       res.name.isOrdinal && res.name.ordinal == 0;
    if (!empty) out.push_back(std::move(res));
    const std::size_t next = dataStart + dataSize;
    r.seek(next, "the next resource");
    r.align(4);
  }
  return out;
}

// ---- PE images

namespace {

struct Section {
  std::size_t headerAt = 0;  // the section header's offset in the file
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawOffset = 0;
};

// Walks the three levels of the resource directory (type, name, language).
class ResourceDirectoryWalk {
 public:
  ResourceDirectoryWalk(ByteReader& file, std::size_t base, std::size_t size,
                        const std::vector<Section>& sections)
      : file_(file), base_(base), size_(size), sections_(sections) {}

  // `refAt`: the field that points at the root, for messages.
  void run(std::vector<Resource>& out, std::size_t refAt) {
    Resource res;
    directory(0, 0, res, out, refAt);
  }

 private:
  // The file offset of an RVA, within its section's data in the file.
  std::size_t fileOffsetOf(std::uint32_t rva, std::uint32_t size,
                           std::size_t at) const {
    for (const Section& s : sections_) {
      const std::uint64_t extent =
          s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
      if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) {
        continue;
      }
      const std::uint64_t within = rva - s.virtualAddress;
      if (within + size > s.rawSize ||
          s.rawOffset + within + size > file_.size()) {
        file_.fail(at, "resource data at RVA " + hexOffset(rva) +
                           " runs past its section's data in the file");
      }
      return static_cast<std::size_t>(s.rawOffset + within);
    }
    file_.fail(
        at, "resource data at RVA " + hexOffset(rva) + " lies in no section");
  }

  ResourceId entryName(std::uint32_t name, std::size_t at) const {
    if ((name & 0x80000000u) == 0) {
      if (name > 0xFFFF) {
        file_.fail(at, "resource id " + std::to_string(name) +
                           " is larger than 16 bits");
      }
      return ResourceId::Ordinal(static_cast<std::uint16_t>(name));
    }
    const std::size_t off = name & 0x7FFFFFFFu;
    if (off > size_ || size_ - off < 2) {
      file_.fail(at, "resource name at " + hexOffset(off) +
                         " lies outside the resource section");
    }
    ByteReader s(file_.data().subspan(base_ + off, size_ - off), file_.file(),
                 base_ + off);
    const std::uint16_t length = s.u16("a resource name");
    s.need(2u * length, "a resource name");
    std::u16string text;
    for (std::uint16_t i = 0; i < length; ++i) {
      text.push_back(static_cast<char16_t>(s.u16("a resource name")));
    }
    return ResourceId::Name(std::move(text));
  }

  // The directory at `off` from the section's start; `refAt` is the entry
  // that points at it, where a bad pointer is reported.
  void directory(std::size_t off, int level, Resource& res,
                 std::vector<Resource>& out, std::size_t refAt) {
    // A directory reached twice would repeat its entries, or loop.
    if (!visited_.insert(off).second) {
      file_.fail(refAt, "resource directory at " + hexOffset(off) +
                            " reached twice (a loop)");
    }
    if (off > size_ || size_ - off < 16) {
      file_.fail(refAt, "resource directory at " + hexOffset(off) +
                            " lies outside the resource section");
    }
    const std::size_t at = base_ + off;
    ByteReader d(file_.data().subspan(at, size_ - off), file_.file(), at);
    d.seek(12, "a resource directory");
    const std::size_t named = d.u16("a resource directory");
    const std::size_t ids = d.u16("a resource directory");
    d.need((named + ids) * 8, "the entries of a resource directory");
    for (std::size_t i = 0; i < named + ids; ++i) {
      const std::size_t entryAt = d.fileOffset(d.pos());
      const std::uint32_t name = d.u32("a resource directory entry");
      const std::uint32_t target = d.u32("a resource directory entry");
      const ResourceId id = entryName(name, entryAt);
      if (level == 0) res.type = id;
      if (level == 1) res.name = id;
      if (level == 2) {
        if (!id.isOrdinal) {
          file_.fail(entryAt, "a resource language must be a number");
        }
        res.language = id.ordinal;
      }
      const bool subdirectory = (target & 0x80000000u) != 0;
      const std::size_t targetOff = target & 0x7FFFFFFFu;
      if (level < 2) {
        if (!subdirectory) {
          file_.fail(entryAt, "resource entry at level " +
                                  std::to_string(level + 1) +
                                  " has data where a directory belongs");
        }
        directory(targetOff, level + 1, res, out, entryAt);
        continue;
      }
      if (subdirectory) {
        file_.fail(entryAt,
                   "resource directory deeper than type, name and language");
      }
      if (targetOff > size_ || size_ - targetOff < 16) {
        file_.fail(entryAt,
                   "resource data entry lies outside the resource section");
      }
      ByteReader e(file_.data().subspan(base_ + targetOff, 16), file_.file(),
                   base_ + targetOff);
      const std::uint32_t rva = e.u32("a resource data entry");
      const std::uint32_t dataSize = e.u32("a resource data entry");
      res.offset = fileOffsetOf(rva, dataSize, base_ + targetOff);
      res.size = dataSize;
      out.push_back(res);
    }
  }

  ByteReader& file_;
  std::size_t base_;  // file offset of the resource section's start
  std::size_t size_;  // bytes of the resource section in the file
  const std::vector<Section>& sections_;
  std::set<std::size_t> visited_;
};

}  // namespace

std::vector<Resource> ReadPeResources(std::span<const std::uint8_t> data,
                                      std::string_view fileName) {
  ByteReader r(data, fileName);
  if (r.u16("the DOS header") != 0x5A4D) r.fail(0, "not a PE image (no MZ)");
  r.seek(0x3C, "the PE header offset");
  const std::size_t pe = r.u32("the PE header offset");
  r.seek(pe, "the PE header");
  if (r.u32("the PE signature") != 0x00004550) {
    r.fail(pe, "no PE signature where the DOS header points");
  }
  r.u16("the COFF header");  // machine
  const std::size_t sectionCount = r.u16("the COFF header");
  r.u32("the COFF header");
  r.u32("the COFF header");
  r.u32("the COFF header");
  const std::size_t optionalSize = r.u16("the COFF header");
  r.u16("the COFF header");
  const std::size_t optional = r.pos();
  const std::uint16_t magic = r.u16("the optional header");
  std::size_t directories = 0;
  if (magic == 0x10B) {
    directories = optional + 96;
  } else if (magic == 0x20B) {
    directories = optional + 112;
  } else {
    r.fail(optional, "unknown optional header magic " + hexOffset(magic));
  }
  // The number of data directories stands just before them.
  if (directories > optional + optionalSize) {
    r.fail(optional, "optional header too short for its data directories");
  }
  r.seek(directories - 4, "the data directory count");
  const std::uint32_t count = r.u32("the data directory count");
  std::vector<Resource> out;
  if (count <= 2 || directories + 3 * 8 > optional + optionalSize) {
    return out;  // no resource directory
  }
  r.seek(directories + 2 * 8, "the resource data directory");
  const std::uint32_t rsrcRva = r.u32("the resource data directory");
  const std::uint32_t rsrcSize = r.u32("the resource data directory");
  if (rsrcRva == 0 || rsrcSize == 0) return out;

  r.seek(optional + optionalSize, "the section table");
  r.need(sectionCount * 40, "the section table");
  std::vector<Section> sections;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = r.pos();
    r.seek(at + 8, "a section header");
    Section s;
    s.headerAt = at;
    s.virtualSize = r.u32("a section header");
    s.virtualAddress = r.u32("a section header");
    s.rawSize = r.u32("a section header");
    s.rawOffset = r.u32("a section header");
    r.seek(at + 40, "a section header");
    sections.push_back(s);
  }
  // The resource section as it lies in the file: from the directory's
  // start to the end of the section's raw data.
  for (const Section& s : sections) {
    if (rsrcRva < s.virtualAddress || rsrcRva - s.virtualAddress >= s.rawSize) {
      continue;
    }
    const std::uint64_t base =
        std::uint64_t{s.rawOffset} + (rsrcRva - s.virtualAddress);
    const std::uint64_t end = std::uint64_t{s.rawOffset} + s.rawSize;
    if (end > data.size()) {
      r.fail(s.headerAt + 16, "the resource section's data (" +
                                  std::to_string(s.rawSize) + " bytes at " +
                                  hexOffset(s.rawOffset) +
                                  ") runs past the end of the file");
    }
    ResourceDirectoryWalk walk(r, static_cast<std::size_t>(base),
                               static_cast<std::size_t>(end - base), sections);
    walk.run(out, directories + 2 * 8);
    return out;
  }
  r.fail(directories + 2 * 8, "the resource directory at RVA " +
                                  hexOffset(rsrcRva) +
                                  " lies in no section's data");
}

std::vector<Resource> ReadResources(std::span<const std::uint8_t> data,
                                    std::string_view fileName) {
  if (data.size() >= 2 && data[0] == 'M' && data[1] == 'Z') {
    return ReadPeResources(data, fileName);
  }
  return ReadResFile(data, fileName);
}

}  // namespace flx::res
