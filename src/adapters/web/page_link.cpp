#include "adapters/web/page_link.h"

#include <emscripten.h>

#include "base/format_text.h"
#include "seams/device_events.h"

namespace {

// The worker's script (updater_worker.js) keeps the queue and the page's answers, and hands
// its hooks to the module as Module.pageLink.
EM_JS(void, postMessageToPage, (const char* kind, const char* element, int number, const char* text), {
  Module.pageLink.post({type : UTF8ToString(kind), element : UTF8ToString(element), number : number, text : UTF8ToString(text)});
});

// 1 when the user went on, 0 when they stopped.
EM_ASYNC_JS(int, awaitBoxAnswer,
            (const char* kind, const char* text, const char* caption, const char* icon, const char* buttons), {
  const goOn = await Module.pageLink.ask({
    type : UTF8ToString(kind),
    text : UTF8ToString(text),
    caption : UTF8ToString(caption),
    icon : UTF8ToString(icon),
    buttons : UTF8ToString(buttons).split(',')
  });
  return goOn ? 1 : 0;
});

// 1 for an arrival, 2 for a removal, 0 when none is queued.
EM_JS(int, takeQueuedDeviceEvent, (char* path, int capacity), {
  const queued = Module.pageLink.takeDeviceEvent();
  if (!queued) return 0;
  stringToUTF8(queued.path, path, capacity);
  return queued.arrived ? 1 : 2;
});

EM_JS(void, queueArrivalOrRemoval, (int arrived, const char* path), {
  Module.pageLink.queueDeviceEvent(arrived != 0, UTF8ToString(path));
});

constexpr int kPathCapacity = 512;

web::DeviceEventHandler deviceEventHandler = nullptr;

}  // namespace

namespace web {

void postToPage(const char* kind, const char* element, int number, const std::wstring& text) {
  postMessageToPage(kind, element, number, wideToUtf8(text).c_str());
}

bool askPage(const std::wstring& text, const std::wstring& caption, const char* icon, const char* buttons) {
  const bool wentOn = awaitBoxAnswer(message::kBox, wideToUtf8(text).c_str(), wideToUtf8(caption).c_str(), icon, buttons) != 0;
  handleQueuedDeviceEvents();
  return wentOn;
}

void handleDeviceEventsWith(DeviceEventHandler handler) { deviceEventHandler = handler; }

void handleQueuedDeviceEvents() {
  char path[kPathCapacity];
  for (int queued = takeQueuedDeviceEvent(path, kPathCapacity); queued != 0;
       queued = takeQueuedDeviceEvent(path, kPathCapacity)) {
    if (deviceEventHandler == nullptr) continue;
    const std::uint32_t event = queued == 1 ? kDeviceArrival : kDeviceRemoveComplete;
    deviceEventHandler(event, DeviceBroadcast{kDeviceTypeInterface, utf8ToWide(path)});
  }
}

void queueDeviceEvent(std::uint32_t event, const std::wstring& path) {
  queueArrivalOrRemoval(event == kDeviceArrival ? 1 : 0, wideToUtf8(path).c_str());
}

}  // namespace web
