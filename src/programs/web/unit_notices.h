#pragma once
// The page's notices on the way to the unit, each in an element of its own beside the hint:
// another tab has the updater, the browser needs the unit chosen once, the chooser was closed
// without a choice, the browser may not open the unit, the open unit was removed. The worker
// and the page show and hide them; the core gives their texts, fitted to the platform.

// Sends every notice's text to the page, each hidden.
void sendUnitNoticeTexts();
