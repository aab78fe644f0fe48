#pragma once
// What the program shows before any unit: the main window's title and the version panel's
// row labels, or the box of a start that finds another updater running out of its reach.
#include <string>

// The model and the image's version, as the window's caption.
std::wstring mainWindowTitle();
// The caption up to its version: what every version of the updater shows.
std::wstring mainWindowTitleWithoutVersion();
// The version of the image the program carries, as the caption ends with it ("3.5").
std::wstring imageVersionText();

void setRowLabels();

// A box under the program's title, owned by no window: another updater holds the claim
// and no window of it can be brought forward from here.
void tellUpdaterRunsElsewhere();
