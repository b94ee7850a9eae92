#pragma once
// The character table behind every stored name (ranking entries and replay
// headers keep names as five indexes into it), and the two lists of indexes
// that the name entry offers.
#include <array>
#include <string>
#include <vector>

#include "engine/core/types.h"

constexpr int kNameCharacterCount = 90;
constexpr int kNameLength = 5;
// Index of the first blank: what an empty name slot holds.
constexpr u32 kBlankNameCharacter = 82;

// 0..9 digits, 10..35 lower case, 36..39 unused, 40..65 upper case, 66..69
// unused, 70..81 symbols, 82..89 blanks.
inline constexpr char NameCharacterTable[kNameCharacterCount + 1] =
    "0123456789abcdefghijklmnopqrstuvwxyz0000ABCDEFGHIJKLMNOPQRSTUVWXYZ0000!?&'.-_+~=/*        ";
static_assert(sizeof(NameCharacterTable) == kNameCharacterCount + 1);

using StoredName = std::array<u32, kNameLength>;

// An index from a file may be anything: those outside the table become the blank.
inline u32 ClampNameCharacter(u32 index) {
    return index < static_cast<u32>(kNameCharacterCount) ? index : kBlankNameCharacter;
}
inline char NameCharacterAt(u32 index) { return NameCharacterTable[ClampNameCharacter(index)]; }

// Five blanks.
StoredName BlankName();
// The name as text (five characters), for logs and tests.
std::string NameToText(const StoredName& name);

constexpr int kCharacterListSize = 49;
// List 0: digits, lower case, symbols and one blank; list 1: digits, upper
// case, symbols and one blank (49 entries each). Any other value gives list 0.
std::vector<i32> BuildCharacterList(int list);
