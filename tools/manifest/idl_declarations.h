#pragma once

// The declarations of the control's IDL that carry an identifier, read from
// its text, so that the manifest takes its GUIDs from the one description
// and never from a copy.
#include <stdexcept>
#include <string>
#include <vector>

namespace quillomet::manifest {

// The IDL is not what this reader knows: the build stops with the message.
struct IdlError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One attribute of a bracketed list: its name and what its parentheses
// held, tokens joined without blanks ("uuid" and the GUID, "version" and
// "1.0", "default" and nothing).
struct Attribute {
    std::string name;
    std::string argument;
};

// A declaration as the IDL names it. A coclass's members are its
// interfaces as its body lists them (kind, name and attributes, no uuid).
struct Declaration {
    std::string kind; // library, interface, dispinterface or coclass
    std::string name;
    std::string uuid; // as written in the IDL
    std::string base; // the interface it derives from, if it names one
    std::vector<Attribute> attributes;
    std::vector<Declaration> members;

    bool Has(const std::string& attribute) const;
    // The argument of `attribute`, or empty when it has none or is absent.
    std::string Argument(const std::string& attribute) const;
};

// Every declaration of IDL text that carries a uuid attribute, in the order
// of the text. Throws IdlError for a uuid before anything but a library,
// interface, dispinterface or coclass, for a malformed GUID, and for text
// that ends inside a construct.
std::vector<Declaration> ReadIdl(const std::string& text);

} // namespace quillomet::manifest
