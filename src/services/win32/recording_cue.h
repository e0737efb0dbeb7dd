#pragma once

// Starts one playback of the recording cue on the default wave output and returns at once.
// Each cue has its own output, so quick presses overlap; each is closed once its clip ends.
// Silent when there is no device.
void StartRecordingCue();
// How many cues are still open (for the leak check of the end-to-end tests).
long OpenRecordingCues();
