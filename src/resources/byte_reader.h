// Little-endian reads from a byte buffer that never pass its end: every
// read checks the bytes it needs first and raises EResourceError with the
// file and the offset where the data ran out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "flexarium/resources.h"

namespace flx::res::detail {

class ByteReader {
 public:
  // `base` is where `data` starts in the file, for messages.
  ByteReader(std::span<const std::uint8_t> data, std::string_view file,
             std::size_t base = 0)
      : data_(data), file_(file), base_(base) {}

  std::size_t pos() const { return pos_; }
  std::size_t size() const { return data_.size(); }
  std::size_t remaining() const { return data_.size() - pos_; }
  // The offset in the file of position `at` of this buffer.
  std::size_t fileOffset(std::size_t at) const { return base_ + at; }
  std::span<const std::uint8_t> data() const { return data_; }
  const std::string& file() const { return file_; }

  // Goes to `at`; a place past the end is reported where the reader
  // stands, at the field that pointed there.
  void seek(std::size_t at, const char* what) {
    if (at > data_.size()) {
      fail(pos_, std::string(what) + " at " + hex(base_ + at) +
                     " lies past the end of the data");
    }
    pos_ = at;
  }
  // Moves on to the next multiple of `n` (from the buffer's start).
  void align(std::size_t n) {
    const std::size_t next = (pos_ + n - 1) / n * n;
    pos_ = next < data_.size() ? next : data_.size();
  }
  void need(std::size_t n, const char* what) const {
    if (n > remaining()) {
      fail(pos_, std::string(what) + " runs past the end of the data (" +
                     std::to_string(n) + " bytes needed, " +
                     std::to_string(remaining()) + " left)");
    }
  }

  std::uint8_t u8(const char* what) {
    need(1, what);
    return data_[pos_++];
  }
  std::uint16_t u16(const char* what) {
    need(2, what);
    const std::uint16_t v = static_cast<std::uint16_t>(
        data_[pos_] | static_cast<unsigned>(data_[pos_ + 1]) << 8);
    pos_ += 2;
    return v;
  }
  std::int16_t i16(const char* what) {
    return static_cast<std::int16_t>(u16(what));
  }
  std::uint32_t u32(const char* what) {
    const std::uint32_t lo = u16(what);
    const std::uint32_t hi = u16(what);
    return lo | hi << 16;
  }
  // A NUL-ended UTF-16 string.
  std::u16string string(const char* what) {
    const std::size_t start = pos_;
    std::u16string s;
    for (;;) {
      if (remaining() < 2) {
        fail(start, std::string(what) + " has no terminating NUL");
      }
      const char16_t c = static_cast<char16_t>(u16(what));
      if (c == 0) return s;
      s.push_back(c);
    }
  }
  // A string or an ordinal (0xFFFF then the number); 0x0000 alone: none.
  ResourceId stringOrOrdinal(const char* what) {
    need(2, what);
    const std::uint16_t first = static_cast<std::uint16_t>(
        data_[pos_] | static_cast<unsigned>(data_[pos_ + 1]) << 8);
    if (first == 0) {
      pos_ += 2;
      return {};
    }
    if (first == 0xFFFF) {
      pos_ += 2;
      return ResourceId::Ordinal(u16(what));
    }
    return ResourceId::Name(string(what));
  }

  static std::string hex(std::size_t v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%zx", v);
    return buffer;
  }

  [[noreturn]] void fail(std::size_t at, const std::string& message) const {
    throw EResourceError(file_, base_ + at, message);
  }

 private:
  std::span<const std::uint8_t> data_;
  std::string file_;
  std::size_t base_ = 0;
  std::size_t pos_ = 0;
};

}  // namespace flx::res::detail
