#include "Import.h"

namespace reader {

bool ImportFile(TDatabase& database, const std::vector<Loaded>& all, ImportCounts& counts, std::vector<Stored>* stored)
{
    ImportCounts file;
    std::vector<Stored> where;
    bool ok = database.Begin();
    for (size_t part = 0; ok && part < all.size(); ++part) {
        const Loaded& loaded = all[part];
        Stored row;
        row.State = loaded.Model.State;
        if (loaded.Model.State == Status::Unreadable) {
            ++file.Unreadable;
        } else if (database.Add(loaded)) {
            ++(loaded.Model.State == Status::Partial ? file.Partial : file.Added);
            row.Id = database.LastAdded();
            row.New = true;
        } else if (database.Error().empty()) {
            ++file.Known;
            row.Id = database.IdOf(loaded.Sha256);
        } else {
            ok = false;
        }
        where.push_back(row);
    }
    ok = ok && database.Commit();
    if (!ok) {
        database.Rollback();
        return false;
    }
    counts.Added += file.Added;
    counts.Partial += file.Partial;
    counts.Known += file.Known;
    counts.Unreadable += file.Unreadable;
    if (stored != nullptr) stored->insert(stored->end(), where.begin(), where.end());
    return true;
}

}  // namespace reader
