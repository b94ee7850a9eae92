#include "tools/sampledata/manifest.h"

#include <fstream>
#include <sstream>

bool ForEachTabLine(std::istream& in,
                    const std::function<bool(const std::vector<std::string>& fields, int number)>& line) {
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (text.empty() || text[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream ss(text);
        std::string field;
        while (std::getline(ss, field, '\t')) fields.push_back(field);
        if (!line(fields, number)) return false;
    }
    return true;
}

bool LoadManifest(const std::string& path, Manifest& out, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot open manifest " + path;
        return false;
    }
    return ForEachTabLine(in, [&](const std::vector<std::string>& fields, int number) {
        if (fields.size() < 5) {
            error = path + ":" + std::to_string(number) + ": expected at least 5 fields";
            return false;
        }
        ManifestEntry e;
        e.archive = fields[0];
        e.name = fields[1];
        e.kind = fields[2];
        try {
            e.width = std::stoi(fields[3]);
            e.height = std::stoi(fields[4]);
        } catch (...) {
            error = path + ":" + std::to_string(number) + ": bad width or height";
            return false;
        }
        e.params.assign(fields.begin() + 5, fields.end());
        out.entries.push_back(std::move(e));
        return true;
    });
}
