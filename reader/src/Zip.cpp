#include "Zip.h"

#include <zip.h>

#include <memory>

#include "Text.h"

namespace reader {

namespace {

// A name that stays inside the archive's folder: relative, with no ".." part.
bool StaysInside(const std::string& name)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

// More entries than this are more than any request may carry.
const size_t MaxEntries = 10000;

unsigned Little(const std::string& bytes, size_t at, int size)
{
    unsigned value = 0;
    for (int n = size - 1; n >= 0; --n) value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(n)]);
    return value;
}

// The number of entries of the zip's directory, walked here before libzip opens it
// (libzip reads as many as it finds, past what the end record says, and tries every
// end record it meets): -1 when the directory is not plainly one, -2 when it has more
// than MaxEntries. Plainly one: a single end record, no zip64, the directory ending where
// the record starts and holding as many entries as it says.
long long EntriesOf(const std::string& bytes)
{
    const size_t record = 22, comment = 65535;
    if (bytes.size() < record) return -1;
    const size_t first = bytes.size() > record + comment ? bytes.size() - record - comment : 0;
    size_t end = std::string::npos;
    for (size_t at = bytes.size() - record + 1; at-- > first;) {
        if (bytes.compare(at, 4, "PK\x05\x06") != 0) continue;
        if (end != std::string::npos) return -1;  // a second one, in a comment
        end = at;
    }
    if (end == std::string::npos || (end >= 20 && bytes.compare(end - 20, 4, "PK\x06\x07") == 0)) return -1;
    const unsigned total = Little(bytes, end + 10, 2), size = Little(bytes, end + 12, 4), offset = Little(bytes, end + 16, 4);
    if (total == 0xFFFF || static_cast<unsigned long long>(offset) + size != end) return -1;
    long long count = 0;
    for (size_t at = offset; at < end; ++count) {
        if (count == static_cast<long long>(MaxEntries)) return -2;
        if (end - at < 46 || bytes.compare(at, 4, "PK\x01\x02") != 0) return -1;
        at += 46 + Little(bytes, at + 28, 2) + Little(bytes, at + 30, 2) + Little(bytes, at + 32, 2);
    }
    return count == total ? count : -1;
}

bool IsText(const std::string& name) { return name.size() > 4 && EndsWith(LowerAscii(name), ".txt"); }

}  // namespace

bool IsZip(const std::string& bytes)
{
    return bytes.compare(0, 4, "PK\x03\x04") == 0 || bytes.compare(0, 4, "PK\x05\x06") == 0;
}

void ReadZip(const std::string& bytes, size_t fileLimit, size_t& budget, size_t maxFiles, std::string& error,
             bool& limited, const std::function<void(ZipEntry&)>& each)
{
    limited = false;
    // libzip reads the whole directory when it opens an archive: it is walked first,
    // so a million empty entries, or a thousand end records, cost next to nothing.
    const long long count = EntriesOf(bytes);
    if (count < 0) {
        limited = count == -2;
        error = limited ? "more than " + std::to_string(MaxEntries) + " entries: not read"
                        : "not a zip this desk reads (a damaged directory, or a zip64 archive)";
        return;
    }
    zip_error_t failure;
    zip_error_init(&failure);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &failure);
    zip_t* archive = source == nullptr ? nullptr : zip_open_from_source(source, ZIP_RDONLY, &failure);
    if (archive == nullptr) {
        error = std::string("not a zip that can be read (") + zip_error_strerror(&failure) + ")";
        if (source != nullptr) zip_source_free(source);
        zip_error_fini(&failure);
        return;
    }
    zip_error_fini(&failure);
    std::unique_ptr<zip_t, int (*)(zip_t*)> owner(archive, zip_close);  // frees the source too
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    size_t taken = 0;
    for (zip_int64_t index = 0; index < entries; ++index) {
        const char* raw = zip_get_name(archive, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_GUESS);
        ZipEntry entry{raw == nullptr ? "" : raw, "", "", false};
        if (!entry.Name.empty() && (entry.Name.back() == '/' || entry.Name.back() == '\\')) continue;  // a folder
        if (!IsText(entry.Name)) continue;
        if (taken++ == maxFiles || budget == 0) {
            entry.Error = taken > maxFiles ? "more than " + std::to_string(maxFiles) + " files: the rest were not read"
                                           : "the zip expands past the request's limit: the rest were not read";
            entry.Limit = true;
            each(entry);
            return;
        }
        if (!StaysInside(entry.Name)) {
            entry.Error = "a name that leaves its folder: not read";
            each(entry);
            continue;
        }
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
        if (file == nullptr) {
            entry.Error = std::string("cannot be read (") + zip_strerror(archive) + ")";
            each(entry);
            continue;
        }
        // Read as it expands, never more than the limits, whatever sizes the zip claims.
        char buffer[65536];
        for (;;) {
            const zip_int64_t got = zip_fread(file, buffer, sizeof(buffer));
            if (got < 0) {
                entry.Error = std::string("damaged (") + zip_file_strerror(file) + ")";
                break;
            }
            if (got == 0) break;
            const size_t size = static_cast<size_t>(got);
            if (entry.Bytes.size() + size > fileLimit) {
                entry.Error = "larger than " + std::to_string(fileLimit / 1048576) + " MiB: not read";
                entry.Limit = true;
                break;
            }
            if (size > budget) {
                entry.Error = "the zip expands past the request's limit: not read";
                entry.Limit = true;
                budget = 0;  // what follows is not read either
                break;
            }
            budget -= size;
            entry.Bytes.append(buffer, size);
        }
        zip_fclose(file);
        if (!entry.Error.empty()) entry.Bytes.clear();
        each(entry);
    }
}

}  // namespace reader
