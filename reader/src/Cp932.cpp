#include "Cp932.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
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
    TConverter(const char* to = "UTF-8", const char* from = "CP932") : Handle(iconv_open(to, from)) {}
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

    // The whole text at once: what cannot be converted is one '?' for its character.
    std::string Encode(std::string_view text, size_t& lost)
    {
        std::string out;
        if (Handle == reinterpret_cast<iconv_t>(-1)) return out;
        iconv(Handle, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        size_t left = text.size();
        char buffer[4096];
        while (left > 0) {
            char* to = buffer;
            size_t room = sizeof(buffer);
            const size_t result = iconv(Handle, &in, &left, &to, &room);
            out.append(buffer, sizeof(buffer) - room);
            if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
            // An unknown character, or a byte that starts none: skip that character.
            size_t skip = 1;
            while (skip < left && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
            in += skip;
            left -= skip;
            out += '?';
            ++lost;
            iconv(Handle, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
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

std::string Cp932Of(std::string_view utf8, size_t& lost)
{
#ifdef _WIN32
    std::string out;
    if (utf8.empty()) return out;
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wideSize <= 0) return out;
    std::wstring wide(static_cast<size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], wideSize);
    // A character beyond the BMP is one character lost, not its two halves.
    std::wstring single;
    single.reserve(wide.size());
    for (size_t n = 0; n < wide.size(); ++n) {
        const bool pair = wide[n] >= 0xD800 && wide[n] <= 0xDBFF && n + 1 < wide.size() && wide[n + 1] >= 0xDC00 &&
                          wide[n + 1] <= 0xDFFF;
        single += pair ? L'\xFFFD' : wide[n];
        n += pair ? 1 : 0;
    }
    wide.swap(single);
    BOOL usedDefault = FALSE;
    const int units = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr, 0, "?", &usedDefault);
    if (size <= 0) return out;
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), units, &out[0], size, "?", &usedDefault);
    // U+FFFD stands for a byte that was no UTF-8; both become '?'.
    const auto marks = [](std::string_view text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '?')); };
    if (usedDefault) lost += marks(out) - std::min(marks(out), marks(utf8));
    return out;
#else
    thread_local TConverter encoder("CP932", "UTF-8");
    return encoder.Encode(utf8, lost);
#endif
}

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

size_t Utf8CharLength(std::string_view text, size_t at)
{
    const unsigned char c = static_cast<unsigned char>(text[at]);
    const size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length < 2) return length;
    if (at + length > text.size()) return 0;
    for (size_t n = 1; n < length; ++n)
        if ((static_cast<unsigned char>(text[at + n]) & 0xC0) != 0x80) return 0;
    const unsigned char second = static_cast<unsigned char>(text[at + 1]);
    if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second >= 0xA0) || (c == 0xF0 && second < 0x90) ||
        (c == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

}  // namespace reader
