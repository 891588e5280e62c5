#include "reference/examples.h"

#include "common/automation_error.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace quillomet::reference {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

[[noreturn]] void Fail(int line, const std::string& what) {
    throw InputError("line " + std::to_string(line) + ": " + what);
}

std::vector<int> ParseErrors(std::string_view list, int line) {
    list = Trim(list);
    if (list == "none")
        return {};
    std::vector<int> numbers;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(' '), list.size());
        const std::string_view token = list.substr(0, end);
        int number = 0;
        const auto [last, status] =
            std::from_chars(token.data(), token.data() + token.size(), number);
        if (status != std::errc() || last != token.data() + token.size())
            Fail(line, "an error number, or \"none\", expected instead of \"" + std::string(token) +
                           "\"");
        if (std::ranges::find(numbers, number) != numbers.end())
            Fail(line, "error " + std::to_string(number) + " listed twice");
        numbers.push_back(number);
        list = Trim(list.substr(end));
    }
    if (numbers.empty())
        Fail(line, "error numbers, or \"none\", expected after \"errors:\"");
    return numbers;
}

void DropBlankEnds(std::vector<std::string>& lines) {
    while (!lines.empty() && Trim(lines.back()).empty())
        lines.pop_back();
    const auto first =
        std::ranges::find_if(lines, [](const std::string& line) { return !Trim(line).empty(); });
    lines.erase(lines.begin(), first);
}

const char* KindText(MemberKind kind) {
    switch (kind) {
    case MemberKind::Property:
        return "property";
    case MemberKind::Method:
        return "method";
    case MemberKind::Event:
        return "event";
    }
    return "member";
}

} // namespace

std::vector<Example> ParseExamples(std::string_view text) {
    std::vector<Example> examples;
    bool expectErrors = false;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.starts_with("//"))
            continue;
        if (line.starts_with("==")) {
            const std::string_view name = Trim(line.substr(2));
            if (name.empty() || name.find_first_of(" \t") != std::string_view::npos)
                Fail(number, "one member name expected after \"==\"");
            examples.push_back({std::string(name), number, std::nullopt, {}});
            expectErrors = true;
            continue;
        }
        if (examples.empty()) {
            if (!Trim(line).empty())
                Fail(number, "text before the first \"== NAME\" entry");
            continue;
        }
        if (expectErrors && line.starts_with("errors:")) {
            examples.back().errors = ParseErrors(line.substr(std::strlen("errors:")), number);
            expectErrors = false;
            continue;
        }
        expectErrors = false;
        examples.back().code.emplace_back(line);
    }
    for (Example& example : examples)
        DropBlankEnds(example.code);
    return examples;
}

bool IsErrorNumber(int number) {
    // The list's wording for a number it does not hold.
    static const std::string unknown = DefaultMessage(static_cast<ErrorNumber>(-1));
    return unknown != DefaultMessage(static_cast<ErrorNumber>(number));
}

const Example* FindExample(std::span<const Example> examples, std::string_view member) {
    const auto found = std::ranges::find(examples, member, &Example::member);
    return found == examples.end() ? nullptr : &*found;
}

std::vector<std::string> CheckExamples(std::span<const Member> members,
                                       std::span<const Example> examples) {
    std::vector<std::string> problems;
    for (const Member& member : members)
        if (!FindExample(examples, member.name))
            problems.push_back(std::string("the ") + KindText(member.kind) + " " + member.name +
                               " has no example");
    for (const Example& example : examples) {
        const std::string where = "line " + std::to_string(example.line) + ": ";
        if (FindExample(examples, example.member) != &example) {
            problems.push_back(where + example.member + " has an example already");
            continue;
        }
        const auto member = std::ranges::find(members, example.member, &Member::name);
        if (member == members.end()) {
            problems.push_back(where + "\"" + example.member + "\" names no member of the control");
            continue;
        }
        if (example.code.empty())
            problems.push_back(where + example.member + " has no example code");
        if (member->kind == MemberKind::Event) {
            if (example.errors)
                problems.push_back(where + "the event " + example.member +
                                   " is raised, not called: it takes no \"errors:\" line");
            continue;
        }
        if (!example.errors) {
            problems.push_back(where + example.member +
                               " needs an \"errors:\" line (numbers, or \"none\")");
            continue;
        }
        for (const int number : *example.errors)
            if (!IsErrorNumber(number))
                problems.push_back(where + "the control raises no error " + std::to_string(number));
    }
    return problems;
}

} // namespace quillomet::reference
