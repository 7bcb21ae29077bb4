#ifndef ENVCHECK_READER_IMPORT_H
#define ENVCHECK_READER_IMPORT_H

#include <string>
#include <vector>

#include "Database.h"
#include "Load.h"

namespace reader {

struct ImportCounts {
    size_t Added = 0, Partial = 0, Known = 0, Unreadable = 0;
};

// Where one report of a file went: its row (new, or the copy already there), or -1 when unreadable.
struct Stored {
    long long Id = -1;
    bool New = false;
    Status State = Status::Read;
};

// Adds every report of one file, all in one transaction: what is stored stays
// stored, and another importer gets its turn between files. False (with the
// database's Error) when nothing of the file was stored; counts and stored
// then stay as they were.
bool ImportFile(TDatabase& database, const std::vector<Loaded>& all, ImportCounts& counts,
                std::vector<Stored>* stored = nullptr);

}  // namespace reader

#endif
