#include "idl_declarations.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string_view>
#include <utility>

namespace quillomet::manifest {

bool Declaration::Has(const std::string& attribute) const {
    return std::any_of(attributes.begin(), attributes.end(),
                       [&](const Attribute& a) { return a.name == attribute; });
}

std::string Declaration::Argument(const std::string& attribute) const {
    for (const Attribute& a : attributes)
        if (a.name == attribute)
            return a.argument;
    return {};
}

namespace {

struct Token {
    enum Kind { Word, String, Mark } kind;
    std::string text;
    int line;
};

// A word takes in what an attribute's argument may hold without blanks:
// a GUID with its hyphens, a version with its point, a hexadecimal number.
bool InWord(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

std::string At(int line) {
    return "line " + std::to_string(line) + ": ";
}

// Comments go; a string stays one token, so that a bracket or a keyword in
// a help string is never read as IDL.
std::vector<Token> Tokenize(const std::string& text) {
    std::vector<Token> tokens;
    int line = 1;
    std::size_t i = 0;
    const auto skipTo = [&](std::string_view end, int startLine) {
        const std::size_t found = text.find(end, i);
        if (found == std::string::npos)
            throw IdlError(At(startLine) + "a comment or string that never ends");
        line +=
            static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(i),
                                        text.begin() + static_cast<std::ptrdiff_t>(found), '\n'));
        i = found + end.size();
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (text.compare(i, 2, "//") == 0) {
            i = std::min(text.find('\n', i), text.size());
        } else if (text.compare(i, 2, "/*") == 0) {
            i += 2;
            skipTo("*/", line);
        } else if (c == '"') {
            const int start = line;
            std::string value;
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size())
                    ++i;
                if (text[i] == '\n')
                    ++line;
                value += text[i];
            }
            if (i == text.size())
                throw IdlError(At(start) + "a string that never ends");
            ++i;
            tokens.push_back({Token::String, std::move(value), start});
        } else if (InWord(c)) {
            const std::size_t start = i;
            while (i < text.size() && InWord(text[i]))
                ++i;
            tokens.push_back({Token::Word, text.substr(start, i - start), line});
        } else {
            tokens.push_back({Token::Mark, std::string(1, c), line});
            ++i;
        }
    }
    return tokens;
}

bool IsGuid(const std::string& text) {
    static constexpr std::string_view Shape = "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx";
    if (text.size() != Shape.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hex = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
        if (Shape[i] == '-' ? text[i] != '-' : !hex)
            return false;
    }
    return true;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : m_Tokens(std::move(tokens)) {}

    std::vector<Declaration> Identified() {
        std::vector<Declaration> found;
        while (m_Next < m_Tokens.size()) {
            if (!IsMark("[")) {
                ++m_Next;
                continue;
            }
            const int line = Peek().line;
            std::vector<Attribute> attributes = Attributes();
            const auto uuid = std::find_if(attributes.begin(), attributes.end(),
                                           [](const Attribute& a) { return a.name == "uuid"; });
            if (uuid == attributes.end())
                continue;
            Declaration declaration;
            declaration.uuid = uuid->argument;
            if (!IsGuid(declaration.uuid))
                throw IdlError(At(line) + "uuid(" + declaration.uuid + ") is not a GUID");
            declaration.attributes = std::move(attributes);
            declaration.kind = Word("a library, interface, dispinterface or coclass");
            static constexpr std::string_view Kinds[] = {"library", "interface", "dispinterface",
                                                         "coclass"};
            if (std::find(std::begin(Kinds), std::end(Kinds), declaration.kind) == std::end(Kinds))
                throw IdlError(At(line) + "uuid(" + declaration.uuid + ") is on '" +
                               declaration.kind +
                               "', not on a library, interface, dispinterface or coclass");
            declaration.name = Word("the name of the " + declaration.kind);
            if (IsMark(":")) {
                ++m_Next;
                declaration.base = Word("the base of " + declaration.name);
            }
            if (declaration.kind == "coclass")
                declaration.members = Members();
            found.push_back(std::move(declaration));
        }
        return found;
    }

private:
    const Token& Peek() const {
        if (m_Next == m_Tokens.size())
            throw IdlError("the text ends inside a declaration");
        return m_Tokens[m_Next];
    }
    bool IsMark(std::string_view mark) const {
        return m_Next < m_Tokens.size() && m_Tokens[m_Next].kind == Token::Mark &&
               m_Tokens[m_Next].text == mark;
    }
    void Expect(std::string_view mark) {
        if (!IsMark(mark))
            throw IdlError(At(Peek().line) + "expected '" + std::string(mark) + "', found '" +
                           Peek().text + "'");
        ++m_Next;
    }
    std::string Word(const std::string& what) {
        const Token& token = Peek();
        if (token.kind != Token::Word)
            throw IdlError(At(token.line) + "expected " + what + ", found '" + token.text + "'");
        ++m_Next;
        return token.text;
    }

    // [name, name(argument), ...]
    std::vector<Attribute> Attributes() {
        std::vector<Attribute> attributes;
        Expect("[");
        for (;;) {
            Attribute attribute{Word("an attribute"), {}};
            if (IsMark("(")) {
                ++m_Next;
                for (int depth = 1;;) {
                    const Token& token = Peek();
                    ++m_Next;
                    if (token.kind == Token::Mark && token.text == "(")
                        ++depth;
                    else if (token.kind == Token::Mark && token.text == ")" && --depth == 0)
                        break;
                    attribute.argument += token.text;
                }
            }
            attributes.push_back(std::move(attribute));
            if (!IsMark(","))
                break;
            ++m_Next;
        }
        Expect("]");
        return attributes;
    }

    // { [attributes] interface Name; ... };
    std::vector<Declaration> Members() {
        std::vector<Declaration> members;
        Expect("{");
        while (!IsMark("}")) {
            Declaration member;
            if (IsMark("["))
                member.attributes = Attributes();
            const int line = Peek().line;
            member.kind = Word("interface or dispinterface");
            if (member.kind != "interface" && member.kind != "dispinterface")
                throw IdlError(At(line) + "a coclass lists '" + member.kind +
                               "', not an interface or dispinterface");
            member.name = Word("the name of the " + member.kind);
            Expect(";");
            members.push_back(std::move(member));
        }
        Expect("}");
        return members;
    }

    std::vector<Token> m_Tokens;
    std::size_t m_Next = 0;
};

} // namespace

std::vector<Declaration> ReadIdl(const std::string& text) {
    return Parser(Tokenize(text)).Identified();
}

} // namespace quillomet::manifest
