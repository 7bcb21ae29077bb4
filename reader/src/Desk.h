#ifndef ENVCHECK_READER_DESK_H
#define ENVCHECK_READER_DESK_H

#include <string>

namespace reader {

// The support desk: the reports database as web pages and JSON, served by the reader itself.
struct DeskOptions {
    std::string Database;
    std::string Listen = "127.0.0.1:8080";  // host:port; port 0 takes a free one
    std::string TokenFile;                  // empty: none on loopback, a new one printed elsewhere
    long long KeepDays = 0;                 // 0: reports are kept until deleted
};

// Serves until SIGINT or SIGTERM; the exit status.
int Serve(const DeskOptions& options);

}  // namespace reader

#endif
