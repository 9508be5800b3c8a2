// The import choosers on an opened file: each lets the user pick, then hands the dump to the frame.
#pragma once

#include "import/PatchSource.h"

class DFrame;

// Each shows the source's failure, if it has one, instead of a chooser; Cancel sends nothing.
void chooseSoundDiverEntry(DFrame& frame, const amplix::PatchSource& source);
void chooseLine6EditEntry(DFrame& frame, const amplix::PatchSource& source);
void chooseGuitarPortEntry(DFrame& frame, const amplix::PatchSource& source);
