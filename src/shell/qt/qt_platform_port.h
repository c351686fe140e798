// The window object's platform on Qt: modal message boxes, the event pump, the browser, and
// showing and closing the main window. Tests derive from it to answer message boxes.
#pragma once

#include <string>

#include "shell/platform_port.h"

namespace vp::qt {

class MainWindow;

class QtPlatformPort : public FileSystemPort {
  public:
    // The application folder is the folder the program starts in.
    QtPlatformPort();
    explicit QtPlatformPort(std::string appFolder);

    // The window whose controls are mirrored after each pump; null detaches it.
    void Attach(MainWindow* window) { window_ = window; }
    MainWindow* Window() const { return window_; }

    MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                              MessageButtons buttons, bool questionIcon) override;
    void DoEvents() override;
    void OpenWebPage(const std::string& address) override;
    void ShowMainWindow() override;
    void CloseMainWindow() override;

  private:
    MainWindow* window_ = nullptr;
};

// Message texts use the window object's "\r\n" line ends; Qt wants "\n".
std::string WithoutCarriageReturns(const std::string& text);

}  // namespace vp::qt
