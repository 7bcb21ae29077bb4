#ifndef ENVCHECK_READER_OUTPUT_H
#define ENVCHECK_READER_OUTPUT_H

#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "Load.h"

namespace reader {

// The version of the JSON's shape (reader/schema/report.schema.json); a new one when a field changes or goes.
constexpr int JsonSchemaVersion = 1;

const char* StatusName(Status status);
// One line of JSON; a text that is no valid UTF-8 has U+FFFD where it fails.
std::string JsonText(const nlohmann::json& value);
// One line of JSON (UTF-8) for a report: its facts, findings, problems and every section.
std::string JsonLine(const Loaded& loaded);
// A screen for support: machine, OS, GPU, findings and problems.
void WriteSummary(std::ostream& out, const Loaded& loaded);
// One change from a player's report to the next: a value changed, or a device,
// drive, service, process or crash that only one of the two has. Texts are UTF-8.
struct Change {
    enum Type { Changed, Added, Removed };
    Type Kind;
    std::string What, From, To;  // From empty when Added, To when Removed
};
std::vector<Change> DiffOf(const Loaded& older, const Loaded& newer);
// What changed from one report of a player to the next; false when nothing did.
bool WriteDiff(std::ostream& out, const Loaded& older, const Loaded& newer);
// "file:line: message" for each problem, as a compiler says it.
void WriteProblems(std::ostream& out, const Loaded& loaded);

}  // namespace reader

#endif
