// file_holder PATH EVENT PARENT: another program that holds the file at PATH open, as Excel holds
// the workbook it shows: for reading and writing by others, never for deleting. Once it holds
// the file it sets the named event EVENT; it ends when it is ended, or when the process whose
// identifier is PARENT has.

#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        return 2;
    }
    const HANDLE parent = ::OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(argv[3], nullptr, 10));
    const HANDLE file = ::CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE held = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (parent == nullptr || file == INVALID_HANDLE_VALUE || held == nullptr || !::SetEvent(held)) {
        return 1;
    }
    ::WaitForSingleObject(parent, INFINITE);
}
