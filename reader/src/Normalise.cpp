#include "Normalise.h"

#include <string_view>

#include "Cp932.h"

namespace reader {

namespace {

// True when the whole text is UTF-8 and has a character beyond ASCII: a
// report in cp932 has Japanese in its memory section, whose bytes are never UTF-8.
bool IsUtf8(std::string_view text)
{
    bool wide = false;
    for (size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const size_t length = Utf8CharLength(text, at);
        if (length == 0) return false;
        wide = true;
        at += length;
    }
    return wide;
}

void AppendUtf8(unsigned code, std::string& out)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-8 of UTF-16 text after its byte order mark; a lone surrogate or odd byte is U+FFFD.
std::string FromUtf16(std::string_view text, bool bigEndian)
{
    std::string out;
    out.reserve(text.size());
    auto unit = [&](size_t at) {
        const unsigned a = static_cast<unsigned char>(text[at]), b = static_cast<unsigned char>(text[at + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    size_t at = 0;
    for (; at + 1 < text.size(); at += 2) {
        const unsigned first = unit(at);
        if (first >= 0xD800 && first <= 0xDBFF && at + 3 < text.size()) {
            const unsigned second = unit(at + 2);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                AppendUtf8(0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00), out);
                at += 2;
                continue;
            }
        }
        AppendUtf8(first >= 0xD800 && first <= 0xDFFF ? 0xFFFD : first, out);
    }
    if (at < text.size()) AppendUtf8(0xFFFD, out);
    return out;
}

// The report's texts again in cp932 in `text`, when the file was saved in another encoding.
bool Reencoded(const std::string& bytes, std::string& text, std::vector<std::string>& notes)
{
    std::string utf8, as;
    const std::string_view view(bytes);
    if (view.substr(0, 3) == "\xEF\xBB\xBF") {
        utf8 = bytes.substr(3);
        as = "UTF-8 with a byte order mark";
    } else if (view.substr(0, 2) == "\xFF\xFE" || view.substr(0, 2) == "\xFE\xFF") {
        const bool big = view[0] == '\xFE';
        utf8 = FromUtf16(view.substr(2), big);
        as = big ? "UTF-16BE" : "UTF-16LE";
    } else if (IsUtf8(view)) {
        utf8 = bytes;
        as = "UTF-8";
    } else {
        return false;
    }
    size_t lost = 0;
    text = Cp932Of(utf8, lost);
    notes.push_back("the file was saved again as " + as + "; read as the cp932 envcheck wrote");
    if (lost != 0) notes.push_back(std::to_string(lost) + " characters have no cp932 form and read as '?'");
    return true;
}

// A heading that ends in a blank, which a mail or a web form strips (the
// environment's may end the row of a Windows 9x OS).
bool BlankEnded(std::string_view line)
{
    static const std::string_view headings[] = {"Hardware information:", "Memory information:",
                                                "Environment variables (partial list):", "Drive information:"};
    for (const std::string_view heading : headings)
        if (line.size() >= heading.size() && line.substr(line.size() - heading.size()) == heading) return true;
    return false;
}

}  // namespace

Normalised Normalise(const std::string& bytes)
{
    Normalised out;
    std::string reencoded;
    const bool encoded = Reencoded(bytes, reencoded, out.Notes);
    const std::string_view text = encoded ? reencoded : bytes;
    // Each line's end (LF, CRLF, or CR CR LF: a mail program's doubling), whether
    // every line is quoted, and the headings without their blank, in one pass.
    size_t lf = 0, crlf = 0, crcrlf = 0, restored = 0, count = 0;
    bool quoted = true;
    const auto each = [&](auto take) {
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
            size_t cut = end;
            while (cut > start && text[cut - 1] == '\r') --cut;
            take(text.substr(start, cut - start), end - cut);
        }
        if (start != text.size()) take(text.substr(start), std::string_view::npos);
        return start == text.size();
    };
    const bool finalEnd = each([&](std::string_view line, size_t returns) {
        if (returns != std::string_view::npos) (returns == 0 ? lf : returns == 1 ? crlf : crcrlf) += 1;
        quoted = quoted && !line.empty() && line[0] == '>';
        restored += BlankEnded(line) ? 1 : 0;
        ++count;
    });
    const bool mixed = crcrlf != 0 || (crlf != 0 && lf != 0);
    if (!encoded && !mixed && !(quoted && count != 0) && restored == 0) {
        return out;  // a clean file is read as it is: its bytes are its key
    }
    out.Clean = false;
    if (crcrlf != 0)
        out.Notes.push_back("its line ends were CR CR LF, as a mail program doubles them; read as LF");
    else if (mixed)
        out.Notes.push_back("its line ends were mixed (" + std::to_string(crlf) + " CRLF, " + std::to_string(lf) +
                            " LF); read as LF");
    // A quote mark on every line, as a mail reply puts it, perhaps more than once:
    // as many levels as the least quoted line has.
    size_t levels = quoted && count != 0 ? 16 : 0;
    if (levels != 0)
        each([&](std::string_view line, size_t) {
            size_t level = 0;
            for (; level < levels && !line.empty() && line[0] == '>'; ++level)
                line.remove_prefix(line.size() >= 2 && line[1] == ' ' ? 2 : 1);
            levels = level;
        });
    if (levels != 0)
        out.Notes.push_back(levels == 1 ? std::string("every line was quoted with '> '; read without the quotes")
                                        : "every line was quoted " + std::to_string(levels) +
                                              " times with '> '; read without the quotes");
    restored = 0;
    const std::string lineEnd = crlf != 0 && !mixed ? "\r\n" : "\n";
    out.Text.reserve(text.size() + 64);
    size_t written = 0;
    each([&](std::string_view line, size_t) {
        for (size_t level = 0; level < levels; ++level) line.remove_prefix(line.size() >= 2 && line[1] == ' ' ? 2 : 1);
        out.Text += line;
        if (BlankEnded(line)) {
            out.Text += ' ';
            ++restored;
        }
        if (++written < count || finalEnd) out.Text += lineEnd;
    });
    if (restored != 0) out.Notes.push_back("trailing blanks were stripped; read with the headings' own blanks");
    return out;
}

}  // namespace reader
