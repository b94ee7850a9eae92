#include "game/shell/image_archive_check.h"

#include <filesystem>

#include "engine/image/lag_archive.h"

std::string CheckImageArchives(const std::string& folder) {
    for (const char* name : kImageArchiveFiles) {
        const std::filesystem::path path = std::filesystem::path(folder) / name;
        const LagResult r = LagCheckArchive(path.c_str(), name);
        if (r.ok()) continue;
        std::string text = "the image archive " + path.string();
        // The reader's message starts with the archive's name.
        std::string detail = r.message;
        const std::string prefix = std::string(name) + ": ";
        if (detail.rfind(prefix, 0) == 0) detail.erase(0, prefix.size());
        if (r.status == LagStatus::kCannotOpen) {
            const std::string opening = "cannot open: ";
            if (detail.rfind(opening, 0) == 0) detail.erase(0, opening.size());
            std::error_code ec;
            text += std::filesystem::exists(path, ec) ? " cannot be read (" + detail + ")" : " is missing";
        } else {
            text += " is damaged (" + detail + ")";
        }
        text += "; the game needs its image archives (";
        for (const char* each : kImageArchiveFiles) {
            if (each != kImageArchiveFiles[0]) text += ", ";
            text += each;
        }
        text += ") beside the program";
        return text;
    }
    return {};
}
