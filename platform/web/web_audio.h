// SPDX-License-Identifier: MIT
// The seam between the browser's yield points and the Web Audio output of the sound library: wherever the
// program gives the browser control (each frame, each wait), the output is topped up first. Main thread only.
#pragma once

// Mixes what the audio output will need until the next yield and hands it over; cheap when nothing is due.
void webAudioPump();
