// The detail rows of the main window, in the order the refresh writes them:
// the one list behind the refresh, Clear all Fields and the report's lines.
#pragma once

#include <cstddef>

#include "app/frmMain_ids.h"

struct DetailRow {
    int id;              // edit, check box or icon picture of the main window
    const char* label;   // its report label; null for a row the report leaves out
    int reportLine;      // its line in the report (1-based); 0 for none
    bool cleared;        // emptied by Clear all Fields
};

// clang-format off
constexpr DetailRow kDetailRows[] = {
//   id               report label           line  cleared
    {frmMain::edt2,   "Display Name",        4,    true},
    {frmMain::edt3,   "File Type",           5,    true},
    {frmMain::image2, nullptr,               0,    true},   // large icon
    {frmMain::image3, nullptr,               0,    true},   // small icon
    {frmMain::edt4,   "File Size (bytes)",   15,   true},
    {frmMain::chk1,   "Archive",             22,   true},
    {frmMain::chk2,   "Read Only",           23,   true},
    {frmMain::chk3,   "Hidden",              24,   true},
    {frmMain::chk4,   "System",              25,   true},
    {frmMain::chk5,   "Temporary",           26,   true},
    {frmMain::chk6,   "Compressed",          27,   true},
    {frmMain::chk7,   "Offline",             28,   true},
    {frmMain::edt5,   "Created",             16,   true},
    {frmMain::edt6,   "Last Accessed",       17,   true},
    {frmMain::edt7,   "Last Modified",       18,   true},
    {frmMain::edt8,   "Company Name",        7,    true},
    {frmMain::edt9,   "File Version",        6,    true},
    // Product Version: shown, never reported, and kept by Clear all Fields
    // until the next refresh.
    {frmMain::edt19,  nullptr,               0,    false},
    {frmMain::edt10,  "Description",         8,    true},
    {frmMain::edt11,  "Legal Copyright",     9,    true},
    {frmMain::edt12,  "Legal Trademark",     10,   true},
    {frmMain::edt13,  "Language",            11,   true},
    {frmMain::edt14,  "Comments",            12,   true},
    {frmMain::edt15,  "Original File Name",  13,   true},
    {frmMain::edt16,  "Internal File Name",  14,   true},
    {frmMain::edt17,  "CRC",                 19,   true},
    {frmMain::edt18,  "MD5",                 20,   true},
};
// clang-format on
constexpr std::size_t kDetailRowCount = sizeof kDetailRows / sizeof kDetailRows[0];

// The name box's own line: the path as the box holds it.
constexpr DetailRow kFileRow = {frmMain::edt1, "File", 3, false};
