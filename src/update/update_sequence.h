#pragma once
#include <cstdint>
#include <string>

#include "update/image_version.h"

constexpr std::uint16_t kImageVersion = SPINDRA_IMAGE_VERSION_MAJOR << 8 | SPINDRA_IMAGE_VERSION_MINOR;
constexpr std::int32_t kStepNotConfirmed = 1627;
constexpr std::uint32_t kEraseSettleMs = 4000;

// What the Update button does: refuse what cannot be written, confirm, write the image,
// report the outcome.
void runUpdate();

// Gives the unit up and tells the user: text, and the code line unless code is -1.
void reportFailure(const std::wstring& text, const std::wstring& caption, std::int32_t code,
                   std::uint32_t systemError);
