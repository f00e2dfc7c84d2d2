#include "app/window/frmMain_layout.h"

#include "base/product.h"
#include "resources/resource.h"

using ui::Kind;

static_assert(IDP_RENDITION_150 == ui::kRendition150Offset && IDP_RENDITION_200 == ui::kRendition200Offset,
              "the resource script stores the renditions where the picture loader looks");
using namespace frmMain;

const ui::FormSpec kMainFormSpec = {
    "TForm1", kProductTitle,
    405, 560,                                              // client area
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,  // fixed, no maximise
    WS_EX_APPWINDOW | WS_EX_CONTROLPARENT,
    CLR_INVALID,                                           // button face
    "Tahoma", 11,
    IDI_VANTREL,
};

// clang-format off
const ui::ControlSpec kMainLayout[] = {
//   id       name      kind                 parent  left top  w    h    caption / hint                       r/o    tab  picture
    {spnl1,  "spnl1",  Kind::Panel,          0,      0,   0,   405, 41,  "",                                  false, 0,   0},
    {edt1,   "edt1",   Kind::NameBox,        spnl1,  28,  10,  364, 21,  "File:",                             false, 0,   IDP_BROWSE},
    {spnl2,  "spnl2",  Kind::Panel,          0,      0,   41,  405, 519, "",                                  false, 1,   0},
    {sbvl1,  "sbvl1",  Kind::Frame,          spnl2,  342, 15,  50,  50,  "",                                  false, -1,  0},
    {image2, "image2", Kind::IconPicture,    spnl2,  351, 24,  32,  32,  "",                                  false, -1,  0},
    {sbvl2,  "sbvl2",  Kind::Frame,          spnl2,  272, 15,  50,  50,  "",                                  false, -1,  0},
    {image3, "image3", Kind::IconPicture,    spnl2,  281, 24,  32,  32,  "",                                  false, -1,  0},
    {sbvl3,  "sbvl3",  Kind::Frame,          spnl2,  272, 69,  120, 127, "",                                  false, -1,  0},
    {image4, "image4", Kind::PictureButton,  spnl2,  9,   450, 48,  48,  "Save File Details to a Text File",  false, -1,  IDP_SAVE},
    {image5, "image5", Kind::PictureButton,  spnl2,  344, 450, 48,  48,  "Exit",                              false, -1,  IDP_EXIT},
    {image6, "image6", Kind::PictureButton,  spnl2,  272, 450, 48,  48,  "About Vantrel",                     false, -1,  IDP_ABOUT},
    {image7, "image7", Kind::PictureButton,  spnl2,  152, 450, 48,  48,  "Minimize to System Tray",           false, -1,  IDP_TRAY},
    {image8, "image8", Kind::PictureButton,  spnl2,  80,  450, 48,  48,  "Clear all Fields",                  false, -1,  IDP_CLEAR},
    {lbl1,   "lbl1",   Kind::CaptionLabel,   spnl2,  21,  501, 24,  13,  "Save",                              false, -1,  0},
    {lbl2,   "lbl2",   Kind::CaptionLabel,   spnl2,  90,  501, 25,  13,  "Clear",                             false, -1,  0},
    {lbl3,   "lbl3",   Kind::CaptionLabel,   spnl2,  165, 501, 22,  13,  "Tray",                              false, -1,  0},
    {lbl4,   "lbl4",   Kind::CaptionLabel,   spnl2,  281, 501, 29,  13,  "About",                             false, -1,  0},
    {lbl5,   "lbl5",   Kind::CaptionLabel,   spnl2,  359, 501, 18,  13,  "Exit",                              false, -1,  0},
    {edt2,   "edt2",   Kind::DetailField,    spnl2,  9,   15,  257, 21,  "Display Name:",                     true,  0,   0},
    {edt3,   "edt3",   Kind::DetailField,    spnl2,  9,   54,  257, 21,  "File Type:",                        true,  1,   0},
    {edt4,   "edt4",   Kind::DetailField,    spnl2,  272, 216, 120, 21,  "File Size (bytes):",                true,  2,   0},
    {chk1,   "chk1",   Kind::CheckBox,       spnl2,  291, 71,  56,  20,  "Archive",                           true,  3,   0},
    {chk2,   "chk2",   Kind::CheckBox,       spnl2,  291, 88,  70,  20,  "Read Only",                         false, 4,   0},
    {chk3,   "chk3",   Kind::CheckBox,       spnl2,  291, 105, 53,  20,  "Hidden",                            true,  5,   0},
    {chk4,   "chk4",   Kind::CheckBox,       spnl2,  291, 122, 55,  20,  "System",                            true,  6,   0},
    {chk5,   "chk5",   Kind::CheckBox,       spnl2,  291, 139, 72,  20,  "Temporary",                         true,  7,   0},
    {chk6,   "chk6",   Kind::CheckBox,       spnl2,  291, 156, 79,  20,  "Compressed",                        true,  8,   0},
    {chk7,   "chk7",   Kind::CheckBox,       spnl2,  291, 173, 52,  20,  "Offline",                           true,  9,   0},
    {edt5,   "edt5",   Kind::DetailField,    spnl2,  272, 256, 120, 21,  "Created:",                          true,  10,  0},
    {edt6,   "edt6",   Kind::DetailField,    spnl2,  272, 297, 120, 21,  "Last Accessed:",                    true,  11,  0},
    {edt7,   "edt7",   Kind::DetailField,    spnl2,  272, 339, 120, 21,  "Last Modified:",                    true,  12,  0},
    {edt8,   "edt8",   Kind::DetailField,    spnl2,  9,   135, 257, 21,  "Company Name:",                     true,  13,  0},
    {edt9,   "edt9",   Kind::DetailField,    spnl2,  9,   94,  127, 21,  "File Version:",                     true,  14,  0},
    {edt10,  "edt10",  Kind::DetailField,    spnl2,  9,   175, 257, 21,  "Description:",                      true,  15,  0},
    {edt11,  "edt11",  Kind::DetailField,    spnl2,  9,   216, 257, 21,  "Legal Copyright:",                  true,  16,  0},
    {edt12,  "edt12",  Kind::DetailField,    spnl2,  9,   256, 257, 21,  "Legal Trademark:",                  true,  17,  0},
    {edt13,  "edt13",  Kind::DetailField,    spnl2,  9,   297, 257, 21,  "Language:",                         true,  18,  0},
    {edt14,  "edt14",  Kind::DetailField,    spnl2,  9,   339, 257, 21,  "Comments:",                         true,  19,  0},
    {edt15,  "edt15",  Kind::DetailField,    spnl2,  206, 421, 186, 21,  "Original File Name:",               true,  20,  0},
    {edt16,  "edt16",  Kind::DetailField,    spnl2,  9,   421, 188, 21,  "Internal File Name:",               true,  21,  0},
    {edt17,  "edt17",  Kind::DetailField,    spnl2,  272, 380, 120, 21,  "CRC:",                              true,  22,  0},
    {edt18,  "edt18",  Kind::DetailField,    spnl2,  9,   380, 257, 21,  "MD5:",                              true,  23,  0},
    {edt19,  "edt19",  Kind::DetailField,    spnl2,  139, 94,  127, 21,  "Product Version:",                  false, 24,  0},
};
// clang-format on

const size_t kMainLayoutCount = sizeof kMainLayout / sizeof kMainLayout[0];
