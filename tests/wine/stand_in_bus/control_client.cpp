#include "protocol.h"

namespace stand_in {

int askServer(std::uint8_t request, void* answer, DWORD capacity) {
  constexpr DWORD kPatienceMs = 10000;
  DWORD read = 0;
  if (!CallNamedPipeW(kControlPipe, &request, 1, answer, capacity, &read, kPatienceMs)) return -1;
  return static_cast<int>(read);
}

}  // namespace stand_in
