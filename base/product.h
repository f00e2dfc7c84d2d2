// The product's title as the user sees it: the caption of both windows and of
// the failure display, and the About window's heading. The version behind it
// lives in base/version.h, which the resource script reads too.
#pragma once

#include "base/version.h"

constexpr char kProductTitle[] = VANTREL_TITLE;
