#include "app/About.h"

namespace {

const ui::FormSpec kAboutSpec = {
    "TAboutBox", "Vantrel 1.0", 298, 287,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
    RGB(192, 220, 192), "MS Sans Serif", 11, 0,
};

}  // namespace

TAboutBox::TAboutBox() { CreateForm(kAboutSpec, nullptr, 0, nullptr); }
