#pragma once

// What the system is told about the class wherever it is told: the
// registry, the side-by-side manifest, IOleObject::GetMiscStatus and
// EnumVerbs. Plain text and numbers, so that a build tool reads the same
// facts. The class's and the type library's identifiers are the IDL's; the
// property pages are classes of the library alone, so theirs are here.
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

// The control's own property pages, in the order a designer shows them.
// Each is a class of its own, registered with the control's threading model.
struct PageClass {
    const char* clsid;
    const char* title;       // on its tab
    const char* description; // the class's name in the registry
};
inline constexpr PageClass PropertyPages[] = {
    {"{2DAD5E5F-D9D8-4551-BF3D-0A3F16A0504F}", "General", "Quillomet General Page"},
    {"{91FC35FD-1CC2-490C-A3C7-2E02CC2E4F11}", "Appearance", "Quillomet Appearance Page"},
};

// The verbs the control lists for a container's menu; each one works.
struct Verb {
    long number;
    const char* menuText;
};
inline constexpr Verb Verbs[] = {
    {0, "&Edit"},           // the primary verb: activates the control for editing
    {-7, "&Properties..."}, // OLEIVERB_PROPERTIES: the property pages
};

} // namespace quillomet::class_facts
