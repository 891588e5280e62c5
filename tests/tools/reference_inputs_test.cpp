// The reference's hand-written examples and its reading of the generated
// C++ header: what each accepts, and every disagreement it must report.
#include "reference/examples.h"
#include "reference/widl_header.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillomet::reference {
namespace {

Member MakeMember(std::string name, MemberKind kind) {
    Member member;
    member.name = std::move(name);
    member.kind = kind;
    return member;
}

const std::vector<Member> Members = {
    MakeMember("Format", MemberKind::Property),
    MakeMember("Refresh", MemberKind::Method),
    MakeMember("Change", MemberKind::Event),
};

TEST(ReferenceExamples, ReadsEntriesWithTheirErrorsAndCode) {
    const std::vector<Example> examples = ParseExamples("// a note\n"
                                                        "\n"
                                                        "== Format\r\n"
                                                        "errors: 6 13\n"
                                                        "\n"
                                                        "Quillomet1.Format = \"0.00\"\n"
                                                        "// dropped\n"
                                                        "  ' indented\n"
                                                        "\n"
                                                        "== Refresh\n"
                                                        "errors: none\n"
                                                        "Quillomet1.Refresh\n"
                                                        "errors: 5\n"
                                                        "== Change\n"
                                                        "errors are not a list here\n"
                                                        "errors: 6\n");
    ASSERT_EQ(3u, examples.size());
    EXPECT_EQ("Format", examples[0].member);
    EXPECT_EQ(3, examples[0].line);
    EXPECT_EQ((std::vector<int>{6, 13}), examples[0].errors);
    EXPECT_EQ((std::vector<std::string>{"Quillomet1.Format = \"0.00\"", "  ' indented"}),
              examples[0].code);
    EXPECT_EQ(std::vector<int>{}, examples[1].errors);
    // Only the line straight after the name gives errors.
    EXPECT_EQ((std::vector<std::string>{"Quillomet1.Refresh", "errors: 5"}), examples[1].code);
    EXPECT_FALSE(examples[2].errors.has_value());
    EXPECT_EQ((std::vector<std::string>{"errors are not a list here", "errors: 6"}),
              examples[2].code);
}

TEST(ReferenceExamples, RefusesWhatIsNoEntry) {
    const struct {
        const char* text;
        const char* message;
    } rows[] = {
        {"Quillomet1.Refresh\n== Refresh\n", "line 1: text before the first \"== NAME\" entry"},
        {"==\n", "line 1: one member name expected after \"==\""},
        {"== Max Value\n", "line 1: one member name expected after \"==\""},
        {"== Format\nerrors: 6 x\n",
         "line 2: an error number, or \"none\", expected instead of \"x\""},
        {"== Format\nerrors: 6 6\n", "line 2: error 6 listed twice"},
        {"== Format\nerrors:\n", "line 2: error numbers, or \"none\", expected after \"errors:\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        try {
            ParseExamples(row.text);
            ADD_FAILURE() << "accepted";
        } catch (const InputError& error) {
            EXPECT_STREQ(row.message, error.what());
        }
    }
}

TEST(ReferenceExamples, ReportsEveryDisagreementWithTheMembers) {
    const struct {
        const char* text;
        std::vector<std::string> problems;
    } rows[] = {
        {"== Format\nerrors: 13\nx\n== Refresh\nerrors: none\nx\n== Change\nx\n", {}},
        {"== Format\nerrors: 13\nx\n== Change\nx\n", {"the method Refresh has no example"}},
        {"== Format\nerrors: 13\nx\n== Refresh\nerrors: none\nx\n== Change\nx\n== Chnage\nx\n",
         {"line 9: \"Chnage\" names no member of the control"}},
        {"== Format\nerrors: 13\nx\n== Refresh\nerrors: none\nx\n== Change\nx\n== Format\n"
         "errors: 6\ny\n",
         {"line 9: Format has an example already"}},
        {"== Format\nerrors: 13\n\n== Refresh\nerrors: none\nx\n== Change\nx\n",
         {"line 1: Format has no example code"}},
        {"== Format\nx\n== Refresh\nerrors: none\nx\n== Change\nx\n",
         {"line 1: Format needs an \"errors:\" line (numbers, or \"none\")"}},
        {"== Format\nerrors: 13\nx\n== Refresh\nerrors: none\nx\n== Change\nerrors: none\nx\n",
         {"line 7: the event Change is raised, not called: it takes no \"errors:\" line"}},
        {"== Format\nerrors: 13 12 0\nx\n== Refresh\nerrors: none\nx\n== Change\nx\n",
         {"line 1: the control raises no error 12", "line 1: the control raises no error 0"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.problems, CheckExamples(Members, ParseExamples(row.text)));
    }
}

TEST(ReferenceExamples, KnowsTheControlsErrorNumbers) {
    for (const int number : {5, 6, 11, 13, 94})
        EXPECT_TRUE(IsErrorNumber(number)) << number;
    for (const int number : {-1, 0, 7, 438})
        EXPECT_FALSE(IsErrorNumber(number)) << number;
}

// As the IDL compiler writes a dual interface's C++ declaration.
constexpr const char* Header = R"(
MIDL_INTERFACE("153561d1-a07d-4013-a91f-b83036c25abe")
_Quillomet : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE get_Format(
        BSTR *a) = 0;

    virtual HRESULT STDMETHODCALLTYPE put_Format(
        BSTR a) = 0;

    virtual HRESULT STDMETHODCALLTYPE Refresh(
        ) = 0;

};
MIDL_INTERFACE("fe152d10-fd9f-42e9-97db-a64b530e220a")
__Quillomet : public IDispatch
{
};
)";

TEST(ReferenceHeader, ReadsTheInterfacesMethodsInOrder) {
    const std::vector<CppMethod> methods = ReadInterfaceMethods(Header, "_Quillomet");
    std::vector<std::string> signatures;
    for (const CppMethod& method : methods)
        signatures.push_back(Signature(method));
    EXPECT_EQ((std::vector<std::string>{"HRESULT get_Format(BSTR* a)", "HRESULT put_Format(BSTR a)",
                                        "HRESULT Refresh()"}),
              signatures);
    EXPECT_TRUE(ReadInterfaceMethods(Header, "__Quillomet").empty());
}

TEST(ReferenceHeader, RefusesWhatItCannotRead) {
    EXPECT_THROW(ReadInterfaceMethods(Header, "Quillomet"), InputError);
    std::string extra = Header;
    extra.insert(extra.find("};"), "    int m_Count;\n");
    EXPECT_THROW(ReadInterfaceMethods(extra, "_Quillomet"), InputError);
}

Function MakeFunction(Access access, std::vector<std::string> parameterTypes) {
    Function function{access, {"HRESULT", ""}, {}};
    for (std::string& type : parameterTypes)
        function.parameters.push_back({"", {std::move(type), ""}});
    return function;
}

TEST(ReferenceHeader, ComparesItsMethodsWithTheLibrarysFunctions) {
    Surface surface;
    Member format = MakeMember("Format", MemberKind::Property);
    format.functions = {MakeFunction(Access::Get, {"BSTR*"}), MakeFunction(Access::Put, {"BSTR"})};
    Member refresh = MakeMember("Refresh", MemberKind::Method);
    refresh.functions = {MakeFunction(Access::Call, {})};
    Member change = MakeMember("Change", MemberKind::Event);
    change.functions = {MakeFunction(Access::Call, {"short*"})};
    surface.members = {format, refresh, change};
    const std::vector<CppMethod> methods = ReadInterfaceMethods(Header, "_Quillomet");
    EXPECT_EQ(std::vector<std::string>{}, CompareWithLibrary(surface, methods));

    const struct {
        void (*change)(Surface&);
        std::vector<std::string> problems;
    } rows[] = {
        {[](Surface& s) { s.members[0].functions[1].parameters[0].type.cpp = "VARIANT"; },
         {"put_Format takes BSTR in the header, VARIANT in the library"}},
        {[](Surface& s) { s.members[0].functions[1].access = Access::PutRef; },
         {"the header has put_Format where the library has putref_Format"}},
        {[](Surface& s) { s.members[1].functions[0].result.cpp = "void"; },
         {"Refresh returns HRESULT in the header, void in the library"}},
        {[](Surface& s) { s.members[1].functions[0].parameters.push_back({}); },
         {"Refresh has 0 parameters in the header, 1 in the library"}},
        {[](Surface& s) { s.members.erase(s.members.begin() + 1); },
         {"the library lacks the header's Refresh"}},
        {[](Surface& s) { s.members[1].functions.push_back(MakeFunction(Access::Call, {})); },
         {"the header lacks Refresh"}},
    };
    for (const auto& row : rows) {
        Surface changed = surface;
        row.change(changed);
        EXPECT_EQ(row.problems, CompareWithLibrary(changed, methods));
    }
}

} // namespace
} // namespace quillomet::reference
