// The simulated desktop as an object: construction, configuration, the
// records tests inspect, and the locale, version and visual style it
// reports. The window system itself is spread over the files that
// desktop_impl.h lists.
#include <cstring>

#include "host/sim/desktop_impl.h"

namespace flx::sim {

Desktop::Desktop(DesktopConfig config)
    : impl_(std::make_unique<Impl>(std::move(config))) {}

Desktop::~Desktop() = default;

const DesktopConfig& Desktop::config() const { return impl_->config; }

DesktopConfig& Desktop::mutableConfig() { return impl_->config; }

// ---- Records

void Desktop::setRecording(bool on) { impl_->recording = on; }

const std::vector<CallRecord>& Desktop::calls() const { return impl_->calls; }

const std::vector<MessageRecord>& Desktop::messages() const {
  return impl_->messages;
}

const std::vector<PaintRecord>& Desktop::paints() const {
  return impl_->paints;
}

void Desktop::clearRecords() {
  impl_->calls.clear();
  impl_->messages.clear();
  impl_->paints.clear();
}

int Desktop::windowCount() const { return impl_->liveWindows; }

bool Desktop::dwmLoaded() const { return impl_->dwmLoaded; }

HWND Desktop::lockedWindow() const { return impl_->lockHolder; }

int Desktop::hookCount() const { return static_cast<int>(impl_->hooks.size()); }

// ---- Locale, version, visual style

int Desktop::getLocaleInfoA(LCID /*locale*/, LCTYPE type, char* data,
                            int size) {
  impl_->recordCall("GetLocaleInfoA", nullptr);
  if (type != LOCALE_SABBREVLANGNAME || size < 0) return 0;
  const std::string& abbrev = impl_->config.localeAbbrev;
  const int needed = static_cast<int>(abbrev.size()) + 1;
  if (size == 0) return needed;
  if (data == nullptr || size < needed) return 0;
  std::memcpy(data, abbrev.c_str(), static_cast<std::size_t>(needed));
  return needed;
}

OSVersion Desktop::getVersion() {
  // The framework's Win32MajorVersion is a value read at start-up, not a
  // call the program makes: it is not recorded.
  return impl_->config.version;
}

bool Desktop::isCustomStyleActive() {
  impl_->recordCall("IsCustomStyleActive", nullptr);
  return impl_->config.customStyle;
}

}  // namespace flx::sim
