#include "adapters/web/webhid_bus.h"

#include <emscripten.h>

#include "base/format_text.h"

namespace {

constexpr int kListCapacity = 8192;

// The worker hands its WebHID side (webhid.js) to the module as Module.webHid.
// Each returns 0 or an error code, except where a count or a handle is returned: those are
// negative error codes on failure.
EM_ASYNC_JS(int, webHidList, (char* paths, int capacity), {
  const result = await Module.webHid.list();
  if (result.error) return -result.error;
  stringToUTF8(result.paths.join('\n'), paths, capacity);
  return result.paths.length;
});

EM_ASYNC_JS(int, webHidOpen, (const char* path), { return await Module.webHid.open(UTF8ToString(path)); });

EM_JS(int, webHidAttributes, (int handle, std::uint16_t* vendorId, std::uint16_t* productId), {
  const device = Module.webHid.deviceOf(handle);
  if (!device) return 6;  // the platform's invalid handle
  HEAPU16[vendorId >> 1] = device.vendorId;
  HEAPU16[productId >> 1] = device.productId;
  return 0;
});

EM_JS(int, webHidReportLengths, (int handle, std::uint32_t* outputLength, std::uint32_t* inputLength), {
  const lengths = Module.webHid.reportLengths(handle);
  if (!lengths) return 6;  // the platform's invalid handle
  HEAPU32[outputLength >> 2] = lengths.output;
  HEAPU32[inputLength >> 2] = lengths.input;
  return 0;
});

EM_ASYNC_JS(int, webHidWrite, (int handle, const std::uint8_t* bytes, int length, int timeoutMs), {
  return await Module.webHid.write(handle, HEAPU8.slice(bytes, bytes + length), timeoutMs);
});

EM_ASYNC_JS(int, webHidRead, (int handle, std::uint8_t* bytes, int length, int timeoutMs), {
  const result = await Module.webHid.read(handle, timeoutMs);
  if (result.error) return result.error;
  HEAPU8.fill(0, bytes, bytes + length);
  HEAPU8.set(result.report.subarray(0, length), bytes);
  return 0;
});

EM_ASYNC_JS(void, webHidClose, (int handle), { await Module.webHid.close(handle); });

EM_JS(void, webHidTakeFailureWords, (char* words, int capacity), {
  stringToUTF8(Module.webHid.takeFailureWords(), words, capacity);
});

constexpr int kWordsCapacity = 512;

std::vector<std::wstring> splitLines(const std::string& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(utf8ToWide(text.substr(start, end == std::string::npos ? std::string::npos : end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

namespace web {

bool WebHidBus::succeeded(int error) {
  if (error == 0) return true;
  lastError_ = static_cast<std::uint32_t>(error);
  char words[kWordsCapacity];
  webHidTakeFailureWords(words, kWordsCapacity);
  lastErrorWords_ = words;
  return false;
}

bool WebHidBus::listInterfaces(std::vector<std::wstring>& paths) {
  std::string listed(kListCapacity, '\0');
  const int count = webHidList(listed.data(), kListCapacity);
  if (count < 0) return succeeded(-count);
  listed.resize(listed.find('\0'));
  paths = splitLines(listed);
  return true;
}

hid::Handle WebHidBus::openInterface(const std::wstring& path) {
  const int handle = webHidOpen(wideToUtf8(path).c_str());
  if (handle < 0) {
    succeeded(-handle);
    return hid::kInvalidHandle;
  }
  return handle;
}

bool WebHidBus::readAttributes(hid::Handle handle, std::uint16_t& vendorId, std::uint16_t& productId) {
  return succeeded(webHidAttributes(static_cast<int>(handle), &vendorId, &productId));
}

bool WebHidBus::readReportLengths(hid::Handle handle, std::uint32_t& outputLength, std::uint32_t& inputLength) {
  return succeeded(webHidReportLengths(static_cast<int>(handle), &outputLength, &inputLength));
}

bool WebHidBus::writeReport(hid::Handle handle, const std::uint8_t* bytes, std::size_t length) {
  return succeeded(webHidWrite(static_cast<int>(handle), bytes, static_cast<int>(length), hid::kReportTimeoutMs));
}

bool WebHidBus::readReport(hid::Handle handle, std::uint8_t* bytes, std::size_t length) {
  return succeeded(webHidRead(static_cast<int>(handle), bytes, static_cast<int>(length), hid::kReportTimeoutMs));
}

void WebHidBus::closeInterface(hid::Handle handle) { webHidClose(static_cast<int>(handle)); }

}  // namespace web
