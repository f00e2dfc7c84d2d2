// Program entry: the console mode when the first argument asks for it, in a
// COM apartment; else the OLE apartment, the title, the main window and the
// hidden About window, then the message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/window/About.h"
#include "app/console/console.h"
#include "app/window/frmMain.h"
#include "ui/application.h"
#include "base/fs.h"
#include "base/handles.h"
#include "base/product.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCmd) {
    // The wide command line, so that names outside the system's code page
    // arrive whole.
    const std::string commandLine = fs::Narrow(GetCommandLineW());
    if (IsConsoleCommandLine(commandLine)) {
        // No window of its own: OLE's would only cost the start-up time.
        base::ComApartment com;
        return RunConsole(commandLine);
    }
    base::OleApartment ole;  // before any window: the shell queries rely on it
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    // A failure here shows where a control of those classes is made, which
    // reports it.
    (void)InitCommonControlsEx(&icc);
    ui::TApplication& app = ui::Application();
    app.SetTitle(kProductTitle);
    try {
        TForm1 form1(commandLine);
        TAboutBox aboutBox(form1.Handle());
        form1.SetAboutBox(&aboutBox);
        return app.Run(showCmd);
    } catch (const std::exception& e) {
        app.ShowException(e.what());
        return 1;
    }
}
