// Test entry for the tests under Wine: the thread joins the single-threaded
// OLE apartment first, as the program's own entry does.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/application.h"
#include "base/handles.h"
#include "base/product.h"

int main(int argc, char** argv) {
    base::OleApartment ole;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    ui::Application().SetTitle(kProductTitle);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
