#include "image/RegularFile.h"

#include <windows.h>

#include <algorithm>

bool readRegularFile(const std::string& path, int64_t largestBytes, std::vector<unsigned char>& bytes)
{
    // A folder cannot be opened without backup semantics, so it fails here.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Pipes, consoles and devices such as NUL or COM1 are no disk files.
    LARGE_INTEGER size = {};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
              size.QuadPart >= 0 && size.QuadPart <= largestBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t got = 0;
        while (got < bytes.size()) {
            DWORD count = 0;
            const DWORD wanted = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1u << 30));
            if (!ReadFile(file, bytes.data() + got, wanted, &count, nullptr)) {
                ok = false;
                break;
            }
            if (count == 0) {
                break;
            }
            got += count;
        }
        bytes.resize(got);
    }
    CloseHandle(file);
    return ok;
}
