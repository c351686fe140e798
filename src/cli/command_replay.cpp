// vandrel-cli replay: starts the window object as the program starts and drives it with one
// event per line, as the window's controls would deliver them.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/commands.h"
#include "core/number_text.h"
#include "headless/headless_port.h"
#include "shell/main_form.h"

namespace vp {
namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string ColourText(Colour c) {
    if (c == kButtonFace) return "buttonface";
    return std::to_string(RedOf(c)) + "," + std::to_string(GreenOf(c)) + "," +
           std::to_string(BlueOf(c));
}

void Dump(MainForm& f, std::ostream& out) {
    for (const Control* c : f.Controls()) {
        const std::string& n = c->name;
        switch (c->kind) {
            case ControlKind::TextBox:
                out << n << ".text = \"" << Escape(c->text) << "\"\n";
                break;
            case ControlKind::ListBox:
                for (std::size_t i = 0; i < c->items.size(); ++i)
                    out << n << "[" << i << "] = \"" << Escape(c->items[i]) << "\"\n";
                out << n << ".listindex = " << c->listIndex << "\n";
                break;
            case ControlKind::ScrollBar:
                out << n << ".value = " << c->value << "\n";
                break;
            case ControlKind::CheckBox:
            case ControlKind::OptionButton:
                out << n << ".checked = " << (c->checked ? 1 : 0) << "\n";
                out << n << ".caption = \"" << Escape(c->caption) << "\"\n";
                break;
            default:
                out << n << ".caption = \"" << Escape(c->caption) << "\"\n";
                break;
        }
        out << n << ".visible = " << (c->visible ? 1 : 0) << "\n";
        out << n << ".forecolor = " << ColourText(c->foreColour) << "\n";
        if (c->kind == ControlKind::Button) {
            out << n << ".backcolor = " << ColourText(c->backColour) << "\n";
            out << n << ".bold = " << (c->bold ? 1 : 0) << "\n";
            out << n << ".fontsize = " << FormatNumber(c->fontSize) << "\n";
        }
    }
    out << "caption = \"" << Escape(f.caption) << "\"\n";
    out << "ColorChannel = " << f.curve.ColorChannel << "\n";
    out << "Eta = " << FormatNumber(f.model.Eta) << "\n";
    out << "CurveMax = " << FormatNumber(f.curve.CurveMax) << "\n";
    out << "CurveMin = " << FormatNumber(f.curve.CurveMin) << "\n";
}

const char* ButtonsText(MessageButtons b) {
    return b == MessageButtons::OK ? "OK" : b == MessageButtons::OKCancel ? "OKCancel" : "YesNo";
}

bool Click(MainForm& f, const std::string& name) {
    Control* c = f.FindControl(name);
    if (!c) return false;
    if (c->kind == ControlKind::CheckBox || c->kind == ControlKind::OptionButton) {
        f.ClickCheck(*c);
        return true;
    }
    struct Action {
        const char* name;
        void (MainForm::*handler)();
    };
    static const Action actions[] = {
        {"SlideShow", &MainForm::SlideShow_Click},   {"cmdPlot", &MainForm::cmdPlot_Click},
        {"HelpButton", &MainForm::HelpButton_Click}, {"cmdExtras", &MainForm::cmdExtras_Click},
        {"Refresh", &MainForm::Refresh_Click},       {"cmbSaveBMP", &MainForm::cmbSaveBMP_Click},
        {"cmdCancel", &MainForm::cmdCancel_Click},   {"Label16", &MainForm::Label16_Click},
    };
    for (const Action& a : actions)
        if (name == a.name) {
            (f.*a.handler)();
            return true;
        }
    return false;
}

bool Menu(MainForm& f, const std::string& name) {
    struct Action {
        const char* name;
        void (MainForm::*handler)();
    };
    static const Action actions[] = {
        {"mnuSaveStar", &MainForm::mnuSaveStar_Click},
        {"mnuSaveBitmap", &MainForm::mnuSaveBitmap_Click},
        {"mnuSaveAnimation", &MainForm::mnuSaveAnimation_Click},
        {"mnuSaveLC", &MainForm::mnuSaveLC_Click},
        {"mnuLoad", &MainForm::mnuLoad_Click},
        {"mnuExit", &MainForm::mnuExit_Click},
    };
    for (const Action& a : actions)
        if (name == a.name) {
            (f.*a.handler)();
            return true;
        }
    return false;
}

bool Count(std::istringstream& words, long& n) {
    std::string text;
    if (!(words >> text)) {
        n = 1;
        return true;
    }
    char* end = nullptr;
    n = std::strtol(text.c_str(), &end, 10);
    return *end == 0 && n >= 0 && n <= 100000000;
}

// The rest of the line after the command word and one blank, kept as it is.
std::string Rest(const std::string& line, std::size_t words) {
    std::size_t at = 0;
    for (std::size_t w = 0; w < words; ++w) {
        at = line.find(' ', at);
        if (at == std::string::npos) return "";
        ++at;
    }
    return line.substr(at);
}

}  // namespace

int RunReplay(const std::vector<std::string>& args) {
    if (args.size() > 1 || (args.size() == 1 && args[0] == "--help")) {
        std::ostream& out = args.size() == 1 ? std::cout : std::cerr;
        out << "Usage: vandrel-cli replay [FILE]\n"
               "Starts the window as the program starts (the current folder is the application\n"
               "folder) and runs one event per line from FILE or standard input:\n"
               "  type BOX TEXT | key BOX | scroll N up|down | click CONTROL | select NAME\n"
               "  menu NAME | answer OK|Cancel|Yes|No | tick [N] | slide [N] | resize W H\n"
               "  dump | messages | save-picture FILE | save-plot FILE\n";
        return args.size() == 1 ? 0 : 2;
    }
    std::ifstream file;
    if (args.size() == 1) {
        file.open(args[0]);
        if (!file) {
            std::cerr << "vandrel-cli replay: cannot open " << args[0] << "\n";
            return 1;
        }
    }
    std::istream& in = args.size() == 1 ? static_cast<std::istream&>(file) : std::cin;
    std::error_code ec;
    HeadlessPort port(std::filesystem::current_path(ec).string(), nullptr);
    MainForm form(port);
    form.Form_Load();
    std::size_t reported = port.shown.size();

    std::string line;
    long number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string verb;
        if (!(words >> verb) || verb[0] == '#') continue;
        bool ok = true;
        if (verb == "type" || verb == "key") {
            std::string name;
            Control* box = (words >> name) ? form.FindControl(name) : nullptr;
            ok = box && box->kind == ControlKind::TextBox;
            if (ok) {
                if (verb == "type") box->text = Rest(line, 2);
                form.TextBox_KeyUp(*box);
            }
        } else if (verb == "scroll") {
            int k = 0;
            std::string direction;
            ok = (words >> k >> direction) && k >= 1 && k <= 14 &&
                 (direction == "up" || direction == "down");
            if (ok) {
                Control& bar = form.VScroll[k];
                int moved = bar.value + (direction == "up" ? 1 : -1);
                if (moved >= 0 && moved <= 30000) {  // a bar at its end gives no change event
                    bar.value = moved;
                    form.VScroll_Change(k);
                }
            }
        } else if (verb == "click") {
            std::string name;
            ok = (words >> name) && Click(form, name);
        } else if (verb == "select") {
            const std::string name = Rest(line, 1);
            auto& items = form.StarNameList.items;
            auto found = std::find(items.begin(), items.end(), name);
            ok = found != items.end();
            if (ok) {
                form.StarNameList.listIndex = static_cast<int>(found - items.begin());
                form.StarNameList_Click();
            }
        } else if (verb == "menu") {
            std::string name;
            ok = (words >> name) && Menu(form, name);
        } else if (verb == "answer") {
            std::string a;
            words >> a;
            ok = a == "OK" || a == "Cancel" || a == "Yes" || a == "No";
            if (ok)
                port.answers.push_back(a == "OK"       ? MessageAnswer::OK
                                       : a == "Cancel" ? MessageAnswer::Cancel
                                       : a == "Yes"    ? MessageAnswer::Yes
                                                       : MessageAnswer::No);
        } else if (verb == "tick" || verb == "slide") {
            long n = 0;
            ok = Count(words, n);
            for (long t = 0; ok && t < n; ++t)
                verb == "tick" ? form.Timer1_Timer() : form.Timer2_Timer();
        } else if (verb == "resize") {
            int w = 0, h = 0;
            ok = (words >> w >> h) && w >= 0 && h >= 0 && w <= 20000 && h <= 20000;
            if (ok) form.Form_Resize(w, h);
        } else if (verb == "dump") {
            Dump(form, std::cout);
        } else if (verb == "messages") {
            for (std::size_t m = reported; m < port.shown.size(); ++m)
                std::cout << "[" << port.shown[m].title << "] "
                          << ButtonsText(port.shown[m].buttons) << ": "
                          << Escape(port.shown[m].text) << "\n";
            reported = port.shown.size();
        } else if (verb == "save-picture" || verb == "save-plot") {
            const std::string path = Rest(line, 1);
            std::string error;
            const Surface& s = verb == "save-picture" ? form.picture : form.plotPicture;
            if (path.empty() || !s.SaveBitmap(path, &error)) {
                std::cerr << "vandrel-cli replay: line " << number << ": cannot write '" << path
                          << "': " << error << "\n";
                return 1;
            }
        } else {
            ok = false;
        }
        if (!ok) {
            std::cerr << "vandrel-cli replay: line " << number << " is not understood: " << line
                      << "\n";
            return 2;
        }
        std::cout.flush();
    }
    return 0;
}

}  // namespace vp
