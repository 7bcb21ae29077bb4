#include "File.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include "Parser.h"

namespace reader {

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& utf8)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], size);
    return wide;
}

}  // namespace

bool ReadReport(const std::string& path, std::string& bytes, std::string& why)
{
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = "cannot be opened";
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = false;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        why = "is not a regular file";
    } else if (!GetFileSizeEx(file, &size)) {
        why = "cannot be read";
    } else if (static_cast<unsigned long long>(size.QuadPart) > MaxReportBytes) {
        why = TooLarge(static_cast<unsigned long long>(size.QuadPart));
    } else {
        // One byte more than its size: Parse refuses a file that grew past a report's.
        bytes.assign(static_cast<size_t>(size.QuadPart) + 1, '\0');
        size_t got = 0;
        DWORD read = 0;
        while (got < bytes.size() &&
               (ok = ReadFile(file, &bytes[got], static_cast<DWORD>(bytes.size() - got), &read, nullptr) != 0) && read != 0)
            got += read;
        bytes.resize(got);
        if (!ok) why = "cannot be read";
    }
    CloseHandle(file);
    return ok;
}

#else

bool ReadReport(const std::string& path, std::string& bytes, std::string& why)
{
    // Not blocking: a pipe named on the command line opens at once, and is refused.
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) {
        why = std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    struct stat status {};
    bool ok = false;
    if (fstat(file, &status) != 0) {
        why = std::string("cannot be read: ") + std::strerror(errno);
    } else if (!S_ISREG(status.st_mode)) {
        why = S_ISDIR(status.st_mode) ? "is a folder" : "is not a regular file";
    } else if (static_cast<unsigned long long>(status.st_size) > MaxReportBytes) {
        why = TooLarge(static_cast<unsigned long long>(status.st_size));
    } else {
        bytes.assign(static_cast<size_t>(status.st_size) + 1, '\0');
        size_t got = 0;
        ok = true;
        while (got < bytes.size()) {
            const ssize_t read = ::read(file, &bytes[got], bytes.size() - got);
            if (read < 0 && errno == EINTR) continue;
            if (read <= 0) {
                ok = read == 0;
                break;
            }
            got += static_cast<size_t>(read);
        }
        bytes.resize(got);
        if (!ok) why = std::string("cannot be read: ") + std::strerror(errno);
    }
    close(file);
    return ok;
}

#endif

}  // namespace reader
