#pragma once
// The image archives every picture of the game comes from. They are checked
// once before the start, so that a missing or damaged archive stops the game
// with a message instead of leaving it drawing blank pictures.
#include <string>

inline constexpr const char* kImageArchiveFiles[] = {"vsk1.dat", "vsk2.dat", "vsk3.dat", "vsk4.dat", "vsk7.dat"};

// Checks each image archive in `folder` (opens, has the archive header, every
// entry header fits the file; no pixels are read). Returns an empty string
// when all are usable, otherwise a message naming the first that is not.
std::string CheckImageArchives(const std::string& folder);
