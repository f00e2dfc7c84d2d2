// The product's name and version as the user sees them: the title of both
// windows, the caption of the failure display and the About window's heading.
#pragma once

constexpr char kProductTitle[] = "Vantrel 1.0";
