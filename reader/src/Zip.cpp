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

bool IsText(const std::string& name)
{
    return name.size() > 4 && LowerAscii(name.substr(name.size() - 4)) == ".txt";
}

}  // namespace

bool IsZip(const std::string& bytes)
{
    return bytes.compare(0, 4, "PK\x03\x04") == 0 || bytes.compare(0, 4, "PK\x05\x06") == 0;
}

std::vector<ZipEntry> ReadZip(const std::string& bytes, size_t fileLimit, size_t& budget, size_t maxFiles,
                              std::string& error)
{
    std::vector<ZipEntry> entries;
    zip_error_t failure;
    zip_error_init(&failure);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &failure);
    zip_t* archive = source == nullptr ? nullptr : zip_open_from_source(source, ZIP_RDONLY, &failure);
    if (archive == nullptr) {
        error = std::string("not a zip that can be read (") + zip_error_strerror(&failure) + ")";
        if (source != nullptr) zip_source_free(source);
        zip_error_fini(&failure);
        return entries;
    }
    zip_error_fini(&failure);
    std::unique_ptr<zip_t, int (*)(zip_t*)> owner(archive, zip_close);  // frees the source too
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        const char* raw = zip_get_name(archive, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_GUESS);
        const std::string name = raw == nullptr ? "" : raw;
        if (!name.empty() && (name.back() == '/' || name.back() == '\\')) continue;  // a folder
        if (!IsText(name)) continue;
        if (entries.size() == maxFiles) {
            entries.push_back({name, "", "more than " + std::to_string(maxFiles) + " files: the rest were not read"});
            break;
        }
        if (budget == 0) {
            entries.push_back({name, "", "the zip expands past the request's limit: the rest were not read"});
            break;
        }
        ZipEntry entry{name, "", ""};
        if (!StaysInside(name)) {
            entry.Error = "a name that leaves its folder: not read";
            entries.push_back(entry);
            continue;
        }
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
        if (file == nullptr) {
            entry.Error = std::string("cannot be read (") + zip_strerror(archive) + ")";
            entries.push_back(entry);
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
                break;
            }
            if (size > budget) {
                entry.Error = "the zip expands past the request's limit: not read";
                budget = 0;  // what follows is not read either
                break;
            }
            budget -= size;
            entry.Bytes.append(buffer, size);
        }
        zip_fclose(file);
        if (!entry.Error.empty()) entry.Bytes.clear();
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace reader
