// The stand-in HID bus: serves the simulated unit model of a scenario as named pipes, one per
// device, to a program whose setupapi.dll and hid.dll are the stand-ins. The control pipe
// tells those DLLs what the bus holds and hands the test the final flash and request log.
//   stand_in_bus_server <scenario>
// Exit codes: 0 after the final report, 2 for a scenario the model does not know, 3 when
// a pipe cannot be created.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/little_endian.h"
#include "adapters/sim/scenario.h"
#include "adapters/sim/simulated_bus.h"
#include "protocol.h"

namespace {

constexpr DWORD kPipeBufferBytes = 4096;
constexpr DWORD kFinalReportBytes = 1 << 20;

HANDLE createPipeInstance(const std::wstring& name, DWORD bufferBytes) {
  return CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                          PIPE_UNLIMITED_INSTANCES, bufferBytes, bufferBytes, 0, nullptr);
}

// Hands each client of the pipe to serve, which says whether to go on accepting. The next
// instance is listening before a client is served, so no client finds the name without one.
template <typename Serve>
void acceptClients(const std::wstring& name, DWORD bufferBytes, HANDLE listening, Serve serve) {
  bool goOn = true;
  while (goOn && listening != INVALID_HANDLE_VALUE) {
    const bool connected = ConnectNamedPipe(listening, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
    HANDLE next = createPipeInstance(name, bufferBytes);
    if (connected) {
      goOn = serve(listening);
    } else {
      CloseHandle(listening);
    }
    listening = next;
  }
  if (listening != INVALID_HANDLE_VALUE) CloseHandle(listening);
}

// A timed-out reply is one the unit never gives: the program's read stays pending.
bool unitStaysSilent(std::uint32_t error) { return error == sim::kErrorTimeout; }

// One open of a device: each message is a report to the model, answered with its reply of
// the device's input report length. A transfer the model fails breaks the pipe, so the
// program's read fails as it would on a real bus.
void serveConnection(sim::Bus& bus, HANDLE pipe, const std::wstring& simulatedPath) {
  const hid::Transport transport = bus.transport();
  const hid::Handle device = transport.openInterface(simulatedPath);
  std::uint32_t outputLength = 0, inputLength = 0;
  transport.readReportLengths(device, outputLength, inputLength);
  std::vector<std::uint8_t> request(kPipeBufferBytes), reply(inputLength);
  DWORD requestLength = 0;
  while (device != hid::kInvalidHandle &&
         ReadFile(pipe, request.data(), kPipeBufferBytes, &requestLength, nullptr)) {
    if (!transport.writeReport(device, request.data(), requestLength)) break;
    if (!transport.readReport(device, reply.data(), reply.size())) {
      if (unitStaysSilent(transport.lastError())) continue;
      break;
    }
    DWORD written = 0;
    if (!WriteFile(pipe, reply.data(), static_cast<DWORD>(reply.size()), &written, nullptr)) break;
  }
  if (device != hid::kInvalidHandle) transport.closeInterface(device);
  CloseHandle(pipe);
}

std::wstring devicePipe(std::size_t index) { return stand_in::kDevicePipePrefix + std::to_wstring(index); }

stand_in::DeviceDescription describe(sim::Bus& bus, std::size_t index, const std::wstring& simulatedPath) {
  stand_in::DeviceDescription description{};
  devicePipe(index).copy(description.path, stand_in::kPathChars - 1);
  const hid::Transport transport = bus.transport();
  const hid::Handle device = transport.openInterface(simulatedPath);
  if (device == hid::kInvalidHandle) return description;
  description.attributesReadable = transport.readAttributes(device, description.vendorId, description.productId);
  std::uint32_t outputLength = 0, inputLength = 0;
  description.capsReadable = transport.readReportLengths(device, outputLength, inputLength);
  description.outputReportLength = static_cast<std::uint16_t>(outputLength);
  description.inputReportLength = static_cast<std::uint16_t>(inputLength);
  transport.closeInterface(device);
  return description;
}

void appendLittleEndian16(std::vector<std::uint8_t>& out, std::size_t value) {
  out.resize(out.size() + 2);
  le::write16(&out[out.size() - 2], static_cast<std::uint16_t>(value));
}

std::vector<std::uint8_t> finalReport(const sim::Bus& bus, const std::vector<std::wstring>& simulatedPaths) {
  std::vector<std::uint8_t> report;
  for (const std::wstring& path : simulatedPaths) {
    const sim::Device device = bus.device(path);
    if (device.isUnit) {
      report = device.unit.flash;
      break;
    }
  }
  for (const sim::LoggedRequest& request : bus.requests()) {
    appendLittleEndian16(report, request.bytes.size());
    report.insert(report.end(), request.bytes.begin(), request.bytes.end());
  }
  return report;
}

// Answers one control request; false once the final report has been given.
bool answerControl(sim::Bus& bus, HANDLE pipe, const std::vector<std::wstring>& simulatedPaths) {
  std::uint8_t request = 0;
  DWORD length = 0;
  bool ended = false;
  if (ReadFile(pipe, &request, 1, &length, nullptr)) {
    std::vector<std::uint8_t> answer;
    if (request == stand_in::kListDevices) {
      for (std::size_t index = 0; index < simulatedPaths.size(); ++index) {
        const stand_in::DeviceDescription description = describe(bus, index, simulatedPaths[index]);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&description);
        answer.insert(answer.end(), bytes, bytes + sizeof(description));
      }
    } else if (request == stand_in::kFinalReport) {
      answer = finalReport(bus, simulatedPaths);
      ended = true;
    }
    DWORD written = 0;
    WriteFile(pipe, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
    FlushFileBuffers(pipe);
  }
  CloseHandle(pipe);
  return !ended;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Static: the connections' detached threads may still use it while the process ends.
  static sim::Bus bus;
  const std::wstring scenario = argc > 1 ? argv[1] : L"";
  if (!sim::loadScenario(bus, std::string(scenario.begin(), scenario.end()), "")) return 2;
  std::vector<std::wstring> simulatedPaths;
  bus.transport().listInterfaces(simulatedPaths);
  // Every device pipe listens before the control pipe does: a client that has reached the
  // control pipe finds every device.
  for (std::size_t index = 0; index < simulatedPaths.size(); ++index) {
    HANDLE first = createPipeInstance(devicePipe(index), kPipeBufferBytes);
    if (first == INVALID_HANDLE_VALUE) return 3;
    std::thread(acceptClients<std::function<bool(HANDLE)>>, devicePipe(index), kPipeBufferBytes, first,
                [path = simulatedPaths[index]](HANDLE pipe) {
                  std::thread(serveConnection, std::ref(bus), pipe, path).detach();
                  return true;
                })
        .detach();
  }
  HANDLE control = createPipeInstance(stand_in::kControlPipe, kFinalReportBytes);
  if (control == INVALID_HANDLE_VALUE) return 3;
  acceptClients(stand_in::kControlPipe, kFinalReportBytes, control,
                [&simulatedPaths](HANDLE pipe) { return answerControl(bus, pipe, simulatedPaths); });
  return 0;
}
