// SPDX-License-Identifier: MIT
// The soundtrack's composition, and the two small modules the tests use.
#pragma once

#include "tools/make_content/xm_writer.h"

// The show's soundtrack: 38 orders of 64 rows, sections changing where the show's scenes change.
XmModule composeSoundtrack();
// The same song at the fastest tempo the format allows, for end-to-end runs of the whole show.
XmModule fastSoundtrack(const XmModule& song);
// The song at 2.3 times its tempo: the whole schedule, every scene in its share, in one minute (tav-bench).
XmModule benchSoundtrack(const XmModule& song);
// A short module whose patterns have different lengths (64, 32, 128 and 16 rows).
XmModule patternLengthsModule(const XmModule& song);
