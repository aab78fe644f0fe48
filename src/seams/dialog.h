#pragma once
// The dialog seam: everything the core does to the main dialog and the windows it owns.
#include <cstdint>
#include <string>

namespace dlg {

// Texts loaded from the catalogue fit this many wide characters, terminator included.
constexpr std::size_t kTextCapacity = 2048;

// Catalogue text in the user's language, cut to kTextCapacity - 1 characters.
std::wstring loadText(std::uint16_t messageId);

void setControlText(int controlId, const std::wstring& text);
std::wstring controlText(int controlId);
void enableControl(int controlId, bool enabled);

// The boxes the program shows, by what they are for. Each platform gives a kind its own
// buttons and icon; the two questions are the only kinds whose answer matters.
enum class BoxKind {
  RegistrationFailed,    // device changes cannot be followed, so the program ends
  EscIncompatible,       // why the ESC at the unit cannot be updated
  ConfirmUpdate,         // the warning not to interrupt the update: go on, or stop
  OverwriteSameOrNewer,  // the ESC already has this version or a newer one: overwrite it, or stop
  UpdateRefused,         // what the program carries or the unit can take rules the update out
  UpdateFailed,          // a step of the update failed
  RunningElsewhere,      // another updater runs where its window cannot be brought forward
  UnknownSimulation,     // the browser page was asked for a simulated unit it does not know
  ReportNotWritten,      // the Windows program was asked for a report it cannot write; it runs on without
};

// What the user chose: to go on (OK, Yes), or to stop (Cancel, No, a box closed another way).
enum class Answer { GoOn, Stop };

// A modal box owned by the main dialog, or by no window before it exists. The dialog keeps
// handling paint and device-change events while the box is open. The answer is told to the
// listener, if one is set, before it is returned.
Answer ask(BoxKind kind, const std::wstring& text, const std::wstring& caption);

// Told every box's answer (a report keeps them); null for none.
using AnswerListener = void (*)(BoxKind kind, Answer answer);
void setAnswerListener(AnswerListener listener);

// The box itself, as each platform shows it: what ask shows.
Answer showBox(BoxKind kind, const std::wstring& text, const std::wstring& caption);

// Where an update is. The image is sent while Writing; before that the unit is prepared and
// the ESC erased, after it the unit restored.
enum class UpdatePhase { Preparing, Erasing, Writing, Restoring };

struct UpdateProgress {
  UpdatePhase phase = UpdatePhase::Preparing;
  std::uint32_t bytesSent = 0;  // of the image
  std::uint32_t imageSize = 0;
  // The fixed pauses the update still makes from here to its end: what it lasts at least.
  std::uint32_t pausesAheadMs = 0;
};

// The share of the image sent, in percent, truncated in unsigned 32-bit arithmetic as the
// progress bar has always shown it; 0 for an image of no bytes.
inline unsigned percentSent(const UpdateProgress& progress) {
  if (progress.imageSize == 0) return 0;
  return progress.bytesSent * 100u / progress.imageSize;
}

// Told at each phase and after every block. The progress window opens at the first Writing
// value and follows the later ones; closeProgress, before the transfer returns, ends it, so
// that no failure box opens behind it. The update dispatches no messages while it writes:
// the window is shown and moved on screen at once.
void showProgress(const UpdateProgress& progress);
void closeProgress();

// Registration of the main dialog for HID interface arrival and removal events.
// Returns 0 when the platform refuses.
std::uintptr_t registerHidNotifications();
void unregisterHidNotifications(std::uintptr_t registration);

}  // namespace dlg
