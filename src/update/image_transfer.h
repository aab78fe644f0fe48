#pragma once
#include <cstdint>

#include "link/unit_protocol.h"
#include "seams/system.h"

constexpr std::uint32_t kBlockBytes = 48;
// The output report a unit needs to take a full block.
constexpr std::uint32_t kBlockRequestBytes = kBlockDataOffset + kBlockBytes;
constexpr std::uint32_t kCommandPauseMs = 20;

struct TransferResult {
  ExchangeResult result = 0;
  std::uint32_t systemError = 0;
};

// Streams the image in 48-byte blocks behind a progress window.
TransferResult transferImage(const sys::FirmwareImage& image);
