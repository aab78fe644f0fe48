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

// The blocks that carry this many bytes of the image, the last one partial where they do not fill it.
std::uint32_t blocksFor(std::uint32_t bytes);
// The pauses a transfer still makes with this much of the image to send: one after each block.
std::uint32_t transferPausesMs(std::uint32_t bytesToSend);

// Streams the image in 48-byte blocks, telling the progress after each; the progress window
// is closed before it returns.
TransferResult transferImage(const sys::FirmwareImage& image);
