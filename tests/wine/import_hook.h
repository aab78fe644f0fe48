#pragma once
// Stands in for a function the test program imports from a system DLL, for the life of the
// object: every call the program's own code makes to it, the adapters' included, reaches the
// stand-in, which may hand it on to the original.
#include <windows.h>

#include <vector>

namespace hook {

template <typename Function>
class ImportHook {
 public:
  ImportHook(const char* dll, const char* name, Function* standIn);
  ~ImportHook();
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;

  bool installed() const { return !slots_.empty(); }
  Function* original() const { return original_; }

 private:
  std::vector<void**> slots_;
  Function* original_ = nullptr;
};

// The program's import address table entries of the function: one per import descriptor
// that names the DLL.
std::vector<void**> importSlots(const char* dll, const char* name);
// Writes the entry, whatever the protection of its page.
void writeSlot(void** slot, void* value);

template <typename Function>
ImportHook<Function>::ImportHook(const char* dll, const char* name, Function* standIn)
    : slots_(importSlots(dll, name)) {
  if (slots_.empty()) return;
  original_ = reinterpret_cast<Function*>(*slots_.front());
  for (void** slot : slots_) writeSlot(slot, reinterpret_cast<void*>(standIn));
}

template <typename Function>
ImportHook<Function>::~ImportHook() {
  for (void** slot : slots_) writeSlot(slot, reinterpret_cast<void*>(original_));
}

}  // namespace hook
