#include "Cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace reader {

namespace {

const char Replacement[] = "\xEF\xBF\xBD";

#ifdef _WIN32
// One character through the system's own cp932 table.
bool DecodeChar(const char* bytes, size_t length, std::string& out)
{
    wchar_t wide[2];
    const int count = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length), wide, 2);
    if (count <= 0) return false;
    char utf8[8];
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, count, utf8, sizeof(utf8), nullptr, nullptr);
    if (size <= 0) return false;
    out.append(utf8, static_cast<size_t>(size));
    return true;
}
#else
class TConverter {
public:
    TConverter() : Handle(iconv_open("UTF-8", "CP932")) {}
    ~TConverter()
    {
        if (Handle != reinterpret_cast<iconv_t>(-1)) iconv_close(Handle);
    }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    bool DecodeChar(const char* bytes, size_t length, std::string& out)
    {
        if (Handle == reinterpret_cast<iconv_t>(-1)) return false;
        char utf8[8];
        char* in = const_cast<char*>(bytes);
        char* to = utf8;
        size_t left = length, room = sizeof(utf8);
        iconv(Handle, nullptr, nullptr, nullptr, nullptr);
        if (iconv(Handle, &in, &left, &to, &room) == static_cast<size_t>(-1) || left != 0) return false;
        out.append(utf8, sizeof(utf8) - room);
        return true;
    }

private:
    iconv_t Handle;
};

bool DecodeChar(const char* bytes, size_t length, std::string& out)
{
    thread_local TConverter converter;
    return converter.DecodeChar(bytes, length, out);
}
#endif

}  // namespace

size_t FirstInvalidCp932(std::string_view text)
{
    for (size_t at = 0; at < text.size();) {
        at += AsciiRun(text, at);
        if (at >= text.size()) break;
        const size_t length = Cp932CharLength(text, at);
        if (length == 0) return at;
        at += length;
    }
    return std::string::npos;
}

std::string Utf8(const std::string& cp932)
{
    std::string out;
    out.reserve(cp932.size() + cp932.size() / 2);
    for (size_t at = 0; at < cp932.size();) {
        // ASCII runs need no table.
        size_t run = at;
        while (run < cp932.size() && static_cast<unsigned char>(cp932[run]) < 0x80 && cp932[run] != 0) ++run;
        out.append(cp932, at, run - at);
        at = run;
        if (at >= cp932.size()) break;
        const size_t length = Cp932CharLength(cp932, at);
        if (length == 0 || !DecodeChar(cp932.data() + at, length, out)) {
            out += Replacement;
            at += 1;
            continue;
        }
        at += length;
    }
    return out;
}

}  // namespace reader
