// Stands in for the system-information tool: records that it ran by
// writing a file beside itself, then ends.
#include <windows.h>

int main() {
    wchar_t path[MAX_PATH + 8] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    lstrcatW(path, L".ran");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(file);
    return 0;
}
