// reference: writes docs/reference.md, the developers' reference of the
// control, from what the build made and two hand-written inputs.
//
//   reference TYPELIB HEADER EXAMPLES PICTURES OUTPUT
//
// TYPELIB is read through oleaut32, so this runs on Windows (or Wine).
// Whatever disagrees between the inputs is reported, one line each, and
// nothing is written.
#include "reference/examples.h"
#include "reference/reference_writer.h"
#include "reference/type_library.h"
#include "reference/widl_header.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"

#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace quillomet;
using namespace quillomet::reference;

std::string ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw InputError(std::string("cannot read ") + path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Binary, so the lines end in "\n" on every system.
void WriteFile(const char* path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        throw InputError(std::string("cannot write ") + path);
}

int Report(const std::vector<std::string>& problems, const char* source) {
    for (const std::string& problem : problems)
        std::cerr << "reference: " << source << ": " << problem << '\n';
    return problems.empty() ? 0 : 1;
}

int Run(char** argv) {
    const Surface surface = ReadSurface(Utf8ToWide(argv[1]));
    const std::vector<CppMethod> methods =
        ReadInterfaceMethods(ReadFile(argv[2]), surface.interfaceName);
    std::vector<Example> examples;
    try {
        examples = ParseExamples(ReadFile(argv[3]));
    } catch (const InputError& error) {
        return Report({error.what()}, argv[3]);
    }
    const int status = Report(CompareWithLibrary(surface, methods), argv[2]) |
                       Report(CheckExamples(surface.members, examples), argv[3]);
    if (status != 0)
        return status;
    WriteFile(argv[5], WriteReference(surface, methods, examples, ReadFile(argv[4])));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: reference TYPELIB HEADER EXAMPLES PICTURES OUTPUT\n";
        return 2;
    }
    CoInitialize(nullptr);
    int status = 1;
    try {
        status = Run(argv);
    } catch (const com::HresultError& error) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(error.Hr()));
        std::cerr << "reference: " << error.what() << " (" << code << ")\n";
    } catch (const std::exception& error) {
        std::cerr << "reference: " << error.what() << '\n';
    }
    CoUninitialize();
    return status;
}
