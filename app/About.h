// The About window: the program's name and version, a description, the
// credit line and a link to the web address, shown modally from the main
// window's About button.
#pragma once

#include "ui/form.h"

class TAboutBox : public ui::Form {
public:
    TAboutBox();
};
