// Everything the window object needs from outside itself: message boxes, the event pump,
// the application folder, folders, and the web browser.
#pragma once

#include <string>

namespace vp {

enum class MessageButtons { OK, OKCancel, YesNo };
enum class MessageAnswer { OK, Cancel, Yes, No };

class PlatformPort {
  public:
    virtual ~PlatformPort() = default;

    // A modal message box; returns the button pressed.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                                      MessageButtons buttons, bool questionIcon) = 0;
    // Lets pending window events (timer ticks, key releases) run once.
    virtual void DoEvents() = 0;
    // The folder the program runs from, without a trailing "/".
    virtual std::string AppFolder() = 0;
    virtual bool FolderExists(const std::string& path) = 0;
    virtual bool CreateFolder(const std::string& path) = 0;
    // Asks the system to open a web address; the outcome is not looked at.
    virtual void OpenWebPage(const std::string& address) = 0;
    // Shows the main window (its first resize follows) and closes it.
    virtual void ShowMainWindow() {}
    virtual void CloseMainWindow() {}
};

// Folder operations on the real file system, for the ports that need nothing else special.
class FileSystemPort : public PlatformPort {
  public:
    explicit FileSystemPort(std::string appFolder) : appFolder_(std::move(appFolder)) {}
    std::string AppFolder() override { return appFolder_; }
    bool FolderExists(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;

  private:
    std::string appFolder_;
};

}  // namespace vp
