#pragma once
// The file of recorded exchanges, which is also the report a user sends: one JSON object a
// line. The first line names the format and, from version 2 on, the run (who wrote it, with
// which image, where and when; nothing of the user's). Every further line is one call of the
// HID transport with its arguments, its results and the transport's last error right after
// it, or an event of the front end, stamped with the milliseconds since recording began. The
// last line is the run's outcome.
//
//   {"ms":0,"op":"begin","format":"spindra-exchanges","version":2,"run":{"frontEnd":"spindra-update",...}}
//   {"ms":0,"op":"list","ok":true,"paths":["/dev/hidraw0"],"error":0}
//   {"ms":1,"op":"open","path":"/dev/hidraw0","handle":3,"error":0}
//   {"ms":1,"op":"attributes","handle":3,"ok":true,"vendor":8632,"product":1,"error":0}
//   {"ms":1,"op":"lengths","handle":3,"ok":true,"output":60,"input":60,"error":0}
//   {"ms":2,"op":"write","handle":3,"ok":true,"data":"010800...","error":0}
//   {"ms":3,"op":"read","handle":3,"length":60,"ok":true,"data":"020800...","error":0}
//   {"ms":9,"op":"close","handle":3,"error":0}
//   {"ms":9,"op":"event","event":"answer","box":"ConfirmUpdate","answer":"yes"}
//   {"ms":9,"op":"outcome","readiness":"Ready","outcome":"Updated"}
//
// A read that failed has no data. A call that failed may say in "platform" what the system
// calls its error. Version 1 files have neither run, events, platform words nor outcome.

#include <cstddef>
#include <iterator>
#include <string>

namespace exchangefile {

constexpr const char* kFormat = "spindra-exchanges";
constexpr int kVersion = 2;
constexpr int kOldestVersion = 1;

constexpr const char* kBegin = "begin";
constexpr const char* kEvent = "event";
constexpr const char* kOutcome = "outcome";

// The calls of the HID transport, as the lines after the first one name them.
enum class Operation { List, Open, Attributes, Lengths, Write, Read, Close };
constexpr const char* kOperationNames[] = {"list", "open", "attributes", "lengths", "write", "read", "close"};

constexpr const char* nameOf(Operation operation) { return kOperationNames[static_cast<std::size_t>(operation)]; }

// False for a name that is no operation's.
inline bool operationNamed(const std::string& name, Operation& operation) {
  for (std::size_t i = 0; i < std::size(kOperationNames); ++i) {
    if (name == kOperationNames[i]) {
      operation = static_cast<Operation>(i);
      return true;
    }
  }
  return false;
}

}  // namespace exchangefile
