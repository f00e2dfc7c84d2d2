// The About window: the program's name and version, a description, the
// credit line and a link to the web address (as text and as a logo), shown
// modally from the main window's About button and hidden again on closing.
#pragma once

#include <functional>
#include <string>

#include "base/fs.h"
#include "ui/form.h"

namespace About {

enum : int {
    image3 = 2001,  // close picture
    Panel1,         // bevelled panel holding the rest
    Copyright,      // credit line
    Comments,       // web address as a text link
    Image1,         // logo, a picture link to the same address
    sLabelFX1,      // title with its shadow
    sLabel1,        // description
    image4,         // frame around the logo
};

}  // namespace About

class TAboutBox : public ui::Form {
public:
    // `owner` is the main window, which the About window stays above.
    explicit TAboutBox(HWND owner = nullptr);

    void image3Click();
    void image3MouseEnter();
    void image3MouseLeave();
    void CommentsClick();
    void CommentsMouseMove();
    void CommentsMouseLeave();
    void Image1Click();
    void Image1MouseMove();
    void Image1MouseLeave();

    // Shows the window modally: centred on the primary screen the first time,
    // where it was left afterwards.
    void Execute();

    // Hands a web address to the shell; replaceable so that tests can watch.
    std::function<void(HWND owner, const char* verb, const char* address)> onOpenAddress =
        [](HWND owner, const char* verb, const char* address) {
            ShellExecuteW(owner, fs::Widen(verb).c_str(), fs::Widen(address).c_str(), nullptr, nullptr,
                          SW_SHOWNORMAL);
        };

    static const char* const kAddress;

    // The title's own font, which the form paints it in.
    HFONT TitleFont() const { return titleFont_.get(); }

protected:
    void OnEvent(int id, ui::Event event) override;
    bool PaintControl(int id, HDC dc, const RECT& rc) override;
    void DpiChanged() override;

private:
    void CreateTitleFont();
    void PaintTitle(HDC dc, const RECT& rc);

    base::UniqueFont titleFont_;
    bool placed_ = false;
};
