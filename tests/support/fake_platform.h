// A platform for window-object tests: scripted answers to message boxes, a record of every
// box shown and page opened, an event pump that runs queued events, and an application
// folder of its own under the temporary directory.
#pragma once

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "shell/platform_port.h"

namespace vp::testing {

struct Shown {
    std::string text;
    std::string title;
    MessageButtons buttons;
    bool question;
};

class FakePlatform : public FileSystemPort {
  public:
    explicit FakePlatform(const std::string& folderName = "vandrel-test")
        : FileSystemPort(MakeFolder(folderName)) {}
    ~FakePlatform() override {
        std::error_code ec;
        std::filesystem::remove_all(AppFolder(), ec);
    }

    MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                              MessageButtons buttons, bool question) override {
        shown.push_back({text, title, buttons, question});
        if (onMessage) onMessage();
        if (!answers.empty()) {
            MessageAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::OK;
    }
    void DoEvents() override {
        ++pumps;
        std::deque<std::function<void()>> now;
        now.swap(pending);
        for (auto& event : now) event();
    }
    void OpenWebPage(const std::string& address) override { opened.push_back(address); }

    std::deque<MessageAnswer> answers;
    std::vector<Shown> shown;
    std::vector<std::string> opened;
    std::deque<std::function<void()>> pending;  // events the next pump runs
    std::function<void()> onMessage;            // runs while a message box is "open"
    int pumps = 0;

  private:
    static std::string MakeFolder(const std::string& name) {
        static int counter = 0;
        auto folder = std::filesystem::temp_directory_path() /
                      (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        return folder.string();
    }
};

}  // namespace vp::testing
