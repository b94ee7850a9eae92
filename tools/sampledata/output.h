#pragma once
// Output of the generator. A file is written only when it does not exist yet or
// when the generator wrote it itself last time (its name and content hash are in
// "sample-data.txt" in the same folder), so a player's own data files are never
// overwritten.
#include <string>
#include <vector>

#include "engine/core/types.h"

bool WriteGeneratedFile(const std::string& dir, const std::string& name, const std::vector<u8>& bytes);
