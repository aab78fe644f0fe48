#pragma once
// What spindra-update tells: the outcome of a run, for people or as JSON, its help, version
// and history, and its errors.
#include <cstdint>
#include <string>

#include "adapters/exchange/json_line.h"
#include "programs/cli/cli_texts.h"
#include "programs/cli/facts.h"
#include "seams/system.h"
#include "update/image_version.h"

namespace cli {

// The version of the image written, which is also the program's.
constexpr std::uint32_t kVersionMajor = SPINDRA_IMAGE_VERSION_MAJOR;
constexpr std::uint32_t kVersionMinor = SPINDRA_IMAGE_VERSION_MINOR;

// A line on stderr: a wrong option, an unusable exchange file, a warning.
void printError(const std::string& text);

// The SHA-256 of an image as hexadecimal text.
std::string imageDigest(const sys::FirmwareImage& image);

// The run's outcome as the window would show it, or as one JSON object on stdout.
void printForPeople(const Facts& facts);
void printJson(const Facts& facts);

// How the run ended, in the values of the history: the last line of a report.
jsonl::Object outcomeFields(const Facts& facts);

// --help, --version and --history; each returns the exit code.
void showUsage();
int showVersion();
int showHistory(bool json);  // one line per update for people; with --json the lines as stored

}  // namespace cli
