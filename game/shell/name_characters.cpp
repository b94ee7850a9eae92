#include "game/shell/name_characters.h"

#include <string>

StoredName BlankName() {
    StoredName name;
    name.fill(kBlankNameCharacter);
    return name;
}

std::string NameToText(const StoredName& name) {
    std::string text;
    for (u32 c : name) text.push_back(NameCharacterAt(c));
    return text;
}

std::vector<i32> BuildCharacterList(int list) {
    std::vector<i32> entries;
    entries.reserve(kCharacterListSize);
    for (i32 i = 0; i <= 9; ++i) entries.push_back(i);
    const i32 letters = list == 1 ? 40 : 10;
    for (i32 i = 0; i < 26; ++i) entries.push_back(letters + i);
    for (i32 i = 70; i <= 82; ++i) entries.push_back(i);
    return entries;
}
