// make_manifest IDL OUTPUT.manifest FILE VERSION ARCHITECTURE
//
// Writes the side-by-side assembly manifest that declares the control for
// registration-free activation: its class (CLSID, ProgID, threading model,
// miscellaneous status), its type library and its two interfaces, all in
// one file FILE (the library's file name, as the build names it). The class
// facts come from server/class_facts.h, the identifiers from the IDL, the
// version (four numbers) and ARCHITECTURE (x86 or amd64) from the build.
//
// The manifest is an assembly of its own, named after its file: OUTPUT
// "Quillomet.manifest" declares assembly "Quillomet". A host ships it beside
// the library and either passes it to CreateActCtxW or names the assembly
// as a dependency in its own application manifest; the system finds a
// private assembly NAME as NAME.manifest in the application's folder, so
// the name and the file name cannot differ.
//
// Anything in the IDL that this does not know how to declare stops the
// build with a message naming it: a declaration with a uuid that is neither
// the library, the class nor one of the class's two interfaces, a class
// other than class_facts.h's, a library version other than its.
#include "idl_declarations.h"
#include "server/class_facts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace facts = quillomet::class_facts;
using quillomet::manifest::Declaration;
using quillomet::manifest::IdlError;

// The automation marshaller carries every dual and dispatch interface from
// its type library: no proxy DLL of our own.
constexpr std::string_view AutomationMarshaller = "{00020424-0000-0000-C000-000000000046}";
constexpr std::string_view IDispatchIid = "{00020400-0000-0000-C000-000000000046}";
// The library attributes that are also type library flags in a manifest.
constexpr std::string_view LibraryFlags[] = {"control", "hidden", "restricted"};
constexpr std::string_view Architectures[] = {"x86", "amd64"};

// The library, the class and the class's interfaces, as the manifest
// declares them.
struct ClassDeclarations {
    Declaration library;
    Declaration coclass;
    Declaration dual;
    Declaration events;
};

// What the build decides: the assembly's identity and the library's file.
struct Build {
    std::string assemblyName;
    std::string version;
    std::string architecture;
    std::string fileName;
};

const Declaration& Only(const std::vector<Declaration>& declarations, std::string_view kind,
                        std::string_view name = {}) {
    std::vector<const Declaration*> found;
    for (const Declaration& d : declarations)
        if (d.kind == kind && (name.empty() || d.name == name))
            found.push_back(&d);
    std::string what(kind);
    if (!name.empty())
        what.append(" ").append(name);
    if (found.size() != 1)
        throw IdlError("expected one " + what + " with a uuid, found " +
                       std::to_string(found.size()));
    return *found.front();
}

ClassDeclarations Resolve(const std::vector<Declaration>& declarations) {
    ClassDeclarations result;
    result.library = Only(declarations, "library");
    const std::string version =
        std::to_string(facts::TypeLibMajor) + "." + std::to_string(facts::TypeLibMinor);
    if (result.library.Argument("version") != version)
        throw IdlError("library " + result.library.name + " has version(" +
                       result.library.Argument("version") + "), class_facts.h says " + version);
    result.coclass = Only(declarations, "coclass");
    if (result.coclass.name != facts::ClassName)
        throw IdlError("the coclass is " + result.coclass.name + ", class_facts.h says " +
                       facts::ClassName);

    // One incoming interface and one event interface, both by default.
    const Declaration* incoming = nullptr;
    const Declaration* outgoing = nullptr;
    for (const Declaration& member : result.coclass.members) {
        const bool source = member.Has("source");
        const Declaration*& slot = source ? outgoing : incoming;
        if (!member.Has("default") || slot)
            throw IdlError("coclass " + result.coclass.name + " lists " + member.kind + " " +
                           member.name +
                           ": only one default interface and one default source are declared");
        slot = &member;
    }
    if (!incoming || !outgoing)
        throw IdlError("coclass " + result.coclass.name +
                       " needs a default interface and a default source");
    result.dual = Only(declarations, "interface", incoming->name);
    if (!result.dual.Has("dual") || result.dual.base != "IDispatch")
        throw IdlError("interface " + result.dual.name +
                       " is not a dual interface on IDispatch: the automation marshaller cannot "
                       "carry it");
    result.events = Only(declarations, "dispinterface", outgoing->name);

    for (const Declaration& d : declarations) {
        const bool known = (d.kind == "library" || d.kind == "coclass") ||
                           (d.kind == "interface" && d.name == result.dual.name) ||
                           (d.kind == "dispinterface" && d.name == result.events.name);
        if (!known)
            throw IdlError(d.kind + " " + d.name +
                           " has a uuid but is neither the library, the class nor one of its "
                           "interfaces: decide how the manifest declares it");
    }
    return result;
}

std::string Braced(const std::string& uuid) {
    std::string text = "{" + uuid + "}";
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// An attribute value in double quotes.
std::string Quoted(std::string_view value) {
    std::string text = "\"";
    for (const char c : value) {
        switch (c) {
        case '&':
            text += "&amp;";
            break;
        case '<':
            text += "&lt;";
            break;
        case '>':
            text += "&gt;";
            break;
        case '"':
            text += "&quot;";
            break;
        default:
            text += c;
        }
    }
    return text + "\"";
}

std::string Joined(const std::vector<std::string_view>& names) {
    std::string text;
    for (const std::string_view name : names) {
        if (!text.empty())
            text += ',';
        text += name;
    }
    return text;
}

std::string Manifest(const ClassDeclarations& idl, const Build& build) {
    std::vector<std::string_view> miscStatus;
    for (const facts::MiscFlag& flag : facts::MiscFlags)
        miscStatus.push_back(flag.manifestName);
    std::vector<std::string_view> libraryFlags;
    for (const std::string_view flag : LibraryFlags)
        if (idl.library.Has(std::string(flag)))
            libraryFlags.push_back(flag);
    const std::string tlbid = Quoted(Braced(idl.library.uuid));

    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        << "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
        << "  <assemblyIdentity type=\"win32\" name=" << Quoted(build.assemblyName)
        << " version=" << Quoted(build.version)
        << " processorArchitecture=" << Quoted(build.architecture) << "/>\n"
        << "  <file name=" << Quoted(build.fileName) << ">\n"
        << "    <comClass clsid=" << Quoted(Braced(idl.coclass.uuid))
        << " progid=" << Quoted(facts::ProgId)
        << " threadingModel=" << Quoted(facts::ThreadingModel) << " tlbid=" << tlbid
        << " description=" << Quoted(facts::ClassName)
        << " miscStatus=" << Quoted(Joined(miscStatus)) << "/>\n"
        << "    <typelib tlbid=" << tlbid << " version=" << Quoted(idl.library.Argument("version"))
        << " helpdir=\"\" flags=" << Quoted(Joined(libraryFlags)) << "/>\n"
        << "  </file>\n";
    for (const Declaration* face : {&idl.dual, &idl.events})
        out << "  <comInterfaceExternalProxyStub name=" << Quoted(face->name)
            << " iid=" << Quoted(Braced(face->uuid))
            << " proxyStubClsid32=" << Quoted(AutomationMarshaller)
            << " baseInterface=" << Quoted(IDispatchIid) << " tlbid=" << tlbid << "/>\n";
    out << "</assembly>\n";
    return out.str();
}

// Four numbers of 0 to 65535, as an assembly version is.
bool IsAssemblyVersion(const std::string& text) {
    std::istringstream in(text);
    std::string part;
    int parts = 0;
    while (std::getline(in, part, '.')) {
        if (part.empty() || part.size() > 5 ||
            !std::all_of(part.begin(), part.end(),
                         [](unsigned char c) { return std::isdigit(c); }) ||
            std::stoul(part) > 65535)
            return false;
        ++parts;
    }
    return parts == 4 && text.back() != '.';
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw IdlError("cannot read the file");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: make_manifest IDL OUTPUT.manifest FILE VERSION x86|amd64\n";
        return 2;
    }
    const std::filesystem::path output = argv[2];
    const Build build{output.stem().string(), argv[4], argv[5], argv[3]};
    if (output.extension() != ".manifest" || build.assemblyName.empty()) {
        std::cerr << "make_manifest: " << output << ": the output is NAME.manifest\n";
        return 2;
    }
    if (!IsAssemblyVersion(build.version)) {
        std::cerr << "make_manifest: version " << build.version << " is not four numbers\n";
        return 2;
    }
    if (std::find(std::begin(Architectures), std::end(Architectures), build.architecture) ==
        std::end(Architectures)) {
        std::cerr << "make_manifest: architecture " << build.architecture
                  << " is neither x86 nor amd64\n";
        return 2;
    }
    std::string manifest;
    try {
        manifest = Manifest(Resolve(quillomet::manifest::ReadIdl(ReadText(argv[1]))), build);
    } catch (const IdlError& e) {
        std::cerr << "make_manifest: " << argv[1] << ": " << e.what() << '\n';
        return 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!(out << manifest) || !out.flush()) {
        std::cerr << "make_manifest: " << output << ": cannot write\n";
        out.close();
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
