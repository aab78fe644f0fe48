#pragma once
// The worker's link to the page, which holds the document: every change of what the page
// shows is a message to it, and a box is a question whose answer the core awaits.
#include <cstdint>
#include <string>

#include "adapters/web/page_contract.h"
#include "base/broadcast_record.h"

namespace web {

// Each message to the page (its type from page_contract.h) may name an element of the page,
// a number and a text.
void postToPage(const char* kind, const char* element, int number, const std::wstring& text = L"");

// Shows a box with its icon ("error", "warning" or "information") and its buttons by name,
// in their order ("ok,cancel"; "yes,no"; "ok"), and returns whether the user went on: the
// first button goes on, any other stops. Device events that came in meanwhile are handled
// before it returns, as a modal box's message loop would dispatch them.
bool askPage(const std::wstring& text, const std::wstring& caption, const char* icon, const char* buttons);

// Who handles device events: the program's dialog, as for a window's device-change messages.
using DeviceEventHandler = void (*)(std::uint32_t event, const DeviceBroadcast& record);
void handleDeviceEventsWith(DeviceEventHandler handler);

// Device events the worker queued while the core was busy, oldest first.
void handleQueuedDeviceEvents();

// Queues an arrival or removal for the core, as the page's worker does for WebHID's events.
void queueDeviceEvent(std::uint32_t event, const std::wstring& path);

}  // namespace web
