#include "info/BaseInfo.h"


#include "info/OsVersion.h"
#include "view/CustomEdit.h"

TBaseInfo::TBaseInfo(TVersionApi& versionApi)
{
    if (!OsVersionLoaded) OsVersionLoaded = LoadOsVersion(versionApi);
}

TBaseInfo::~TBaseInfo() = default;

void TBaseInfo::AddLine(const boost::format& line) { Lines.push_back(line.str()); }

void TBaseInfo::ShowLines(TCustomEdit& view, const std::atomic<bool>* stop)
{
    for (std::string& element : Lines) {
        if (stop != nullptr && *stop) break;
        view.Append(element);
    }
    view.Refresh();
}

void TBaseInfo::RemoveCarriageReturns()
{
    for (std::string& element : Lines) EraseCarriageReturns(element);
}

void TBaseInfo::WriteLines(std::ostream& file)
{
    for (const std::string& element : Lines) file.write(element.data(), static_cast<std::streamsize>(element.size()));
}
