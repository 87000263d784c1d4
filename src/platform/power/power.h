#pragma once

// Tells the desktop that the user is active, once, so that its idle timers
// (screen saver, display sleep, suspend) start again: the freedesktop
// screen-saver service's SimulateUserActivity on the session bus. Never
// waits for an answer; does nothing without a session bus or that service.
void KeepSystemAwake();
