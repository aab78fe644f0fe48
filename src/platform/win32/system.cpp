// System adapter: pacing with the system's sleep, the image from the program's resources.
#include "platform/system.h"

#include <windows.h>

#include "platform/win32/program_handles.h"

namespace sys {

void pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

bool locateFirmwareImage(FirmwareImage& image) {
  HRSRC resource = FindResourceW(moduleInstance, MAKEINTRESOURCEW(kImageResourceId), RT_RCDATA);
  if (resource == nullptr) return false;
  HGLOBAL loaded = LoadResource(moduleInstance, resource);
  if (loaded == nullptr) return false;
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return false;
  image.bytes = static_cast<const std::uint8_t*>(bytes);
  image.size = SizeofResource(moduleInstance, resource);
  return true;
}

}  // namespace sys
