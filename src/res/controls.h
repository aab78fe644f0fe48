#pragma once
// Control ids of the main dialog (template 110).

namespace ctl {
constexpr int kCloseButton = 2;
constexpr int kUpdateButton = 1002;
constexpr int kHintBox = 40004;
constexpr int kVersionGroup = 40007;
constexpr int kUnitLabel = 40010;
constexpr int kEscLoaderLabel = 1005;
constexpr int kEscLabel = 40011;
constexpr int kUnitVersionText = 40013;
constexpr int kEscLoaderVersionText = 40014;
constexpr int kEscVersionText = 40015;
}  // namespace ctl
