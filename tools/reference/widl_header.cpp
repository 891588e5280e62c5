#include "reference/widl_header.h"

#include "reference/examples.h"

#include <regex>

namespace quillomet::reference {
namespace {

std::string Squeezed(std::string text) {
    // One blank between words, none around a pointer mark.
    text = std::regex_replace(text, std::regex(R"(\s+)"), " ");
    text = std::regex_replace(text, std::regex(R"( ?\* ?)"), "*");
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

CppParameter ReadParameter(const std::string& text) {
    static const std::regex typeAndName(R"(^(.*[\s*])(\w+)\s*$)");
    std::smatch match;
    if (!std::regex_match(text, match, typeAndName))
        throw InputError("a parameter without type and name: \"" + text + "\"");
    return {Squeezed(match[1]), match[2]};
}

} // namespace

std::vector<CppMethod> ReadInterfaceMethods(std::string_view header,
                                            std::string_view interfaceName) {
    const std::string text(header);
    const std::regex opening("\\n" + std::string(interfaceName) + R"( : public \w+\s*\{)");
    std::smatch found;
    if (!std::regex_search(text, found, opening))
        throw InputError("no C++ declaration of " + std::string(interfaceName));
    const std::size_t start = found.position(0) + found.length(0);
    const std::size_t end = text.find("\n};", start);
    if (end == std::string::npos)
        throw InputError("the declaration of " + std::string(interfaceName) + " does not end");
    const std::string body = text.substr(start, end - start);

    static const std::regex method(
        R"(virtual\s+(\w+)\s+STDMETHODCALLTYPE\s+(\w+)\s*\(([^)]*)\)\s*=\s*0\s*;)");
    std::vector<CppMethod> methods;
    for (std::sregex_iterator it(body.begin(), body.end(), method), last; it != last; ++it) {
        CppMethod read{(*it)[1], (*it)[2], {}};
        const std::string parameters = Squeezed((*it)[3]);
        for (std::size_t from = 0; !parameters.empty() && from <= parameters.size();) {
            const std::size_t comma = std::min(parameters.find(',', from), parameters.size());
            read.parameters.push_back(ReadParameter(parameters.substr(from, comma - from)));
            from = comma + 1;
        }
        methods.push_back(std::move(read));
    }
    // Anything else declared in the body would be missed silently.
    const std::string rest = Squeezed(std::regex_replace(body, method, ""));
    if (!rest.empty())
        throw InputError("unread text in the declaration of " + std::string(interfaceName) +
                         ": \"" + rest.substr(0, 60) + "\"");
    return methods;
}

std::vector<std::string> CompareWithLibrary(const Surface& surface,
                                            std::span<const CppMethod> methods) {
    std::vector<std::string> problems;
    std::size_t next = 0;
    for (const Member& member : surface.members) {
        if (member.kind == MemberKind::Event)
            continue;
        for (const Function& function : member.functions) {
            const std::string name = (function.access == Access::Get      ? "get_"
                                      : function.access == Access::Put    ? "put_"
                                      : function.access == Access::PutRef ? "putref_"
                                                                          : "") +
                                     member.name;
            if (next == methods.size()) {
                problems.push_back("the header lacks " + name);
                continue;
            }
            const CppMethod& method = methods[next++];
            if (method.name != name) {
                problems.push_back("the header has " + method.name + " where the library has " +
                                   name);
                continue;
            }
            if (method.result != function.result.cpp)
                problems.push_back(name + " returns " + method.result + " in the header, " +
                                   function.result.cpp + " in the library");
            if (method.parameters.size() != function.parameters.size()) {
                problems.push_back(name + " has " + std::to_string(method.parameters.size()) +
                                   " parameters in the header, " +
                                   std::to_string(function.parameters.size()) + " in the library");
                continue;
            }
            for (std::size_t p = 0; p < method.parameters.size(); ++p)
                if (method.parameters[p].type != function.parameters[p].type.cpp)
                    problems.push_back(name + " takes " + method.parameters[p].type +
                                       " in the header, " + function.parameters[p].type.cpp +
                                       " in the library");
        }
    }
    for (; next < methods.size(); ++next)
        problems.push_back("the library lacks the header's " + methods[next].name);
    return problems;
}

std::string Signature(const CppMethod& method) {
    std::string text = method.result + " " + method.name + "(";
    for (std::size_t i = 0; i < method.parameters.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += method.parameters[i].type + " " + method.parameters[i].name;
    }
    return text + ")";
}

} // namespace quillomet::reference
