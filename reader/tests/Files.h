#ifndef ENVCHECK_READER_TESTS_FILES_H
#define ENVCHECK_READER_TESTS_FILES_H

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
}

inline std::string Sample(const char* windows)
{
    return ReadAll(std::filesystem::path(ENVCHECK_READER_SAMPLES) / (std::string("matrix-") + windows + ".txt"));
}

// A laptop of two GPUs, written with every line the closing section has.
inline std::string Hybrid() { return ReadAll(std::filesystem::path(ENVCHECK_READER_SAMPLES) / "hybrid-laptop.txt"); }

// A sample report of reader/tests/reports by its name: gaming-pc-win11, win10-test-signing.
inline std::string Named(const std::string& name)
{
    return ReadAll(std::filesystem::path(ENVCHECK_READER_SAMPLES) / (name + ".txt"));
}

// A folder of its own for one test, empty at the start.
inline std::filesystem::path FreshFolder(const std::string& name)
{
    const auto folder = std::filesystem::temp_directory_path() / ("envcheck-read-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

#endif
