// tlbpatch INPUT.tlb OUTPUT.tlb
//
// Post-step over the binary ("MSFT") type library that widl writes for
// Ordinalex. It sets what the IDL compiler cannot express:
//   - the event dispinterface __Quillomet: TYPEFLAGS hidden | nonextensible
//     | dispatchable and version 1.0 (widl rejects `nonextensible` on a
//     dispinterface and ignores `version` there);
//   - the results of property reads are unnamed (widl calls them "a"),
//     except the read of SkipFocus, whose result is named SkipFocus;
//   - widl's library custom data ("Created by WIDL ... at <date>" and a
//     time stamp) is removed, so that two builds give the same bytes.
// It also verifies the flags and versions of _Quillomet and Quillomet, and
// that the library is laid out for the system it names: 32-bit (win32) or
// 64-bit (win64) Windows, each slot of the dual interface's table where a
// pointer of that size puts it.
//
// Every value is checked against what widl is known to write before it is
// changed; anything else stops the build with a message naming it. Nothing
// moves: every edit is a field rewritten in place, so no offset changes.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Unexpected : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Hex(std::uint32_t value) {
    std::ostringstream text;
    text << "0x" << std::hex << std::uppercase << value;
    return text.str();
}

// --- Layout of the format (all fields little-endian 32-bit unless noted) ---
constexpr std::uint32_t kMagic = 0x5446534D; // "MSFT"
constexpr std::uint32_t kFormatVersion = 0x00010002;
constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kHeaderVarFlags = 0x14;
constexpr std::uint32_t kVarFlagHelpDll = 0x100; // header carries 4 more bytes
constexpr std::uint32_t kVarFlagSysKind = 0xF;   // SYSKIND
constexpr std::uint32_t kSysWin32 = 1, kSysWin64 = 3;
// IUnknown and IDispatch come before the dual interface's own functions.
constexpr std::size_t kDispatchSlots = 7;
constexpr std::size_t kHeaderTypeCount = 0x20;
constexpr std::size_t kHeaderCustomData = 0x40;

// The segment directory follows the header and one offset per type
// description: 15 entries of {offset, length, -1, 0x0F}.
enum Segment : std::size_t {
    TypeInfoTable = 0,
    RefTable = 3,
    NameTable = 7,
    CustData = 11,
    CustDataGuids = 12
};
constexpr std::size_t kSegmentCount = 15;
constexpr std::size_t kSegmentEntrySize = 16;
constexpr std::uint32_t kSegmentMarker = 0x0F;

// A type description record in the first segment.
constexpr std::size_t kTypeInfoSize = 0x64;
constexpr std::size_t kTiKind = 0x00;    // low 4 bits: TYPEKIND
constexpr std::size_t kTiMembers = 0x04; // file offset of the member data
constexpr std::size_t kTiCounts = 0x18;  // low word functions, high word variables
constexpr std::size_t kTiFlags = 0x30;
constexpr std::size_t kTiName = 0x34;
constexpr std::size_t kTiVersion = 0x38; // low word major, high word minor
constexpr std::size_t kTiCustData = 0x48;

// A function record; its parameters, 12 bytes each, end the record.
constexpr std::size_t kFnFlagBits = 0x10;
constexpr std::size_t kFnVtableOffset = 0x0C; // 16-bit
constexpr std::size_t kFnArgCount = 0x14;     // 16-bit
constexpr std::size_t kParamSize = 12;
constexpr std::size_t kParamName = 4;
constexpr std::uint32_t kFnHasCustData = 0x80;
constexpr std::uint32_t kFnHasDefaults = 0x1000;

// A name table entry: {hreftype, next in hash chain, length byte, ...,
// characters}.
constexpr std::size_t kNameLength = 8;
constexpr std::size_t kNameText = 12;

constexpr std::uint32_t kNoOffset = 0xFFFFFFFF;
constexpr std::uint32_t kVersion1_0 = 0x00000001;

enum TypeKind : std::uint32_t { Dispatch = 4, CoClass = 5 };
enum InvokeKind : std::uint32_t { Func = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8 };

struct TypeEdit {
    std::string_view name;
    TypeKind kind;
    std::uint32_t oldFlags, newFlags;
    std::uint32_t oldVersion, newVersion;
};

// In file order: widl lays the library out by first mention.
constexpr std::array<TypeEdit, 3> kTypes{{
    // hidden | dual | nonextensible | oleautomation | dispatchable: widl gets it right.
    {"_Quillomet", Dispatch, 0x11D0, 0x11D0, kVersion1_0, kVersion1_0},
    // control only.
    {"Quillomet", CoClass, 0x20, 0x20, kVersion1_0, kVersion1_0},
    // widl writes hidden | dispatchable and version 0.0.
    {"__Quillomet", Dispatch, 0x1010, 0x1090, 0, kVersion1_0},
}};

constexpr std::string_view kDualInterface = "_Quillomet";
// The one property read whose result keeps a name: its own.
constexpr std::string_view kNamedResult = "SkipFocus";
// widl's name for a parameter that has none in the IDL.
constexpr std::string_view kWidlUnnamed = "a";
// The library custom data widl adds starts with this text.
constexpr std::string_view kWidlStamp = "Created by WIDL";

class TypeLibrary {
public:
    explicit TypeLibrary(std::vector<unsigned char> bytes) : m_Bytes(std::move(bytes)) {
        if (U32(0, "header") != kMagic)
            throw Unexpected("no MSFT type library: magic is " + Hex(U32(0, "header")));
        if (U32(4, "header") != kFormatVersion)
            throw Unexpected("format version " + Hex(U32(4, "header")) + ", expected " +
                             Hex(kFormatVersion));
        m_TypeCount = U32(kHeaderTypeCount, "header");
        if (m_TypeCount > 0x10000)
            throw Unexpected("implausible type description count " + Hex(m_TypeCount));
        const std::size_t extra = (U32(kHeaderVarFlags, "header") & kVarFlagHelpDll) ? 4 : 0;
        m_Directory = kHeaderSize + extra + 4 * std::size_t{m_TypeCount};
        for (std::size_t s = 0; s < kSegmentCount; ++s) {
            const std::size_t entry = m_Directory + s * kSegmentEntrySize;
            if (U32(entry + 12, "segment directory") != kSegmentMarker)
                throw Unexpected("segment directory entry " + std::to_string(s) + " is malformed");
            const std::uint32_t offset = U32(entry, "segment directory");
            const std::uint32_t length = U32(entry + 4, "segment directory");
            if (offset != kNoOffset && std::size_t{offset} + length > m_Bytes.size())
                throw Unexpected("segment " + std::to_string(s) + " lies past the end of the file");
        }
    }

    const std::vector<unsigned char>& Bytes() const { return m_Bytes; }
    std::uint32_t TypeCount() const { return m_TypeCount; }

    std::uint32_t U32(std::size_t at, std::string_view what) const {
        Need(at, 4, what);
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | m_Bytes[at + i];
        return v;
    }
    std::uint16_t U16(std::size_t at, std::string_view what) const {
        Need(at, 2, what);
        return static_cast<std::uint16_t>(m_Bytes[at] | m_Bytes[at + 1] << 8);
    }
    void Put32(std::size_t at, std::uint32_t v) {
        Need(at, 4, "write");
        for (int i = 0; i < 4; ++i)
            m_Bytes[at + i] = static_cast<unsigned char>(v >> 8 * i);
    }

    std::size_t SegmentOffset(Segment s) const {
        return U32(m_Directory + s * kSegmentEntrySize, "segment directory");
    }
    std::size_t SegmentLength(Segment s) const {
        return U32(m_Directory + s * kSegmentEntrySize + 4, "segment directory");
    }
    // An empty segment is written as offset -1, length 0.
    void EmptySegment(Segment s) {
        const std::size_t entry = m_Directory + s * kSegmentEntrySize;
        const std::size_t offset = SegmentOffset(s), length = SegmentLength(s);
        if (offset != kNoOffset)
            std::fill_n(m_Bytes.begin() + static_cast<std::ptrdiff_t>(offset), length, 0);
        Put32(entry, kNoOffset);
        Put32(entry + 4, 0);
    }

    std::size_t TypeInfo(std::uint32_t index) const {
        return SegmentOffset(TypeInfoTable) + index * kTypeInfoSize;
    }

    // The text of the name at an offset into the name table.
    std::string Name(std::uint32_t offset) const {
        if (offset >= SegmentLength(NameTable))
            throw Unexpected("name offset " + Hex(offset) + " lies outside the name table");
        const std::size_t entry = SegmentOffset(NameTable) + offset;
        const std::size_t length = U32(entry + kNameLength, "name table") & 0xFF;
        Need(entry + kNameText, length, "name table");
        return {m_Bytes.begin() + static_cast<std::ptrdiff_t>(entry + kNameText),
                m_Bytes.begin() + static_cast<std::ptrdiff_t>(entry + kNameText + length)};
    }

private:
    void Need(std::size_t at, std::size_t count, std::string_view what) const {
        if (at > m_Bytes.size() || count > m_Bytes.size() - at)
            throw Unexpected("file is truncated: " + std::string(what) + " at " +
                             Hex(static_cast<std::uint32_t>(at)) + " lies past its end (" +
                             std::to_string(m_Bytes.size()) + " bytes)");
    }

    std::vector<unsigned char> m_Bytes;
    std::uint32_t m_TypeCount = 0;
    std::size_t m_Directory = 0;
};

// One function record of a type description, located through the member data.
struct Function {
    std::size_t record;
    std::size_t length;
    std::string name;
    std::uint32_t flagBits;
    std::uint16_t vtableOffset;
    std::uint16_t argCount;

    InvokeKind Invoke() const { return static_cast<InvokeKind>(flagBits >> 3 & 0xF); }
    std::size_t Param(std::size_t i) const { return record + length - (argCount - i) * kParamSize; }
};

// Member data: a length, the records, then member ids, name offsets and
// record offsets, one per member each.
std::vector<Function> Functions(const TypeLibrary& lib, std::size_t typeInfo,
                                std::string_view typeName) {
    const std::uint32_t counts = lib.U32(typeInfo + kTiCounts, typeName);
    const std::uint32_t functions = counts & 0xFFFF, variables = counts >> 16;
    if (variables != 0)
        throw Unexpected(std::string(typeName) + " has variables; expected functions only");
    const std::size_t members = lib.U32(typeInfo + kTiMembers, typeName);
    const std::size_t recordsLength = lib.U32(members, typeName);
    std::vector<Function> result;
    std::size_t record = members + 4;
    for (std::uint32_t i = 0; i < functions; ++i) {
        Function f{};
        f.record = record;
        f.length = lib.U32(record, typeName) & 0xFFFF;
        f.name = lib.Name(lib.U32(members + recordsLength + (functions + i + 1) * 4, typeName));
        f.flagBits = lib.U32(record + kFnFlagBits, typeName);
        f.vtableOffset = lib.U16(record + kFnVtableOffset, typeName);
        f.argCount = lib.U16(record + kFnArgCount, typeName);
        if (f.length < kFnArgCount + 4 + f.argCount * kParamSize ||
            record + f.length > members + 4 + recordsLength)
            throw Unexpected(std::string(typeName) + "." + f.name + ": malformed function record");
        result.push_back(f);
        record += f.length;
    }
    return result;
}

std::string ParamName(const TypeLibrary& lib, const Function& f, std::size_t i) {
    const std::uint32_t offset = lib.U32(f.Param(i) + kParamName, f.name);
    return offset == kNoOffset ? std::string() : lib.Name(offset);
}

void SetTypeAttributes(TypeLibrary& lib) {
    if (lib.TypeCount() != kTypes.size())
        throw Unexpected("the library holds " + std::to_string(lib.TypeCount()) +
                         " type descriptions, expected " + std::to_string(kTypes.size()) +
                         " (_Quillomet, Quillomet, __Quillomet): is a type copied in "
                         "instead of referenced from stdole2?");
    for (std::uint32_t i = 0; i < kTypes.size(); ++i) {
        const TypeEdit& edit = kTypes[i];
        const std::size_t ti = lib.TypeInfo(i);
        const std::string name = lib.Name(lib.U32(ti + kTiName, "type description"));
        if (name != edit.name)
            throw Unexpected("type description " + std::to_string(i) + " is named '" + name +
                             "', expected '" + std::string(edit.name) + "'");
        const std::uint32_t kind = lib.U32(ti + kTiKind, name) & 0xF;
        if (kind != edit.kind)
            throw Unexpected(name + ": type kind " + std::to_string(kind) + ", expected " +
                             std::to_string(edit.kind));
        const std::uint32_t flags = lib.U32(ti + kTiFlags, name);
        if (flags != edit.oldFlags)
            throw Unexpected(name + ": TYPEFLAGS are " + Hex(flags) + ", expected " +
                             Hex(edit.oldFlags));
        const std::uint32_t version = lib.U32(ti + kTiVersion, name);
        if (version != edit.oldVersion)
            throw Unexpected(name + ": version field is " + Hex(version) + ", expected " +
                             Hex(edit.oldVersion));
        // Custom data of a type would share the segments emptied below.
        if (lib.U32(ti + kTiCustData, name) != kNoOffset)
            throw Unexpected(name + " carries custom data; none expected");
        lib.Put32(ti + kTiFlags, edit.newFlags);
        lib.Put32(ti + kTiVersion, edit.newVersion);
    }
}

// The size of a pointer on the system the library is for; any system but
// 32-bit and 64-bit Windows is refused.
std::size_t PointerSize(const TypeLibrary& lib) {
    const std::uint32_t kind = lib.U32(kHeaderVarFlags, "header") & kVarFlagSysKind;
    if (kind == kSysWin32)
        return 4;
    if (kind == kSysWin64)
        return 8;
    throw Unexpected("system kind " + std::to_string(kind) + ", expected win32 (" +
                     std::to_string(kSysWin32) + ") or win64 (" + std::to_string(kSysWin64) + ")");
}

// A parameter name is an offset into the name table; -1 means unnamed, as
// for the property writes widl already leaves unnamed. The entry "a" stays
// in the name table, unreferenced: removing it would move every later name.
void UnnameResults(TypeLibrary& lib) {
    const std::size_t ti = lib.TypeInfo(0);
    const std::size_t pointerSize = PointerSize(lib);
    std::size_t slot = kDispatchSlots;
    for (const Function& f : Functions(lib, ti, kDualInterface)) {
        const std::string where = std::string(kDualInterface) + "." + f.name;
        if (f.vtableOffset != slot * pointerSize)
            throw Unexpected(where + ": table offset " + std::to_string(f.vtableOffset) +
                             ", expected " + std::to_string(slot * pointerSize) + " for " +
                             std::to_string(pointerSize) + "-byte pointers");
        ++slot;
        const InvokeKind invoke = f.Invoke();
        const std::uint16_t expectedArgs = invoke == Func ? 0 : 1;
        if (f.argCount != expectedArgs)
            throw Unexpected(where + ": " + std::to_string(f.argCount) + " parameters, expected " +
                             std::to_string(expectedArgs));
        if (f.argCount == 0)
            continue;
        const std::string name = ParamName(lib, f, 0);
        if (invoke == PropertyPut || invoke == PropertyPutRef) {
            if (!name.empty())
                throw Unexpected(where + ": property write parameter is named '" + name +
                                 "', expected unnamed");
        } else if (invoke != PropertyGet) {
            throw Unexpected(where + ": unexpected invoke kind " + std::to_string(invoke));
        } else if (f.name == kNamedResult) {
            if (name != kNamedResult)
                throw Unexpected(where + ": result is named '" + name + "', expected '" +
                                 std::string(kNamedResult) + "'");
        } else if (name != kWidlUnnamed) {
            throw Unexpected(where + ": result is named '" + name + "', expected widl's '" +
                             std::string(kWidlUnnamed) + "'");
        } else {
            lib.Put32(f.Param(0) + kParamName, kNoOffset);
        }
    }
}

// widl's library custom data is the only user of the custom data segments
// (checked: no type, function, parameter default or implemented interface
// refers to them). Unlinking it from the header and emptying both segments
// removes it; the freed bytes stay in place, zeroed, so nothing moves.
void RemoveBuildStamp(TypeLibrary& lib) {
    for (std::uint32_t i = 0; i < lib.TypeCount(); ++i) {
        const std::size_t ti = lib.TypeInfo(i);
        const std::string name = lib.Name(lib.U32(ti + kTiName, "type description"));
        if ((lib.U32(ti + kTiKind, name) & 0xF) != Dispatch)
            continue;
        for (const Function& f : Functions(lib, ti, name))
            if (f.flagBits & (kFnHasCustData | kFnHasDefaults))
                throw Unexpected(name + "." + f.name +
                                 " carries custom data or default values; none expected");
    }
    // Implemented-interface entries: {type, flags, custom data, next}.
    for (std::size_t at = 0; at + 16 <= lib.SegmentLength(RefTable); at += 16)
        if (lib.U32(lib.SegmentOffset(RefTable) + at + 8, "reference table") != kNoOffset)
            throw Unexpected("an implemented interface carries custom data; none expected");

    // The chain from the header: entries {guid offset, data offset, next}.
    const std::uint32_t first = lib.U32(kHeaderCustomData, "header");
    if (first == kNoOffset)
        throw Unexpected("the library has no custom data; expected widl's build stamp");
    bool stamped = false;
    std::size_t entries = 0;
    for (std::uint32_t at = first; at != kNoOffset; ++entries) {
        if (entries > 16 || std::size_t{at} + 12 > lib.SegmentLength(CustDataGuids))
            throw Unexpected("library custom data chain is malformed");
        const std::size_t entry = lib.SegmentOffset(CustDataGuids) + at;
        const std::uint32_t data = lib.U32(entry + 4, "custom data");
        // A BSTR value: VT_BSTR (16-bit), length (32-bit), characters.
        const std::size_t value = lib.SegmentOffset(CustData) + data;
        const std::size_t end = lib.SegmentOffset(CustData) + lib.SegmentLength(CustData);
        if (value + 6 + kWidlStamp.size() <= end && lib.U16(value, "custom data") == 8 &&
            lib.U32(value + 2, "custom data") >= kWidlStamp.size()) {
            const auto text = lib.Bytes().begin() + static_cast<std::ptrdiff_t>(value + 6);
            stamped = stamped || std::equal(kWidlStamp.begin(), kWidlStamp.end(), text);
        }
        at = lib.U32(entry + 8, "custom data");
    }
    if (!stamped)
        throw Unexpected("library custom data without widl's '" + std::string(kWidlStamp) +
                         "' text; refusing to remove unknown data");
    lib.Put32(kHeaderCustomData, kNoOffset);
    lib.EmptySegment(CustData);
    lib.EmptySegment(CustDataGuids);
}

std::vector<unsigned char> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Unexpected("cannot open for reading");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tlbpatch INPUT.tlb OUTPUT.tlb\n";
        return 2;
    }
    try {
        TypeLibrary lib(ReadFile(argv[1]));
        SetTypeAttributes(lib);
        UnnameResults(lib);
        RemoveBuildStamp(lib);
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(lib.Bytes().data()),
                  static_cast<std::streamsize>(lib.Bytes().size()));
        if (!out.flush()) {
            std::cerr << "tlbpatch: " << argv[2] << ": cannot write\n";
            return 1;
        }
    } catch (const Unexpected& e) {
        std::cerr << "tlbpatch: " << argv[1] << ": " << e.what() << '\n';
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
