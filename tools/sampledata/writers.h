#pragma once
// Each archive family of the sample data set has one writer. The generator's
// main calls them in turn with the output folder.
#include <string>

struct Manifest;

bool WriteImageArchives(const std::string& dir, const Manifest& manifest);
bool WriteSoundArchives(const std::string& dir, const Manifest& manifest);
