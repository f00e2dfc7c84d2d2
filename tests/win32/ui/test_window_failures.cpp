// A window or window class the system refuses: the failure names the
// system's error code.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/window/About.h"
#include "ui/window.h"

namespace {

// The exception's text, or "no failure".
template <typename F>
std::string FailureOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no failure";
}

TEST(WindowFailures, CarryTheSystemsCode) {
    const std::string tooLong(260, 'x');  // beyond the 256 characters a class name may have
    const struct {
        const char* what;
        std::function<void()> make;
        std::string expected;  // the start of the message
    } cases[] = {
        {"a window class the system refuses", [&] { ui::RegisterClassOnce(tooLong.c_str(), DefWindowProcW); },
         "Cannot register the window class " + tooLong + " (system error "},
        {"a window whose owner is gone",
         [] { TAboutBox about(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0001))); },
         "Error creating window (system error 1400"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = FailureOf(c.make);
        EXPECT_EQ(0u, text.find(c.expected)) << text;
        EXPECT_EQ(std::string::npos, text.find("(system error 0")) << text;
    }
}

}  // namespace
