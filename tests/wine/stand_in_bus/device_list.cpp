#include "device_list.h"

#include <cwchar>
#include <string>

namespace stand_in {

namespace {

constexpr std::size_t kMostDevices = 32;

// The pipe's name as the file system gives it: the path after "\\.\pipe".
bool pipeNameOf(HANDLE handle, std::wstring& name) {
  struct {
    FILE_NAME_INFO info;
    wchar_t more[kPathChars];
  } file{};
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, &file, sizeof(file))) return false;
  name.assign(file.info.FileName, file.info.FileNameLength / sizeof(wchar_t));
  return true;
}

}  // namespace

bool listDevices(std::vector<DeviceDescription>& devices) {
  devices.resize(kMostDevices);
  const int length = askServer(kListDevices, devices.data(), kMostDevices * sizeof(DeviceDescription));
  if (length < 0) return false;
  devices.resize(static_cast<std::size_t>(length) / sizeof(DeviceDescription));
  return true;
}

bool deviceOfHandle(HANDLE handle, DeviceDescription& device) {
  static const std::size_t kPipeRootChars = std::wcslen(L"\\\\.\\pipe");
  std::wstring name;
  std::vector<DeviceDescription> devices;
  if (!pipeNameOf(handle, name) || !listDevices(devices)) return false;
  for (const DeviceDescription& listed : devices) {
    if (name == listed.path + kPipeRootChars) {
      device = listed;
      return true;
    }
  }
  return false;
}

}  // namespace stand_in
