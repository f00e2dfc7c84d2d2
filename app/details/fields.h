// The fields that show one file's details, by the identifiers the main
// window gives their controls: the detail rows table, the report and the
// window all name a field by them. Numbers group by kind: edits 1001..,
// check boxes 1101.., icon pictures 1202...
#pragma once

namespace fields {

enum : int {
    edt1 = 1001,  // file-name box
    edt2,         // Display Name
    edt3,         // File Type
    edt4,         // File Size (bytes)
    edt5,         // Created
    edt6,         // Last Accessed
    edt7,         // Last Modified
    edt8,         // Company Name
    edt9,         // File Version
    edt10,        // Description
    edt11,        // Legal Copyright
    edt12,        // Legal Trademark
    edt13,        // Language
    edt14,        // Comments
    edt15,        // Original File Name
    edt16,        // Internal File Name
    edt17,        // CRC
    edt18,        // MD5
    edt19,        // Product Version
    chk1 = 1101,  // Archive
    chk2,         // Read Only
    chk3,         // Hidden
    chk4,         // System
    chk5,         // Temporary
    chk6,         // Compressed
    chk7,         // Offline
    image2 = 1202,  // large icon
    image3,         // small icon
};

inline bool IsCheckBox(int id) { return id >= chk1 && id <= chk7; }
inline bool IsIconPicture(int id) { return id == image2 || id == image3; }

}  // namespace fields
