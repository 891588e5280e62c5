#pragma once

// The control's surface as its type library describes it: what the
// reference is written from.
#include <cstdint>
#include <string>
#include <vector>

namespace quillomet::reference {

enum class MemberKind { Property, Method, Event };

// A type as each kind of caller names it.
struct TypeName {
    std::string cpp;    // "VARIANT_BOOL", "BSTR*", "Font*"
    std::string script; // "Boolean", "String", "Font" (a reference is its target's)
};

struct Parameter {
    std::string name; // empty where the library names none
    TypeName type;
};

enum class Access { Get, Put, PutRef, Call };

// A property accessor, a method or an event, as one function of the library.
struct Function {
    Access access = Access::Call;
    TypeName result;
    std::vector<Parameter> parameters;
};

struct Member {
    std::string name;
    MemberKind kind = MemberKind::Method;
    std::int32_t dispid = 0;
    std::string help;
    bool hidden = false;
    bool nonBrowsable = false;
    bool bindable = false;
    bool defaultBind = false;
    // In the library's order: a property's read before its write.
    std::vector<Function> functions;
};

struct Surface {
    std::string library;       // the type library's name
    std::string coclass;       // the control's class
    std::string interfaceName; // its default interface
    std::string eventsName;    // its default source
    // The default interface's members in slot order, then the events.
    std::vector<Member> members;
};

} // namespace quillomet::reference
