#pragma once
// What the user does to the dialog and what the platform tells it, as the core takes them: the
// dialog's start, a unit arriving or removed, a press of Update or Close. Every dialog front end
// hands them over here, so that a report keeps them in the order they were handled and a replay
// can hand them over again the same way.
#include <cstdint>
#include <string>

#include "seams/device_events.h"
#include "update/readiness.h"
#include "update/update_sequence.h"

namespace session {

enum class EventKind { Start, Arrival, Removal, PressUpdate, PressClose };

struct Event {
  EventKind kind = EventKind::Start;
  std::wstring path;  // of an arrival or removal
};

// Told each event before it is handled; null for none.
using Listener = void (*)(const Event& event);
void setListener(Listener listener);

// The dialog's start, and a start again once the page takes over from another tab: the first
// discovery, and the dialog as it finds the unit.
void start();

// A device-change event of the platform; 1 for arrival and removal, whatever was done with them.
std::int32_t deviceChange(std::uint32_t event, const DeviceBroadcast& record);

// Update: the update runs and its outcome is shown.
void pressUpdate();

// Close gives the unit up; what follows (the program ends, the page waits) is the front end's.
void pressClose();

// Any of the above, as a replay hands it over.
void handle(const Event& event);

// How the session stands: the readiness when Update was last pressed (or now, when it never
// was), and the last update's outcome.
struct Outcome {
  Readiness readiness = Readiness::NoUnit;
  bool updateRun = false;
  UpdateOutcome update;
};
Outcome outcome();

// Forgets the events of a run before: a new session starts.
void reset();

}  // namespace session
