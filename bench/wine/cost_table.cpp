// What the control costs a host under Wine, for the architecture of this
// build, in one table with each row's target:
//
//   load    LoadLibrary, DllGetClassObject and the first instance created,
//           sited, initialised and placed in a form, each round in a fresh
//           process (a loaded library stays loaded), against the same for
//           plain_entry.dll, the least embeddable entry field a server can
//           offer (target: at most 1.5 times as long)
//   memory  resident bytes, windows and GDI objects per placed control,
//           1,000 placed in a fresh process, against as many plain entry
//           fields (targets: at most 2.0 times the bytes and windows, at
//           most one GDI object beyond the plain fields' own, the font)
//   text    the control's text round trip (number to plain text, display
//           form by a Format picture, plain form, number) through the core
//           linked into this program, beside oleaut32's VarFormat and
//           VarR8FromStr on the same numbers (for information)
//   windows window_cost's rows: placing controls against bare EDITs
//           (targets: 2.0 without the spinner, 3.0 with it)
//   draw    window_cost's picture row: one Draw of a placed control into a
//           memory DC against a sunken edge and a line of DrawText (target:
//           at most 2.0 times as long)
//
//   cost_table PATH-TO-Quillomet.ocx [--rounds R] [--memory-rounds R] [--controls N]
//
// plain_entry.dll and window_cost.exe are taken from beside this program.
// The rounds that need a fresh process start this program again with one
// of the internal modes below; each prints "name value" lines.
//
//   cost_table --load control|plain PATH-TO-Quillomet.ocx [--imports-loaded]
//   cost_table --memory control|plain PATH-TO-Quillomet.ocx N TOKEN
//
// It exits with 1 when a measurement cannot be made or a check on what was
// measured fails (a control not placed, a round trip giving another number,
// a count that does not count), not when a target is missed.
#include "common/number_conversion.h"
#include "control/text_forms.h"
#include "plain_entry.h"
#include "process_measures.h"
#include "server/diagnostics.h"
#include "test_site.h"
#include "timed_batch.h"
#include "win32com/com_ptr.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quillomet::com::com_ptr;
using quillomet::testing::Pump;
using quillomet::testing::Site;
using quillomet::testing::ThreadWindows;

using quillomet::bench::GdiCounts;
using quillomet::bench::HeapBytes;
using quillomet::bench::ProcessGdiObjects;
using quillomet::bench::ProcessGdiObjectsByKind;
using quillomet::bench::Seconds;

using Values = std::map<std::string, double>;

double MedianOf(std::vector<double> values) {
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

std::wstring BesideProgram(const wchar_t* name) {
    const std::wstring self = ProgramPath();
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

std::wstring FullPath(const std::string& path) {
    const std::wstring given = Widen(quillomet::testing::WindowsPath(path));
    wchar_t full[MAX_PATH * 2] = {};
    const DWORD length = GetFullPathNameW(given.c_str(), MAX_PATH * 2, full, nullptr);
    return length ? std::wstring(full, length) : given;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

void Fail(const char* what) {
    std::fprintf(stderr, "cost_table: %s\n", what);
    std::fflush(stderr);
}

// --- Reading files the way the process sees them -----------------------------

std::string ReadWholeFile(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

// The number after `key` in a /proc status text ("VmRSS:\t  1234 kB"), or -1.
long StatusField(const std::string& status, const char* key) {
    const std::size_t at = status.find(key);
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + std::strlen(key));
}

// This process's resident set, read from its Unix process's status file.
// Under Wine files are opened by the Wine server, so Z:\proc\self is the
// server's own entry, not this process's (its Name line says wineserver).
// The process finds its entry by a token it was given on its command line
// instead, and holds what it reads there against the working set Wine's
// ntdll reports for it.
class ResidentSet {
public:
    bool Find(const std::string& token) {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
        if (search == INVALID_HANDLE_VALUE)
            return false;
        int matches = 0;
        do {
            const std::wstring name = found.cFileName;
            if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos)
                continue;
            const std::string commandLine = ReadWholeFile(L"Z:\\proc\\" + name + L"\\cmdline");
            if (commandLine.find(token) == std::string::npos)
                continue;
            ++matches;
            m_Status = L"Z:\\proc\\" + name + L"\\status";
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return matches == 1 && Agrees();
    }

    // VmRSS, in bytes.
    double Bytes() const {
        const long kb = StatusField(ReadWholeFile(m_Status), "VmRSS:");
        return kb < 0 ? NAN : static_cast<double>(kb) * 1024.0;
    }

    // The working set ntdll reports, which Wine takes from the same place.
    static double WorkingSetBytes() {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
            return NAN;
        return static_cast<double>(counters.WorkingSetSize);
    }

    // Both say the same within a megabyte (they are read a moment apart).
    bool Agrees() const { return std::fabs(Bytes() - WorkingSetBytes()) <= 1024.0 * 1024.0; }

private:
    std::wstring m_Status;
};

// The count follows a brush made and deleted, or it is not counting.
bool ProcessGdiCountWorks() {
    const long before = ProcessGdiObjects();
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    const long during = ProcessGdiObjects();
    DeleteObject(brush);
    const long after = ProcessGdiObjects();
    return before >= 0 && during == before + 1 && after == before;
}

// The GDI objects the library made itself, as its own count tells (what the
// lifetime test counts; fonts come from the system's font objects and are
// not among them).
long LibraryGdiObjects(IClassFactory* factory) {
    com_ptr<IQuillometDiagnostics> diagnostics;
    if (FAILED(factory->CreateInstance(nullptr, __uuidof(IQuillometDiagnostics),
                                       diagnostics.put_void())))
        return -1;
    LONG count = -1;
    diagnostics->LiveGdiObjects(&count);
    return count;
}

// --- Placing a control or a plain entry field --------------------------------

struct Kind {
    std::string name;
    std::wstring library;
    CLSID clsid;
};

bool IsKind(const char* name) {
    return std::strcmp(name, "control") == 0 || std::strcmp(name, "plain") == 0;
}

Kind KindNamed(const std::string& name, const std::string& ocx) {
    if (name == "control")
        return {name, FullPath(ocx), CLSID_Quillomet};
    return {name, BesideProgram(L"plain_entry.dll"), CLSID_PlainEntry};
}

// A form on screen, as a user's form is (children of a hidden form are not
// drawn, and the control makes some of its windows only once it is seen).
HWND MakeForm() {
    const HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                      0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(form, SW_SHOWNA);
    Pump();
    return form;
}

// The moments a step ends, when they are asked for.
using Marks = std::vector<double>;

void Mark(Marks* marks) {
    if (marks)
        marks->push_back(Seconds());
}

// Created, sited, initialised and activated in place, as a form's host does
// (three marks: created, sited and initialised, in place).
HRESULT Place(IClassFactory* factory, Site& site, HWND form, const RECT& where,
              com_ptr<IOleObject>& ole, Marks* marks = nullptr) {
    HRESULT hr = factory->CreateInstance(nullptr, IID_IOleObject, ole.put_void());
    Mark(marks);
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = ole->SetClientSite(&site)))
        return hr;
    const auto persist = ole.try_as<IPersistStreamInit>();
    if (!persist)
        return E_NOINTERFACE;
    if (FAILED(hr = persist->InitNew()))
        return hr;
    Mark(marks);
    site.m_Position = where;
    hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.m_Position);
    Mark(marks);
    return hr;
}

// A placed object's window: shown, a child of the form, an EDIT in it.
bool IsPlaced(const com_ptr<IOleObject>& ole, HWND form) {
    const auto inPlace = ole.try_as<IOleInPlaceObject>();
    HWND window = nullptr;
    return inPlace && SUCCEEDED(inPlace->GetWindow(&window)) && window &&
           GetParent(window) == form && IsWindowVisible(window) &&
           FindWindowExW(window, nullptr, L"EDIT", nullptr);
}

void Unplace(com_ptr<IOleObject>& ole) {
    if (!ole)
        return;
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    ole.reset();
}

// The plain entry field answers through its type library: its Text, set
// by name, is what its EDIT shows and what it reads back.
bool PlainEntryAnswers(const com_ptr<IOleObject>& ole) {
    const auto dispatch = ole.try_as<IDispatch>();
    const auto inPlace = ole.try_as<IOleInPlaceObject>();
    HWND window = nullptr;
    if (!dispatch || !inPlace || FAILED(inPlace->GetWindow(&window)))
        return false;
    const wchar_t* name = L"Text";
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(dispatch->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(&name), 1,
                                       LOCALE_USER_DEFAULT, &id)))
        return false;
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"12.5");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &named, 1, 1};
    HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put,
                                  nullptr, nullptr, nullptr);
    VariantClear(&value);
    DISPPARAMS none{};
    if (SUCCEEDED(hr))
        hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                              &value, nullptr, nullptr);
    const HWND edit = FindWindowExW(window, nullptr, L"EDIT", nullptr);
    const bool same = SUCCEEDED(hr) && V_VT(&value) == VT_BSTR &&
                      std::wcscmp(V_BSTR(&value), L"12.5") == 0 &&
                      quillomet::testing::WindowText(edit) == L"12.5";
    VariantClear(&value);
    return same;
}

struct Loaded {
    HMODULE module = nullptr;
    com_ptr<IClassFactory> factory;
};

// The library and its class object (two marks: loaded, class object).
HRESULT LoadKind(const Kind& kind, Loaded& loaded, Marks* marks = nullptr) {
    loaded.module = LoadLibraryW(kind.library.c_str());
    Mark(marks);
    if (!loaded.module)
        return HRESULT_FROM_WIN32(GetLastError());
    const auto getClassObject =
        quillomet::testing::ProcAddress<quillomet::testing::GetClassObjectFunction>(
            loaded.module, "DllGetClassObject");
    if (!getClassObject)
        return E_NOINTERFACE;
    const HRESULT hr = getClassObject(kind.clsid, IID_IClassFactory, loaded.factory.put_void());
    Mark(marks);
    return hr;
}

// --- Internal mode: one load, in a fresh process -----------------------------

// The names of the libraries a library of this architecture imports, read
// from its file's import directory; empty when the file cannot be read.
std::vector<std::string> ImportedLibraries(const std::wstring& path) {
    std::vector<std::string> names;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return names;
    std::vector<BYTE> image(GetFileSize(file, nullptr));
    DWORD read = 0;
    const bool whole =
        ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &read, nullptr) &&
        read == image.size();
    CloseHandle(file);
    const auto at = [&](std::size_t offset, std::size_t size) -> const BYTE* {
        return whole && offset + size <= image.size() ? image.data() + offset : nullptr;
    };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return names;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        at(static_cast<std::size_t>(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
        return names;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(static_cast<std::size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
               nt->FileHeader.SizeOfOptionalHeader,
           sizeof(IMAGE_SECTION_HEADER) * nt->FileHeader.NumberOfSections));
    if (!sections)
        return names;
    const auto fileOffset = [&](DWORD rva) -> std::size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress &&
                rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
                return rva - sections[i].VirtualAddress + sections[i].PointerToRawData;
        return image.size();
    };
    const DWORD directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (std::size_t offset = fileOffset(directory);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
            at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!entry || !entry->Name)
            break;
        const std::size_t name = fileOffset(entry->Name);
        if (!at(name, 1))
            break;
        const auto* text = reinterpret_cast<const char*>(image.data() + name);
        names.emplace_back(text, strnlen(text, image.size() - name));
    }
    return names;
}

// From nothing of the library to its first instance placed, then that
// instance painted. What any host pays before (OLE, the form, the system's
// EDIT class, which the form's own fields would have made ready) is done
// first and not timed; with `importsLoaded`, so are the system libraries
// the library imports (as in a host that uses them already), which tells
// their share from the library's own.
int MeasureLoad(const Kind& kind, bool importsLoaded) {
    if (importsLoaded) {
        const std::vector<std::string> imports = ImportedLibraries(kind.library);
        if (imports.empty()) {
            Fail("the library's imports cannot be read");
            return 1;
        }
        for (const std::string& name : imports)
            if (!LoadLibraryA(name.c_str())) {
                std::fprintf(stderr, "cost_table: cannot load %s\n", name.c_str());
                return 1;
            }
    }
    OleInitialize(nullptr);
    const HWND form = MakeForm();
    DestroyWindow(
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, form, nullptr, nullptr, nullptr));
    Pump();
    Site site(form);
    const RECT where{10, 10, 10 + 116, 10 + 20};

    Marks marks;
    marks.reserve(8);
    const double start = Seconds();
    Loaded loaded;
    HRESULT hr = LoadKind(kind, loaded, &marks);
    com_ptr<IOleObject> ole;
    if (SUCCEEDED(hr))
        hr = Place(loaded.factory.get(), site, form, where, ole, &marks);
    const double placed = Seconds();
    UpdateWindow(form);
    const double painted = Seconds();

    if (FAILED(hr) || !IsPlaced(ole, form)) {
        std::fprintf(stderr, "cost_table: %s not placed (0x%08lx)\n", kind.name.c_str(),
                     static_cast<unsigned long>(hr));
        return 1;
    }
    std::printf("placed_us %.1f\npainted_us %.1f\n", (placed - start) * 1e6,
                (painted - start) * 1e6);
    static constexpr std::array<const char*, 5> steps = {"library", "class_object", "instance",
                                                         "initialised", "in_place"};
    for (std::size_t i = 0; i < steps.size() && i < marks.size(); ++i)
        std::printf("step_%s_us %.1f\n", steps[i], (marks[i] - (i ? marks[i - 1] : start)) * 1e6);
    std::fflush(stdout);
    Unplace(ole);
    loaded.factory.reset();
    DestroyWindow(form);
    OleUninitialize();
    return 0;
}

// --- Internal mode: many placed, in a fresh process --------------------------

// N placed after a first one (classes, type library, shared bitmaps and
// caches come with the first), then painted; what the N added, each.
int MeasureMemory(const Kind& kind, int count, const std::string& token) {
    ResidentSet resident;
    if (!resident.Find(token)) {
        Fail("this process's status file was not found, or disagrees with its working set");
        return 1;
    }
    if (!ProcessGdiCountWorks()) {
        Fail("the process's GDI objects cannot be counted");
        return 1;
    }
    OleInitialize(nullptr);
    const HWND form = MakeForm();
    Site site(form);
    site.m_Calls.reserve(256);
    Loaded loaded;
    HRESULT hr = LoadKind(kind, loaded);
    std::vector<com_ptr<IOleObject>> placed(static_cast<std::size_t>(count) + 1);
    if (SUCCEEDED(hr))
        hr = Place(loaded.factory.get(), site, form, {4, 4, 4 + 116, 4 + 20}, placed[0]);
    if (FAILED(hr)) {
        std::fprintf(stderr, "cost_table: %s not placed (0x%08lx)\n", kind.name.c_str(),
                     static_cast<unsigned long>(hr));
        return 1;
    }
    site.m_Calls.clear();
    Pump();
    UpdateWindow(form);
    Pump();

    const bool control = kind.name == "control";
    const long libraryGdiBefore = control ? LibraryGdiObjects(loaded.factory.get()) : 0;
    Pump();
    const GdiCounts gdiBefore = ProcessGdiObjectsByKind();
    const int windowsBefore = ThreadWindows();
    const double heapBefore = HeapBytes();
    const double bytesBefore = resident.Bytes();

    // Six columns, as many rows as the form holds, then over again.
    for (int i = 1; i <= count && SUCCEEDED(hr); ++i) {
        const int x = 4 + ((i % 6) * 120), y = 4 + ((i / 6) % 27) * 21;
        hr = Place(loaded.factory.get(), site, form, {x, y, x + 116, y + 20},
                   placed[static_cast<std::size_t>(i)]);
        site.m_Calls.clear(); // the site's record of calls is not the objects' memory
    }
    Pump();
    UpdateWindow(form);
    Pump();

    const double bytesAfter = resident.Bytes();
    const bool agrees = resident.Agrees();
    const double heapAfter = HeapBytes();
    const int windowsAfter = ThreadWindows();
    const GdiCounts gdiAfter = ProcessGdiObjectsByKind();
    const long libraryGdiAfter = control ? LibraryGdiObjects(loaded.factory.get()) : 0;

    int result = 0;
    if (FAILED(hr)) {
        std::fprintf(stderr, "cost_table: a %s was not placed (0x%08lx)\n", kind.name.c_str(),
                     static_cast<unsigned long>(hr));
        result = 1;
    }
    const auto notPlaced = std::count_if(placed.begin(), placed.end(),
                                         [&](const auto& ole) { return !IsPlaced(ole, form); });
    if (notPlaced) {
        std::fprintf(stderr, "cost_table: %ld of the %s objects are not in place\n",
                     static_cast<long>(notPlaced), kind.name.c_str());
        result = 1;
    }
    if (!control && !PlainEntryAnswers(placed[1])) {
        Fail("the plain entry field does not answer through its type library");
        result = 1;
    }
    if (!agrees) {
        Fail("the status file and the working set disagree after placing");
        result = 1;
    }
    if (control && (libraryGdiBefore < 0 || libraryGdiAfter < 0)) {
        Fail("the library's own GDI count is not available");
        result = 1;
    }
    const double n = count;
    std::printf("bytes %.1f\nheap %.1f\nwindows %.3f\n", (bytesAfter - bytesBefore) / n,
                (heapAfter - heapBefore) / n, (windowsAfter - windowsBefore) / n);
    for (const auto& [name, after] : gdiAfter) {
        const auto before = gdiBefore.find(name);
        const long added = after - (before == gdiBefore.end() ? 0 : before->second);
        if (added || name == "all")
            std::printf("gdi_%s %.3f\n", name.c_str(), static_cast<double>(added) / n);
    }
    if (control)
        std::printf("library_gdi %.3f\n",
                    static_cast<double>(libraryGdiAfter - libraryGdiBefore) / n);
    std::fflush(stdout);
    // The process ends here: tearing a thousand windows down is no part of it.
    ExitProcess(static_cast<UINT>(result));
}

// --- Rounds in fresh processes -----------------------------------------------

struct ChildResult {
    bool ok = false;
    Values values;
};

// Runs `program` with `arguments`, its output read as "name value" lines;
// its errors go where this program's go.
ChildResult RunChild(const std::wstring& program, const std::wstring& arguments,
                     DWORD timeoutMs = 300000) {
    ChildResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring command = Quoted(program) + L" " + arguments;
    const BOOL started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        std::fprintf(stderr, "cost_table: cannot start %ls (%lu)\n", program.c_str(),
                     GetLastError());
        return result;
    }
    std::string output;
    char buffer[4096];
    DWORD read = 0;
    const double deadline = Seconds() + timeoutMs / 1000.0;
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr))
            break; // the child has gone and its end with it
        if (available) {
            if (!ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) || !read)
                break;
            output.append(buffer, read);
        } else if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
            while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available &&
                   ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read)
                output.append(buffer, read);
            break;
        } else if (Seconds() > deadline) {
            std::fprintf(stderr, "cost_table: %ls %ls did not finish in %lu s\n", program.c_str(),
                         arguments.c_str(), timeoutMs / 1000);
            TerminateProcess(process.hProcess, 3);
            break;
        }
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);

    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string name, rest;
        double value = 0;
        if (words >> name >> value && !(words >> rest))
            result.values[name] = value;
    }
    result.ok = exitCode == 0;
    if (!result.ok)
        std::fprintf(stderr, "cost_table: %ls %ls failed (exit code %lu)\n", program.c_str(),
                     arguments.c_str(), exitCode);
    return result;
}

// --- The text round trip, in this process ------------------------------------

constexpr std::array<double, 3> TextNumbers = {-1234.5, 1234.5, 0.5};
constexpr const char* TextPicture = "###,##0.00;(##,###.00)";
constexpr std::array<const char*, 3> TextShown = {"(1,234.50)", "1,234.50", "0.50"};

// As the control does it on a value write and a focus change.
double ControlRoundTrip(quillomet::TextForms& text, double number) {
    const quillomet::PictureSettings picture{TextPicture, false, false};
    const quillomet::DisplayForm shown =
        text.ApplyFormat(text.StripFormat(quillomet::NumberText(number), false), picture);
    return quillomet::TextValue(text.StripFormat(shown.text, false).text);
}

// The same through oleaut32: the display form by VarFormat, read back by
// VarR8FromStr. NaN when a call fails.
double SystemRoundTrip(const VARIANT& number, BSTR picture, std::wstring* shown = nullptr) {
    BSTR text = nullptr;
    VARIANT in = number;
    if (FAILED(VarFormat(&in, picture, 0, 0, 0, &text)) || !text)
        return NAN;
    if (shown)
        shown->assign(text, SysStringLen(text));
    double value = NAN;
    if (FAILED(VarR8FromStr(text, LOCALE_USER_DEFAULT, 0, &value)))
        value = NAN;
    SysFreeString(text);
    return value;
}

struct TextFigures {
    bool ok = true;
    std::vector<double> control, system; // ns per number, one per round
};

// Both kinds give each number's display form and the number back; then
// rounds of timed batches, the kinds taking turns number by number.
TextFigures MeasureText(int rounds) {
    TextFigures figures;
    quillomet::TextForms text;
    BSTR picture = SysAllocString(Widen(TextPicture).c_str());
    std::array<VARIANT, TextNumbers.size()> numbers{};
    for (std::size_t k = 0; k < TextNumbers.size(); ++k) {
        V_VT(&numbers[k]) = VT_R8;
        V_R8(&numbers[k]) = TextNumbers[k];
        quillomet::TextForms check;
        const std::string controlShown(
            check.Reformat(quillomet::NumberText(TextNumbers[k]), {TextPicture, false, false})
                .text);
        const double controlBack =
            quillomet::TextValue(check.StripFormat(controlShown, false).text);
        std::wstring systemShown;
        const double systemBack = SystemRoundTrip(numbers[k], picture, &systemShown);
        if (controlShown != TextShown[k] || controlBack != TextNumbers[k] ||
            systemShown != Widen(TextShown[k]) || systemBack != TextNumbers[k]) {
            std::fprintf(stderr,
                         "cost_table: %g by %s: the control shows \"%s\" and reads %g back, "
                         "oleaut32 shows \"%ls\" and reads %g back (\"%s\" expected)\n",
                         TextNumbers[k], TextPicture, controlShown.c_str(), controlBack,
                         systemShown.c_str(), systemBack, TextShown[k]);
            figures.ok = false;
        }
    }

    // A batch of each kind takes about 10 ms per number.
    const auto batchFor = [](auto&& once) {
        return quillomet::bench::BatchFor(Seconds, 0.01, once);
    };
    volatile double sink = 0;
    const long controlBatch =
        batchFor([&] { sink = sink + ControlRoundTrip(text, TextNumbers[0]); });
    const long systemBatch = batchFor([&] { sink = sink + SystemRoundTrip(numbers[0], picture); });
    for (int r = 0; r < rounds; ++r) {
        double control = 0, system = 0;
        for (std::size_t k = 0; k < TextNumbers.size(); ++k) {
            double start = Seconds();
            for (long i = 0; i < controlBatch; ++i)
                sink = sink + ControlRoundTrip(text, TextNumbers[k]);
            control += (Seconds() - start) * 1e9 / controlBatch;
            start = Seconds();
            for (long i = 0; i < systemBatch; ++i)
                sink = sink + SystemRoundTrip(numbers[k], picture);
            system += (Seconds() - start) * 1e9 / systemBatch;
        }
        figures.control.push_back(control / TextNumbers.size());
        figures.system.push_back(system / TextNumbers.size());
    }
    SysFreeString(picture);
    return figures;
}

// --- The table ---------------------------------------------------------------

struct Options {
    // A first load's time varies by a quarter from one fresh process to the
    // next on a busy machine: the median needs more rounds than the others.
    int loadRounds = 11;
    int memoryRounds = 3;
    int controls = 1000;
    int textRounds = 7;
    int windowCostItems = 300;
};

// Each round's values of both kinds, in the order the rounds ran.
struct Rounds {
    std::vector<Values> control, plain;

    static std::vector<double> Of(const std::vector<Values>& rounds, const char* name) {
        std::vector<double> values;
        for (const Values& round : rounds)
            if (const auto it = round.find(name); it != round.end())
                values.push_back(it->second);
        return values;
    }
    std::vector<double> Control(const char* name) const { return Of(control, name); }
    std::vector<double> Plain(const char* name) const { return Of(plain, name); }
    // Control over plain, round by round (rounds where both have it).
    std::vector<double> Ratio(const char* name) const {
        std::vector<double> ratios;
        for (std::size_t r = 0; r < control.size() && r < plain.size(); ++r) {
            const auto c = control[r].find(name), p = plain[r].find(name);
            if (c != control[r].end() && p != plain[r].end())
                ratios.push_back(c->second / p->second);
        }
        return ratios;
    }
    // A kind's median of every value whose name starts with `prefix`.
    static std::map<std::string, double> Medians(const std::vector<Values>& rounds,
                                                 const std::string& prefix) {
        std::map<std::string, double> medians;
        for (const Values& round : rounds)
            for (const auto& [name, value] : round)
                if (name.rfind(prefix, 0) == 0 && !medians.count(name))
                    medians[name] = MedianOf(Of(rounds, name.c_str()));
        return medians;
    }
};

std::string List(const std::vector<double>& values, const char* format, double scale = 1) {
    std::string text;
    char item[32];
    for (double v : values) {
        std::snprintf(item, sizeof item, format, v * scale);
        text += (text.empty() ? "" : " ") + std::string(item);
    }
    return text;
}

class Table {
public:
    void Row(const char* name, const std::string& control, const std::string& reference,
             const std::string& ratio, const char* target, int met) {
        m_Rows.push_back({name, control, reference, ratio, target,
                          met < 0 ? "-"
                          : met   ? "met"
                                  : "NOT MET"});
        if (met == 0)
            ++m_Missed;
    }
    void Note(const std::string& text) { m_Notes.push_back(text); }
    void Print(const char* title) const {
        std::printf("\n%s\n", title);
        std::printf("  %-44s %13s %13s %7s %-10s %s\n", "row", "Quillomet", "reference", "ratio",
                    "target", "met");
        for (const auto& r : m_Rows)
            std::printf("  %-44s %13s %13s %7s %-10s %s\n", r[0].c_str(), r[1].c_str(),
                        r[2].c_str(), r[3].c_str(), r[4].c_str(), r[5].c_str());
        for (const auto& note : m_Notes)
            std::printf("  %s\n", note.c_str());
        std::printf("  targets missed: %d\n", m_Missed);
        std::fflush(stdout);
    }

private:
    std::vector<std::array<std::string, 6>> m_Rows;
    std::vector<std::string> m_Notes;
    int m_Missed = 0;
};

std::string Format(const char* format, double value) {
    if (std::isnan(value))
        return "n/a";
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int Met(double value, double target) {
    return std::isnan(value) ? 0 : value <= target + 1e-9;
}

// "name a | b, ..." for the values whose names start with `prefix`, the
// prefix and `suffix` taken off the names.
std::string Breakdown(const Rounds& rounds, const std::string& prefix, const std::string& suffix,
                      const char* format, double scale) {
    const auto control = Rounds::Medians(rounds.control, prefix);
    const auto plain = Rounds::Medians(rounds.plain, prefix);
    std::map<std::string, bool> names;
    for (const auto& entry : control)
        names[entry.first] = true;
    for (const auto& entry : plain)
        names[entry.first] = true;
    std::string text;
    for (const auto& entry : names) {
        const std::string& name = entry.first;
        if (name == prefix + "all")
            continue;
        std::string label = name.substr(prefix.size());
        if (label.size() > suffix.size() &&
            label.compare(label.size() - suffix.size(), suffix.size(), suffix) == 0)
            label.resize(label.size() - suffix.size());
        const auto c = control.find(name), p = plain.find(name);
        text += (text.empty() ? "" : ", ") + label + " " +
                Format(format, c == control.end() ? 0 : c->second * scale) + " | " +
                Format(format, p == plain.end() ? 0 : p->second * scale);
    }
    return text;
}

int RunTable(const std::string& ocx, const Options& options) {
    const std::wstring ocxPath = FullPath(ocx);
    const std::wstring self = ProgramPath();
    bool ok = true;
    Table table;

    // The text round trip first, while nothing else has run in this process.
    const TextFigures text = MeasureText(options.textRounds);
    ok = ok && text.ok;

    // Load: the kinds take turns, each round in fresh processes; then the
    // control again with the system libraries it imports loaded first.
    Rounds load;
    std::vector<Values> loadImportsLoaded;
    for (int r = 0; r < options.loadRounds; ++r) {
        const auto run = [&](const char* kind) {
            const ChildResult child =
                RunChild(self, L"--load " + Widen(kind) + L" " + Quoted(ocxPath));
            ok = ok && child.ok;
            return child.values;
        };
        Values c, p;
        if (r % 2) {
            p = run("plain");
            c = run("control");
        } else {
            c = run("control");
            p = run("plain");
        }
        load.control.push_back(c);
        load.plain.push_back(p);
        const ChildResult warm =
            RunChild(self, L"--load control " + Quoted(ocxPath) + L" --imports-loaded");
        ok = ok && warm.ok;
        loadImportsLoaded.push_back(warm.values);
    }

    // Memory: likewise, N placed in each process.
    Rounds memory;
    LARGE_INTEGER stamp;
    QueryPerformanceCounter(&stamp);
    for (int r = 0; r < options.memoryRounds; ++r) {
        const auto run = [&](const char* kind) {
            const std::wstring token = L"cost-table-" + std::to_wstring(stamp.QuadPart) + L"-" +
                                       std::to_wstring(r) + L"-" + Widen(kind);
            const ChildResult child =
                RunChild(self, L"--memory " + Widen(kind) + L" " + Quoted(ocxPath) + L" " +
                                   std::to_wstring(options.controls) + L" " + token);
            ok = ok && child.ok;
            return child.values;
        };
        memory.control.push_back(run("control"));
        memory.plain.push_back(run("plain"));
    }

    // window_cost's rows, from its own run.
    const ChildResult cost =
        RunChild(BesideProgram(L"window_cost.exe"),
                 Quoted(ocxPath) + L" " + std::to_wstring(options.windowCostItems) + L" --rows");
    ok = ok && cost.ok;
    const auto costValue = [&](const char* name) {
        const auto it = cost.values.find(name);
        return it == cost.values.end() ? NAN : it->second;
    };

    const auto ms = [](const std::vector<double>& us) { return MedianOf(us) / 1e3; };
    const double loadRatio = MedianOf(load.Ratio("placed_us"));
    table.Row("load: library to first placed, ms", Format("%.2f", ms(load.Control("placed_us"))),
              Format("%.2f", ms(load.Plain("placed_us"))), Format("%.2f", loadRatio), "<= 1.5",
              Met(loadRatio, 1.5));
    table.Row("  ... and painted, ms", Format("%.2f", ms(load.Control("painted_us"))),
              Format("%.2f", ms(load.Plain("painted_us"))),
              Format("%.2f", MedianOf(load.Ratio("painted_us"))), "-", -1);
    table.Row("  ... its system imports loaded before, ms",
              Format("%.2f", ms(Rounds::Of(loadImportsLoaded, "placed_us"))),
              Format("%.2f", ms(load.Plain("placed_us"))),
              Format("%.2f", MedianOf(Rounds::Of(loadImportsLoaded, "placed_us")) /
                                 MedianOf(load.Plain("placed_us"))),
              "-", -1);
    const double bytesRatio = MedianOf(memory.Ratio("bytes"));
    table.Row("memory: resident bytes per control",
              Format("%.0f", MedianOf(memory.Control("bytes"))),
              Format("%.0f", MedianOf(memory.Plain("bytes"))), Format("%.2f", bytesRatio), "<= 2.0",
              Met(bytesRatio, 2.0));
    table.Row("  ... of them heap blocks", Format("%.0f", MedianOf(memory.Control("heap"))),
              Format("%.0f", MedianOf(memory.Plain("heap"))),
              Format("%.2f", MedianOf(memory.Ratio("heap"))), "-", -1);
    const double windowsRatio = MedianOf(memory.Ratio("windows"));
    table.Row("memory: windows per control", Format("%.2f", MedianOf(memory.Control("windows"))),
              Format("%.2f", MedianOf(memory.Plain("windows"))), Format("%.2f", windowsRatio),
              "<= 2.0", Met(windowsRatio, 2.0));
    // The EDITs' own objects (Wine's, the plain field has them too) are not
    // the control's: judged is what it holds beyond them.
    const double gdiControl = MedianOf(memory.Control("gdi_all"));
    const double gdiPlain = MedianOf(memory.Plain("gdi_all"));
    table.Row("memory: GDI objects per control", Format("%.2f", gdiControl),
              Format("%.2f", gdiPlain), "", "-", -1);
    table.Row("  ... beyond the plain field's", Format("%.2f", gdiControl - gdiPlain), "", "",
              "<= 1", Met(gdiControl - gdiPlain, 1.0));
    table.Row("  ... made by the library itself",
              Format("%.2f", MedianOf(memory.Control("library_gdi"))), "", "", "-", -1);
    const double controlNs = MedianOf(text.control), systemNs = MedianOf(text.system);
    table.Row("text: round trip per number, ns", Format("%.0f", controlNs),
              Format("%.0f", systemNs), Format("%.2f", controlNs / systemNs), "-", -1);
    table.Row("windows: control placed, no spinner, us", Format("%.1f", costValue("control_us")),
              Format("%.1f", costValue("edit_us")), Format("%.2f", costValue("control_ratio")),
              "<= 2.0", Met(costValue("control_ratio"), 2.0));
    table.Row("windows: control placed, with spinner, us", Format("%.1f", costValue("spinner_us")),
              Format("%.1f", costValue("edit_us")), Format("%.2f", costValue("spinner_ratio")),
              "<= 3.0", Met(costValue("spinner_ratio"), 3.0));
    table.Row("draw: a control's picture into a memory DC, us",
              Format("%.2f", costValue("draw_us")), Format("%.2f", costValue("draw_reference_us")),
              Format("%.2f", costValue("draw_ratio")), "<= 2.0", Met(costValue("draw_ratio"), 2.0));
    table.Row("windows: parent window holding an EDIT, us", "",
              Format("%.1f", costValue("reference_us")),
              Format("%.2f", costValue("reference_ratio")), "-", -1);

    table.Note("references: plain_entry.dll (load, memory), oleaut32's VarFormat + VarR8FromStr "
               "(text), a bare EDIT (windows), a sunken edge and DrawText (draw)");
    table.Note("load steps, ms (Quillomet | plain): " +
               Breakdown(load, "step_", "_us", "%.2f", 1e-3));
    table.Note("load steps, its system imports loaded before, ms (Quillomet | plain): " +
               Breakdown(Rounds{loadImportsLoaded, load.plain}, "step_", "_us", "%.2f", 1e-3));
    table.Note(
        "load rounds, ms (Quillomet | plain): " + List(load.Control("placed_us"), "%.1f", 1e-3) +
        " | " + List(load.Plain("placed_us"), "%.1f", 1e-3));
    table.Note("memory rounds, bytes per control (Quillomet | plain): " +
               List(memory.Control("bytes"), "%.0f") + " | " + List(memory.Plain("bytes"), "%.0f"));
    table.Note("GDI objects per control by kind (Quillomet | plain): " +
               Breakdown(memory, "gdi_", "", "%.2f", 1));
    table.Note("text rounds, ns (Quillomet | oleaut32): " + List(text.control, "%.0f") + " | " +
               List(text.system, "%.0f"));
    table.Note("ratios are medians of the rounds' own ratios (the kinds take turns round by "
               "round)");
    table.Note("resident bytes: VmRSS of the process's own /proc entry; GDI objects: every "
               "non-stock object in the process's handle table");

    char title[512];
    std::snprintf(title, sizeof title,
                  "Quillomet.ocx, %d-bit: medians of %d load, %d memory (%d controls each) and "
                  "%d text rounds; window_cost N = %d",
                  static_cast<int>(sizeof(void*) * 8), options.loadRounds, options.memoryRounds,
                  options.controls, options.textRounds, options.windowCostItems);
    table.Print(title);
    if (!ok)
        std::printf("  SOME MEASUREMENTS FAILED: see the messages above\n");
    std::fflush(stdout);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--load") == 0 && IsKind(argv[2]))
        return MeasureLoad(KindNamed(argv[2], argv[3]),
                           argc >= 5 && std::strcmp(argv[4], "--imports-loaded") == 0);
    if (argc >= 6 && std::strcmp(argv[1], "--memory") == 0 && IsKind(argv[2]))
        return MeasureMemory(KindNamed(argv[2], argv[3]), std::atoi(argv[4]), argv[5]);
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: cost_table PATH-TO-Quillomet.ocx [--rounds R] "
                             "[--memory-rounds R] [--controls N]\n");
        return 2;
    }
    Options options;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0)
            options.loadRounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--memory-rounds") == 0)
            options.memoryRounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--controls") == 0)
            options.controls = std::max(1, std::atoi(argv[i + 1]));
        else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    return RunTable(argv[1], options);
}
