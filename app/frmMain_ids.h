// The main window's control identifiers, shared by the code, the layout table
// and the tests. Numbers group by kind: edits 1001.., check boxes 1101..,
// pictures 1202.., labels 1301.., panels 1401.., bevels 1501...
#pragma once

namespace frmMain {

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
    image4,         // Save
    image5,         // Exit
    image6,         // About
    image7,         // Tray
    image8,         // Clear
    lbl1 = 1301,    // button captions: Save, Clear, Tray, About, Exit
    lbl2,
    lbl3,
    lbl4,
    lbl5,
    spnl1 = 1401,   // name-box panel
    spnl2,          // details panel
    sbvl1 = 1501,   // frames
    sbvl2,
    sbvl3,
};

inline bool IsCheckBox(int id) { return id >= chk1 && id <= chk7; }
inline bool IsIconPicture(int id) { return id == image2 || id == image3; }

}  // namespace frmMain
