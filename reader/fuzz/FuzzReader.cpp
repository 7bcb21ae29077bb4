// A fuzz target for envcheck-read: any bytes are loaded (parse, facts,
// findings) and written as JSON, as a summary and as diffs (also against the
// report ENVCHECK_FUZZ_SEED names: set it to repeat a run), both UTF-8 with no
// control character but '\n'; the readable reports go into a database, and are
// there already the second time; and a file no larger than the largest report
// read gives its own bytes back when its model is rendered. tools/fuzz-reader
// builds and runs it with libFuzzer or, where there is none, with the
// fixed-seed random mutator below (ENVCHECK_FUZZ_STANDALONE).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "Database.h"
#include "Cp932.h"
#include "Load.h"
#include "Normalise.h"
#include "Output.h"
#include "Parser.h"
#include "Render.h"

namespace {

// Valid UTF-8 with no byte below a space but '\n', nor DEL, nor a C1 control.
void CheckText(const char* what, const std::string& text, size_t size)
{
    for (size_t at = 0, length = 1; at < text.size(); at += length) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        length = reader::Utf8CharLength(text, at);
        const bool c1 = length == 2 && c == 0xc2 && static_cast<unsigned char>(text[at + 1]) < 0xa0;
        if (length == 0 || (c < 0x20 && c != '\n') || c == 0x7f || c1) {
            std::fprintf(stderr, "fuzz: %s of %zu bytes has 0x%02x at %zu, a control character or not UTF-8\n", what,
                         size, c, at);
            std::abort();
        }
    }
}

const reader::Loaded& Seed()
{
    const char* path = std::getenv("ENVCHECK_FUZZ_SEED");
    static const reader::Loaded seed = [&] {
        std::vector<reader::Loaded> all = reader::LoadFile(path != nullptr ? path : "");
        return std::move(all.front());
    }();
    return seed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<reader::Loaded> all = reader::LoadAll("fuzz.txt", bytes);
    for (const reader::Loaded& loaded : all)
        if (reader::JsonLine(loaded).empty()) {
            std::fprintf(stderr, "fuzz: no JSON for %zu bytes\n", size);
            std::abort();
        }
    std::ostringstream summary, diff;
    for (const reader::Loaded& loaded : all) {
        reader::WriteSummary(summary, loaded);
        reader::WriteProblems(summary, loaded);
    }
    reader::WriteDiff(diff, all.front(), all.back());
    reader::WriteDiff(diff, Seed(), all.front());
    reader::WriteDiff(diff, all.front(), Seed());
    CheckText("the summary", summary.str(), size);
    CheckText("the diff", diff.str(), size);
    // Readable reports only, as --db adds them; two of the same text in one file are one row.
    reader::TDatabase db(":memory:");
    if (!db.IsOpen() || !db.Begin()) {
        std::fprintf(stderr, "fuzz: no database: %s\n", db.Error().c_str());
        std::abort();
    }
    std::set<std::string> stored;
    for (int pass = 1; pass <= 2; ++pass)
        for (const reader::Loaded& loaded : all) {
            if (loaded.Model.State == reader::Status::Unreadable) continue;
            const bool fresh = stored.insert(loaded.Sha256).second;
            if (db.Add(loaded) != fresh || !db.Error().empty()) {
                std::fprintf(stderr, "fuzz: report %zu of %zu bytes, added %s: %s\n", loaded.Part, size,
                             pass == 1 ? "once" : "again", db.Error().empty() ? (fresh ? "there already" : "added again")
                                                                              : db.Error().c_str());
                std::abort();
            }
        }
    if (!db.Commit()) {
        std::fprintf(stderr, "fuzz: the database of %zu bytes is not committed: %s\n", size, db.Error().c_str());
        std::abort();
    }
    if (size > reader::MaxReportBytes) return 0;
    // The reports of a file render to its text as read; the parser alone gives the bytes back.
    std::string parts;
    for (const reader::Loaded& loaded : all) parts += reader::Render(loaded.Model);
    if (parts != reader::Normalise(bytes).Of(bytes)) {
        std::fprintf(stderr, "fuzz: the reports of %zu bytes do not render to the file as read\n", size);
        std::abort();
    }
    const std::string rendered = reader::Render(reader::Parse(bytes));
    if (rendered != bytes) {
        size_t at = 0;
        while (at < rendered.size() && at < size && rendered[at] == bytes[at]) ++at;
        std::fprintf(stderr, "fuzz: Render(Parse(x)) != x: %zu bytes, %zu rendered, first difference at %zu\n", size,
                     rendered.size(), at);
        std::abort();
    }
    return 0;
}

#ifdef ENVCHECK_FUZZ_STANDALONE
// usage: FuzzReader SECONDS CRASH_FILE SEED_FILE...
// Mutants of the seeds, from a fixed seed, until SECONDS have passed; the
// input a sanitizer or an abort stops at is written to CRASH_FILE.
#include <sanitizer/common_interface_defs.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

std::string Current;
const char* CrashFile = "crash-standalone";

void SaveCurrent()
{
    if (FILE* file = std::fopen(CrashFile, "wb")) {
        std::fwrite(Current.data(), 1, Current.size(), file);
        std::fclose(file);
        std::fprintf(stderr, "fuzz: the input (%zu bytes) is in %s\n", Current.size(), CrashFile);
    }
}

void Run(const std::string& input)
{
    Current = input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(Current.data()), Current.size());
}

// Bytes a report's shape turns on: borders, separators, line ends, cp932 lead and trail bytes.
const char Tokens[] = " |+-=:\t\r\n0123456789\x81\x82\x83\x9f\xe0\xfc\x40\x5c\x7f\x80\xa0\xff";

void Mutate(std::string& text, const std::vector<std::string>& seeds, std::mt19937_64& random)
{
    auto below = [&](size_t n) { return n == 0 ? 0 : static_cast<size_t>(random() % n); };
    const size_t size = text.size();
    const size_t at = below(size + 1), length = 1 + below(std::min<size_t>(64, size + 1));
    switch (below(8)) {
    case 0: if (at < size) text[at] = static_cast<char>(text[at] ^ (1 << below(8))); break;
    case 1: if (at < size) text[at] = Tokens[below(sizeof Tokens - 1)]; break;
    case 2: text.insert(at, 1 + below(4), Tokens[below(sizeof Tokens - 1)]); break;
    case 3: text.erase(at, length); break;
    case 4: text.insert(below(size + 1), text.substr(at, length)); break;  // a piece again elsewhere
    case 5: {  // a piece of another seed
        const std::string& other = seeds[below(seeds.size())];
        const size_t from = below(other.size() + 1);
        text.insert(at, other.substr(from, length * 4));
        break;
    }
    case 6: text.resize(at); break;
    default: {  // a line's end moved, or a whole line dropped
        const size_t end = text.find('\n', at);
        if (end != std::string::npos) text.erase(end, below(2) == 0 ? 1 : std::min(length, text.size() - end));
        break;
    }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SECONDS CRASH_FILE SEED_FILE...\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    CrashFile = argv[2];
    __sanitizer_set_death_callback(SaveCurrent);
    std::vector<std::string> seeds;
    for (int n = 3; n < argc; ++n) {
        std::ifstream file(argv[n], std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        Run(seeds.back());
    }
    std::mt19937_64 random(20240601);
    const auto start = std::chrono::steady_clock::now();
    size_t runs = 0;
    std::string last = seeds[0];
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
        // Half the time the last mutant is mutated further, so that changes add up.
        std::string text = random() % 2 == 0 ? last : seeds[random() % seeds.size()];
        for (size_t count = 1 + random() % 8; count > 0; --count) Mutate(text, seeds, random);
        Run(text);
        last = text.size() > (1u << 20) ? seeds[0] : text;
        ++runs;
    }
    std::fprintf(stderr, "fuzz: %zu inputs in %.0f seconds, nothing found\n", runs, seconds);
    return 0;
}
#endif
