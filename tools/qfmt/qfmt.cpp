// qfmt: shows what the control displays for numbers under a Format picture.
//
//   qfmt [--focus] [--positive-only] FORMAT VALUE...
//   qfmt --batch < lines of FORMAT<TAB>VALUE<TAB>FOCUS(0/1)<TAB>POSITIVE-ONLY(0/1)
//
// It drives a real control on the in-memory backend: sets Format (and
// PositiveOnly), gives the field the focus when asked, writes value, and
// reads what the text box shows.
#include "common/automation_error.h"
#include "qfmt/picture_display.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quillomet;
using tools::DisplayRequest;
using tools::FocusMoment;

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

int RunBatch() {
    int failures = 0;
    std::string line;
    for (int number = 1; std::getline(std::cin, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() != 4 || (fields[2] != "0" && fields[2] != "1") ||
            (fields[3] != "0" && fields[3] != "1")) {
            std::cerr << "qfmt: line " << number << ": expected FORMAT<TAB>VALUE<TAB>0|1<TAB>0|1\n";
            ++failures;
            continue;
        }
        const DisplayRequest request{
            fields[0], fields[1], fields[2] == "1" ? FocusMoment::BeforeWrite : FocusMoment::None,
            fields[3] == "1"};
        try {
            std::cout << line << '\t' << tools::Display(request) << '\n';
        } catch (const AutomationError& error) {
            std::cerr << "qfmt: line " << number << ": " << error.what() << '\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

int Usage() {
    std::cerr
        << "usage: qfmt [--focus] [--positive-only] FORMAT VALUE...\n"
           "       qfmt --batch   (reads FORMAT<TAB>VALUE<TAB>FOCUS<TAB>POSITIVE-ONLY lines)\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    DisplayRequest request;
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--batch")
            return argc == 2 ? RunBatch() : Usage();
        if (arg == "--focus")
            request.focus = FocusMoment::BeforeWrite;
        else if (arg == "--positive-only")
            request.positiveOnly = true;
        else if (arg == "--")
            operands.insert(operands.end(), argv + i + 1, argv + argc), i = argc;
        else if (arg.size() > 1 && arg.front() == '-' && arg[1] == '-')
            return Usage();
        else
            operands.emplace_back(arg);
    }
    if (operands.size() < 2)
        return Usage();
    request.format = operands.front();
    int status = 0;
    for (std::size_t k = 1; k < operands.size(); ++k) {
        request.value = operands[k];
        try {
            std::cout << tools::Display(request) << '\n';
        } catch (const AutomationError& error) {
            std::cerr << "qfmt: " << operands[k] << ": " << error.what() << '\n';
            status = 1;
        }
    }
    return status;
}
