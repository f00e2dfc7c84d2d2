// The main window as the tests start it: no file named on the command line,
// nothing selected.
#pragma once

#include <memory>

#include "app/window/frmMain.h"

namespace testutil {

inline std::unique_ptr<TForm1> NewMainForm() {
    return std::make_unique<TForm1>("vantrel.exe");
}

}  // namespace testutil
