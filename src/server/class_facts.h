#pragma once

// What the system is told about the class wherever it is told: the
// registry, the side-by-side manifest and IOleObject::GetMiscStatus. Plain
// text and numbers, so that a build tool reads the same facts. The class's
// and the type library's identifiers are the IDL's.
namespace quillomet::class_facts {

inline constexpr char ProgId[] = "Ordinalex.Quillomet";
inline constexpr char ClassName[] = "Quillomet";
inline constexpr char ThreadingModel[] = "Apartment";
inline constexpr unsigned TypeLibMajor = 1;
inline constexpr unsigned TypeLibMinor = 0;
inline constexpr unsigned long TypeLibLocale = 0x0409;

// The OLEMISC bits of the content aspect, by name.
struct MiscFlag {
    unsigned long bit;
    const char* manifestName;
};
inline constexpr MiscFlag MiscFlags[] = {
    {0x00001, "recomposeonresize"},   {0x00010, "cantlinkinside"},     {0x00080, "insideout"},
    {0x00100, "activatewhenvisible"}, {0x20000, "setclientsitefirst"},
};
inline constexpr unsigned long MiscStatus = [] {
    unsigned long status = 0;
    for (const MiscFlag& flag : MiscFlags)
        status |= flag.bit;
    return status;
}();

} // namespace quillomet::class_facts
