// Test entry for the tests under Wine: the thread joins the single-threaded
// OLE apartment first, as the program's own entry does.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "ui/application.h"
#include "base/handles.h"
#include "base/product.h"

int main(int argc, char** argv) {
    // A run that asks for a code page (the tests under the legacy manifest)
    // proves nothing in another one.
    char wanted[16] = {};
    if (GetEnvironmentVariableA("VANTREL_EXPECT_CODE_PAGE", wanted, sizeof wanted) &&
        GetACP() != static_cast<UINT>(std::strtoul(wanted, nullptr, 10))) {
        std::fprintf(stderr, "the process runs in code page %u, not in %s as this run needs\n", GetACP(),
                     wanted);
        return 1;
    }
    base::OleApartment ole;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    ui::Application().SetTitle(kProductTitle);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
