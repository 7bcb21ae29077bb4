#ifndef ENVCHECK_APP_COLLECTORS_H
#define ENVCHECK_APP_COLLECTORS_H

#include <memory>
#include <vector>

#include "info/BaseInfo.h"
#include "info/OsVersion.h"

// The seven collectors of one run in report order, and the version record
// that run tells them, read once as they are made: for the dialog and the
// headless run alike.
class TCollectors {
public:
    explicit TCollectors(TVersionApi& versionApi = Win32VersionApi());

    const OsVersionRecord Version;
    const std::vector<TBaseInfo*>& List() const { return Pointers; }

private:
    std::vector<std::unique_ptr<TBaseInfo>> Owned;
    std::vector<TBaseInfo*> Pointers;
};

#endif
