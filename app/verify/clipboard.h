// The clipboard's text, read and written in its Unicode form
// (CF_UNICODETEXT; the system makes the other text formats from it), as
// UTF-8.
#pragma once

#include <windows.h>

#include <string>

// The text on the clipboard; empty when there is none or the clipboard stays
// held by another program.
std::string ReadClipboardText(HWND owner);

// Replaces the clipboard's contents with `text`. Raises base::EInOutError with
// the system's code when the clipboard cannot be opened or filled; the
// clipboard is closed and the memory released on every path.
void WriteClipboardText(HWND owner, const std::string& text);
