#pragma once
// The browser's system adapter: pauses on the worker's timers, the writing span told to the
// page, and the image the page carries.
namespace web {

// The simulated unit may be given the placeholder image; a real unit never is.
void useSimulatedUnit();

}  // namespace web
