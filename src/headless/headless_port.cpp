#include "headless/headless_port.h"

#include <ostream>

namespace vp {

MessageAnswer HeadlessPort::ShowMessage(const std::string& text, const std::string& title,
                                        MessageButtons buttons, bool) {
    shown.push_back({title, buttons, text});
    if (echo_) *echo_ << "[" << title << "] " << text << "\n";
    MessageAnswer answer =
        buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::OK;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    return answer;
}

}  // namespace vp
