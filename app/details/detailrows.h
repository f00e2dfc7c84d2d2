// The detail rows of the main window, in the order the refresh writes them:
// the one list behind the refresh, Clear all Fields and the report's lines.
#pragma once

#include <cstddef>

#include "app/details/fields.h"

struct DetailRow {
    int id;              // edit, check box or icon picture of the main window
    const char* label;   // its report label; null for a row the report leaves out
    int reportLine;      // its line in the report (1-based); 0 for none
    bool cleared;        // emptied by Clear all Fields
};

// clang-format off
constexpr DetailRow kDetailRows[] = {
//   id               report label           line  cleared
    {fields::edt2,   "Display Name",        4,    true},
    {fields::edt3,   "File Type",           5,    true},
    {fields::image2, nullptr,               0,    true},   // large icon
    {fields::image3, nullptr,               0,    true},   // small icon
    {fields::edt4,   "File Size (bytes)",   15,   true},
    {fields::chk1,   "Archive",             22,   true},
    {fields::chk2,   "Read Only",           23,   true},
    {fields::chk3,   "Hidden",              24,   true},
    {fields::chk4,   "System",              25,   true},
    {fields::chk5,   "Temporary",           26,   true},
    {fields::chk6,   "Compressed",          27,   true},
    {fields::chk7,   "Offline",             28,   true},
    {fields::edt5,   "Created",             16,   true},
    {fields::edt6,   "Last Accessed",       17,   true},
    {fields::edt7,   "Last Modified",       18,   true},
    {fields::edt8,   "Company Name",        7,    true},
    {fields::edt9,   "File Version",        6,    true},
    // Product Version: shown, never reported, and kept by Clear all Fields
    // until the next refresh.
    {fields::edt19,  nullptr,               0,    false},
    {fields::edt10,  "Description",         8,    true},
    {fields::edt11,  "Legal Copyright",     9,    true},
    {fields::edt12,  "Legal Trademark",     10,   true},
    {fields::edt13,  "Language",            11,   true},
    {fields::edt14,  "Comments",            12,   true},
    {fields::edt15,  "Original File Name",  13,   true},
    {fields::edt16,  "Internal File Name",  14,   true},
    {fields::edt17,  "CRC",                 19,   true},
    {fields::edt18,  "MD5",                 20,   true},
};
// clang-format on
constexpr std::size_t kDetailRowCount = sizeof kDetailRows / sizeof kDetailRows[0];

// The name box's own line: the path as the box holds it.
constexpr DetailRow kFileRow = {fields::edt1, "File", 3, false};
