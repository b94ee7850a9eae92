#pragma once
#include <functional>
#include <istream>
#include <string>
#include <vector>

struct ManifestEntry {
    std::string archive;
    std::string name;
    std::string kind;
    int width = 0;
    int height = 0;
    std::vector<std::string> params;
};

struct Manifest {
    std::vector<ManifestEntry> entries;
};

// Reads the tab-separated manifest; lines starting with '#' and blank lines are
// skipped. Returns false with a message on a malformed line.
bool LoadManifest(const std::string& path, Manifest& out, std::string& error);

// Calls `line` with the tab-separated fields and the 1-based number of each
// line of `in`, skipping blank lines and lines starting with '#'. Stops and
// returns false as soon as `line` does.
bool ForEachTabLine(std::istream& in,
                    const std::function<bool(const std::vector<std::string>& fields, int number)>& line);
