// Pictures of real windows for the documentation, taken with ImageMagick's import, a Unix program
// that Wine starts like any other.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wine {

// The Unix folder for pictures: TREVANEL_SCREENSHOT_DIR when set (docs/ for the committed ones),
// else screenshots/ beside the built programs, made when missing.
std::string ScreenshotFolder();

// Writes a PNG of window's screen area to unixPath. Empty when the picture was written while the
// window was visible, else why not.
std::string CaptureWindow(HWND window, const std::string& unixPath);

// The texts of window's text statics that their control cannot show whole in the dialog's font,
// as the static draws them (words wrapped, "&" marking the mnemonic): a picture would show them cut.
std::vector<std::string> CutLabels(HWND window);

}  // namespace wine
