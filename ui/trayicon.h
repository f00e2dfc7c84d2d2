// The notification-area icon: one icon in the shell's notification area for
// the owner's whole life, with a hidden window of its own that receives the
// shell's callbacks. A mouse movement over the icon and a click (press and
// release) are reported; nothing else.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "base/handles.h"
#include "base/windowmessages.h"

namespace ui {

class TTrayIcon {
public:
    // The callback message the shell sends to the hidden window.
    static constexpr UINT kCallbackMessage = base::kTrayIconMessage;
    // The record as Windows 2000 defined it: the balloon fields, no GUID.
    static constexpr DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;

    TTrayIcon() = default;
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // Sets the picture, tip and balloon texts and adds the icon. Raises
    // "Cannot create shell notification icon" when the shell refuses it.
    void Create(HICON icon, const std::string& tip, const std::string& balloonText,
                const std::string& balloonTitle, UINT balloonTimeout);

    // Takes the icon out of the notification area (when the owner window is
    // destroyed); failures are ignored.
    void Remove();

    std::function<void()> OnClick;
    std::function<void(int x, int y)> OnMouseMove;

    HWND Handle() const { return window_.get(); }
    // The record as handed to the shell.
    const NOTIFYICONDATAW& Data() const { return data_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool Notify(DWORD message);

    base::UniqueWindow window_;
    base::UniqueIcon icon_;
    NOTIFYICONDATAW data_{};
    bool visible_ = false;
    bool pressed_ = false;
    UINT taskbarCreated_ = 0;
};

}  // namespace ui
