#pragma once
// Small file layer: one open file per object, reads at offsets, folders held open, and
// whole-file replacement through a temporary file in the destination's folder. It makes no
// text: its failures are std::error_code values, described where they are shown.

#include "fileio/atomic_file.h"
#include "fileio/descriptor.h"
#include "fileio/folder.h"
#include "fileio/input_file.h"
#include "fileio/paths.h"
#include "fileio/rewrite.h"
