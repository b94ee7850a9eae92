#pragma once
// Expected outcomes kept as text files beside the tests (a recorded run's
// state hashes and score, say). With TOLVARIN_UPDATE_OUTCOMES=1 in the
// environment the file is (re)written from the actual text instead: a change
// that alters the outcome on purpose commits the new file with it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testing_support {

bool UpdatingOutcomes();

// Compares `actual` with the file's text, line by line: lines starting with
// '#' in the file are comments and are kept when it is rewritten.
::testing::AssertionResult MatchesExpectedFile(const std::filesystem::path& file, const std::string& actual);

}  // namespace testing_support
