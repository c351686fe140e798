// The platform of a window object without a window (the command-line tool, the Python
// module): message boxes are answered as a user accepting them would (OK, Yes), or from a
// queue of scripted answers; their texts go to a stream on request.
#pragma once

#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

#include "shell/platform_port.h"

namespace vp {

struct ShownMessage {
    std::string title;
    MessageButtons buttons;
    std::string text;
};

class HeadlessPort : public FileSystemPort {
  public:
    HeadlessPort(std::string appFolder, std::ostream* echo)
        : FileSystemPort(std::move(appFolder)), echo_(echo) {}

    MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                              MessageButtons buttons, bool questionIcon) override;
    void DoEvents() override {}
    void OpenWebPage(const std::string& address) override { opened.push_back(address); }

    std::deque<MessageAnswer> answers;  // answers for the next message boxes, in order
    std::vector<ShownMessage> shown;    // every message box shown
    std::vector<std::string> opened;    // every web page requested

  private:
    std::ostream* echo_;
};

}  // namespace vp
