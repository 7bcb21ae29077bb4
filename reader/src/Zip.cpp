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

// The number of entries the end of the zip's directory gives, or -1 when there is
// no such record, or it defers to zip64's (0xFFFF), which this reader does not read.
long long EntriesOf(const std::string& bytes)
{
    const size_t record = 22, comment = 65535;
    if (bytes.size() < record) return -1;
    const size_t first = bytes.size() > record + comment ? bytes.size() - record - comment : 0;
    for (size_t at = bytes.size() - record + 1; at-- > first;) {
        if (bytes.compare(at, 4, "PK\x05\x06") != 0) continue;
        const auto byte = [&](size_t n) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[at + n])); };
        const unsigned total = byte(10) | (byte(11) << 8);
        return total == 0xFFFF ? -1 : static_cast<long long>(total);
    }
    return -1;
}

bool IsText(const std::string& name)
{
    return name.size() > 4 && LowerAscii(name.substr(name.size() - 4)) == ".txt";
}

}  // namespace

bool IsZip(const std::string& bytes)
{
    return bytes.compare(0, 4, "PK\x03\x04") == 0 || bytes.compare(0, 4, "PK\x05\x06") == 0;
}

void ReadZip(const std::string& bytes, size_t fileLimit, size_t& budget, size_t maxFiles, std::string& error,
             const std::function<void(ZipEntry&)>& each)
{
    // libzip reads the whole central directory when it opens an archive: its count of
    // entries is looked at first, so a million empty entries cost nothing.
    const long long count = EntriesOf(bytes);
    if (count < 0) {
        error = "not a zip that can be read (no end of its directory, or a zip64 archive)";
        return;
    }
    if (count > static_cast<long long>(MaxEntries)) {
        error = "a zip of " + std::to_string(count) + " entries, more than " + std::to_string(MaxEntries) + ": not read";
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
