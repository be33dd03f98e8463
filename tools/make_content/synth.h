// SPDX-License-Identifier: MIT
// The soundtrack's instruments, synthesised: drums from noise and swept sines, the tonal instruments from
// band-limited saws. Every function gives the same samples on every run.
#pragma once

#include "tools/make_content/xm_writer.h"

const int kSampleRate = 32000;

XmInstrument makeKick();
XmInstrument makeClap();
XmInstrument makeSnare();
XmInstrument makeClosedHat();
XmInstrument makeOpenHat();
XmInstrument makeCrash();
XmInstrument makeBass();
XmInstrument makePad();
XmInstrument makeLead();
XmInstrument makePluck();

// Relative note and finetune that make an XM note sound at its equal-tempered pitch (A-4 = 440 Hz) when the
// sample holds a tone of fundamental f0 recorded at kSampleRate.
void tuneInstrument(XmInstrument& instrument, double f0);
