#pragma once
// What the main window shows before any unit: its title and the version panel's row labels.
#include <string>

// The model and the image's version, as the window's caption.
std::wstring mainWindowTitle();
// The caption up to its version: what every version of the updater shows.
std::wstring mainWindowTitleWithoutVersion();

void setRowLabels();
