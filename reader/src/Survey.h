#ifndef ENVCHECK_READER_SURVEY_H
#define ENVCHECK_READER_SURVEY_H

#include <string>

#include "Facts.h"

namespace reader {

// The GPU a game gets, as the reports table names it: the closing section's first
// adapter that is not software, else Direct3D 9's, else the first DirectX display's.
// Vendor: "NVIDIA", "AMD", "Intel" or "Other"; both empty where the report names no GPU.
struct GameGpu {
    std::string Name, Vendor;
};
GameGpu GameGpuOf(const Facts& facts);

// The same choice over the adapters rows an older reader stored: sets reports.gpu and
// gpu_vendor of every report.
const std::string& GameGpuUpdate();

// The Windows release of a row of reports (the table's name or alias, or none) in SQL, as the survey
// counts it: "Windows 11" of the closing section's "Windows 11 Professional", else of the OS
// row's product ("Microsoft Windows XP" is "Windows XP").
std::string WindowsRelease(const std::string& reports);

// Counts the reports whose ids are ?1 to ?2 in the survey table, a row per month,
// dimension and value; what each dimension is is said here only, for a report as it
// is stored and for the rows an older reader stored alike.
const std::string& SurveyCount();

}  // namespace reader

#endif
