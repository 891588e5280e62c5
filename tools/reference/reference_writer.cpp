#include "reference/reference_writer.h"

#include "common/automation_error.h"
#include "control/persisted_properties.h"
#include "qfmt/picture_display.h"
#include "win32com/error.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace quillomet::reference {
namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Code(std::string_view text) {
    return "`" + std::string(text) + "`";
}

// A table cell: a pipe would end it.
std::string Cell(std::string_view text) {
    std::string cell;
    for (const char c : text) {
        if (c == '|')
            cell += '\\';
        cell += c;
    }
    return cell;
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// Identifiers of the library's own numbering in hex, small and negative
// (standard) ones in decimal.
std::string DispidText(std::int32_t id) {
    return id >= 0x10000 ? Hex(static_cast<std::uint32_t>(id)) : std::to_string(id);
}

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : std::string(separator)) + parts[i];
    return text;
}

const Function* FindAccess(const Member& member, Access access) {
    const auto found = std::ranges::find(member.functions, access, &Function::access);
    return found == member.functions.end() ? nullptr : &*found;
}

// The property's type as a script holds it: the target of the read's
// result, or the write's argument.
const TypeName& ValueType(const Member& member) {
    for (const Function& function : member.functions)
        if (function.parameters.size() != 1)
            throw InputError(member.name + ": a property with arguments");
    return member.functions.front().parameters.front().type;
}

std::string AccessText(const Member& member) {
    const bool read = FindAccess(member, Access::Get);
    if (FindAccess(member, Access::PutRef))
        return read ? "read, and set by reference" : "set by reference";
    if (FindAccess(member, Access::Put))
        return read ? "read/write" : "write-only";
    return "read-only";
}

std::string KindText(const Member& member) {
    std::vector<std::string> parts;
    switch (member.kind) {
    case MemberKind::Property:
        parts.push_back("property, " + AccessText(member));
        break;
    case MemberKind::Method:
        parts.push_back("method");
        break;
    case MemberKind::Event:
        parts.push_back("event");
        break;
    }
    if (member.hidden)
        parts.push_back("hidden");
    if (member.nonBrowsable)
        parts.push_back("not browsable");
    if (member.bindable)
        parts.push_back("bindable");
    if (member.defaultBind)
        parts.push_back("default-bind");
    if (member.kind == MemberKind::Property && member.dispid == DispidDefaultMember)
        parts.push_back("the default member");
    return Joined(parts, ", ");
}

std::vector<std::string> ScriptForms(const Surface& surface, const Member& member) {
    std::vector<std::string> forms;
    const std::string object = "object." + member.name;
    if (member.kind == MemberKind::Event) {
        std::vector<std::string> parameters;
        for (const Parameter& parameter : member.functions.front().parameters)
            parameters.push_back(parameter.name + " As " + parameter.type.script);
        forms.push_back("Sub " + surface.coclass + "_" + member.name + "(" +
                        Joined(parameters, ", ") + ")");
        return forms;
    }
    if (member.kind == MemberKind::Method) {
        std::vector<std::string> arguments;
        for (const Parameter& parameter : member.functions.front().parameters)
            arguments.push_back(Lower(parameter.type.script));
        forms.push_back(object + (arguments.empty() ? "" : " " + Joined(arguments, ", ")));
        return forms;
    }
    const std::string placeholder = Lower(ValueType(member).script);
    for (const Function& function : member.functions) {
        if (function.access == Access::Get)
            forms.push_back(placeholder + " = " + object);
        else if (function.access == Access::Put)
            forms.push_back(object + " = " + placeholder);
        else
            forms.push_back("Set " + object + " = " + placeholder);
    }
    if (member.dispid == DispidDefaultMember) {
        if (FindAccess(member, Access::Get))
            forms.push_back(placeholder + " = object");
        if (FindAccess(member, Access::Put))
            forms.push_back("object = " + placeholder);
    }
    return forms;
}

std::string EventDeclaration(const Member& member) {
    const Function& event = member.functions.front();
    std::vector<std::string> parameters;
    for (const Parameter& parameter : event.parameters)
        parameters.push_back(parameter.type.cpp + " " + parameter.name);
    return event.result.cpp + " " + member.name + "(" + Joined(parameters, ", ") + ")";
}

const char* TypeOfValue(const Variant& value) {
    switch (value.Type()) {
    case VariantType::Integer:
        return "Integer";
    case VariantType::Long:
        return "Long";
    case VariantType::Single:
        return "Single";
    case VariantType::Double:
        return "Double";
    case VariantType::Currency:
        return "Currency";
    case VariantType::String:
        return "String";
    case VariantType::Boolean:
        return "Boolean";
    default:
        return "";
    }
}

std::string DefaultText(const PersistedProperty& property) {
    const Variant& value = property.m_Default;
    switch (property.m_Type) {
    case PropertyType::Font:
        return "the host's ambient font";
    case PropertyType::Color:
        return Code("&H" + Hex(static_cast<std::uint32_t>(value.ToLong())).substr(2) + "&");
    case PropertyType::Text:
        return Code("\"" + value.ToString() + "\"");
    case PropertyType::Number:
        if (value.IsString())
            return Code("\"" + value.String() + "\"") + " (String)";
        return Code(value.ToString()) + " (" + TypeOfValue(value) + ")";
    case PropertyType::Boolean:
    case PropertyType::Integer:
        break;
    }
    return Code(value.ToString());
}

const PersistedProperty* PersistedOf(const Member& member) {
    if (member.kind != MemberKind::Property)
        return nullptr;
    for (const PersistedProperty& property : PersistedProperties())
        if (property.m_Dispid == member.dispid)
            return &property;
    return nullptr;
}

void CheckPropertyTable(const Surface& surface) {
    for (const PersistedProperty& property : PersistedProperties()) {
        const auto member = std::ranges::find_if(surface.members, [&](const Member& m) {
            return m.kind == MemberKind::Property && m.dispid == property.m_Dispid;
        });
        if (member == surface.members.end())
            throw InputError("the persisted property " + std::string(property.m_Key) +
                             " is no property of the type library");
    }
}

std::string ErrorText(int number) {
    return std::to_string(number) + " " + DefaultMessage(static_cast<ErrorNumber>(number));
}

std::string ErrorsText(std::vector<int> numbers) {
    if (numbers.empty())
        return "none";
    std::ranges::sort(numbers);
    std::vector<std::string> parts;
    for (const int number : numbers)
        parts.push_back(ErrorText(number));
    return Joined(parts, "; ");
}

class Writer {
public:
    Writer(const Surface& surface, std::span<const CppMethod> methods,
           std::span<const Example> examples)
        : m_Surface(surface), m_Methods(methods), m_Examples(examples) {}

    std::string Write(std::string_view pictures) {
        CheckPropertyTable(m_Surface);
        Line("<!-- Generated by tools/reference: do not edit, run tools/reference/regenerate.sh.");
        Line("     Read from the type library, the C++ header generated with it, the control's");
        Line("     property table, docs/reference_examples.txt and docs/reference_pictures.txt. "
             "-->");
        Line("");
        Line("# " + m_Surface.coclass + " reference");
        Line("");
        Line("The control's class " + Code(m_Surface.coclass) + " in the type library " +
             Code(m_Surface.library) + " has the dual interface " + Code(m_Surface.interfaceName) +
             " as its default interface and the events of " + Code(m_Surface.eventsName) +
             " as its default source. In the script forms, " + Code("object") +
             " stands for a control on a form; event procedures are named " +
             "after the control, here " + Code(m_Surface.coclass) + ".");
        Line("");
        Index();
        Section("Properties", MemberKind::Property);
        Section("Methods", MemberKind::Method);
        Section("Events", MemberKind::Event);
        Errors();
        Pictures(pictures);
        return m_Out;
    }

private:
    void Line(const std::string& text) { m_Out += text + "\n"; }

    void Index() {
        Line("| Member | Kind | DISPID | Description |");
        Line("|---|---|---|---|");
        for (const Member& member : m_Surface.members)
            Line("| [" + member.name + "](#" + Lower(member.name) + ") | " +
                 Cell(KindText(member)) + " | " + DispidText(member.dispid) + " | " +
                 Cell(member.help) + " |");
        Line("");
    }

    void Section(const std::string& title, MemberKind kind) {
        Line("## " + title);
        Line("");
        for (const Member& member : m_Surface.members)
            if (member.kind == kind)
                Describe(member);
    }

    std::vector<std::string> CppForms(const Member& member) {
        if (member.kind == MemberKind::Event)
            return {Code(EventDeclaration(member)) + ", received through " +
                    Code("IDispatch::Invoke") + " with DISPID " + DispidText(member.dispid) +
                    (member.functions.front().parameters.empty() ? ""
                                                                 : ", the arguments by reference")};
        std::vector<std::string> forms;
        for (std::size_t function = 0; function < member.functions.size(); ++function)
            forms.push_back(Code(Signature(MethodOf(member, function))));
        return forms;
    }

    // The header's method for a member's function: the methods follow the
    // library's functions one for one (CompareWithLibrary).
    const CppMethod& MethodOf(const Member& member, std::size_t function) {
        std::size_t index = 0;
        for (const Member& other : m_Surface.members) {
            if (&other == &member)
                return m_Methods[index + function];
            if (other.kind != MemberKind::Event)
                index += other.functions.size();
        }
        throw InputError(member.name + " is not on the surface");
    }

    void Describe(const Member& member) {
        Line("### " + member.name);
        Line("");
        Line(member.help.empty() ? "The type library gives no description." : member.help);
        Line("");
        Line("- **Kind:** " + KindText(member));
        Line("- **DISPID:** " + DispidText(member.dispid));
        std::vector<std::string> script;
        for (const std::string& form : ScriptForms(m_Surface, member))
            script.push_back(Code(form));
        Line("- **Script:** " + Joined(script, ", "));
        Line("- **C++:** " + Joined(CppForms(member), ", "));
        if (member.kind == MemberKind::Property) {
            if (const PersistedProperty* persisted = PersistedOf(member)) {
                Line("- **Default:** " + DefaultText(*persisted));
                Line("- **Persisted as:** " + Code(persisted->m_Key));
            } else {
                Line("- **Persisted:** no");
            }
        }
        const Example* example = FindExample(m_Examples, member.name);
        if (member.kind != MemberKind::Event) {
            Line("- **Errors:** " + ErrorsText(*example->errors));
            for (const int number : *example->errors)
                m_Errors.insert(number);
        }
        Line("");
        Line("```vb");
        for (const std::string& code : example->code)
            Line(code);
        Line("```");
        Line("");
    }

    void Errors() {
        Line("## Errors");
        Line("");
        Line("The errors above, by the number a script reads in `Err.Number`. The control "
             "raises each with the HRESULT below and its description in the error object "
             "(`IErrorInfo`); the description may say more than the wording here. A typed "
             "property's write through `IDispatch` with an argument that does not convert "
             "fails in the dispatch layer instead (`DISP_E_TYPEMISMATCH`, `DISP_E_OVERFLOW`), "
             "which a script reports under the same numbers.");
        Line("");
        Line("| Number | Wording | HRESULT |");
        Line("|---|---|---|");
        for (const int number : m_Errors)
            Line("| " + std::to_string(number) + " | " +
                 DefaultMessage(static_cast<ErrorNumber>(number)) + " | " +
                 Hex(static_cast<std::uint32_t>(com::HresultOfErrorNumber(number))) + " |");
        Line("");
    }

    void Pictures(std::string_view text) {
        Line("## The Format picture");
        Line("");
        bool inTable = false;
        int number = 0;
        while (!text.empty()) {
            const std::size_t end = std::min(text.find('\n'), text.size());
            std::string line(text.substr(0, end));
            text.remove_prefix(std::min(end + 1, text.size()));
            ++number;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.starts_with("//"))
                continue;
            if (!line.starts_with("> ")) {
                inTable = false;
                Line(line);
                continue;
            }
            if (!inTable) {
                Line("| Picture | Value | Shown | On entering the field | Written while in "
                     "the field |");
                Line("|---|---|---|---|---|");
                inTable = true;
            }
            Row(line.substr(2), number);
        }
    }

    static std::string Shown(const std::string& text) {
        return text.empty() ? "(empty)" : Cell(Code(text));
    }

    void Row(const std::string& row, int line) {
        std::vector<std::string> fields;
        for (std::size_t from = 0;;) {
            const std::size_t tab = row.find('\t', from);
            fields.push_back(row.substr(from, tab - from));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        const bool positiveOnly = fields.size() == 3 && fields[2] == "positive-only";
        if (fields.size() < 2 || fields.size() > 3 || (fields.size() == 3 && !positiveOnly))
            throw InputError("reference_pictures line " + std::to_string(line) +
                             ": expected \"> PICTURE<TAB>VALUE[<TAB>positive-only]\"");
        tools::DisplayRequest request{fields[0], fields[1], tools::FocusMoment::None, positiveOnly};
        std::vector<std::string> cells{Shown(fields[0]),
                                       Shown(fields[1]) + (positiveOnly ? ", PositiveOnly" : "")};
        try {
            for (const auto focus : {tools::FocusMoment::None, tools::FocusMoment::AfterWrite,
                                     tools::FocusMoment::BeforeWrite}) {
                request.focus = focus;
                cells.push_back(Shown(tools::Display(request)));
            }
        } catch (const AutomationError& error) {
            throw InputError("reference_pictures line " + std::to_string(line) + ": " +
                             error.what());
        }
        Line("| " + Joined(cells, " | ") + " |");
    }

    const Surface& m_Surface;
    std::span<const CppMethod> m_Methods;
    std::span<const Example> m_Examples;
    std::set<int> m_Errors;
    std::string m_Out;
};

} // namespace

std::string WriteReference(const Surface& surface, std::span<const CppMethod> methods,
                           std::span<const Example> examples, std::string_view pictures) {
    return Writer(surface, methods, examples).Write(pictures);
}

} // namespace quillomet::reference
