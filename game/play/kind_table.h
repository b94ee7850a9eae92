#pragma once
// Tables of per-kind routines: entries { kind, routine } sorted by kind, so
// that a kind's routine is found by a binary search and a kind without an
// entry is plainly absent.
#include <algorithm>
#include <cstddef>
#include <iterator>

#include "engine/core/types.h"

template <typename Entry, std::size_t N>
constexpr bool SortedByKind(const Entry (&table)[N]) {
    for (std::size_t i = 1; i < N; ++i) {
        if (table[i - 1].kind >= table[i].kind) return false;
    }
    return true;
}

// The entry of `kind`, or nullptr.
template <typename Entry, std::size_t N>
const Entry* FindKind(const Entry (&table)[N], i32 kind) {
    const Entry* end = std::end(table);
    const Entry* at = std::lower_bound(std::begin(table), end, kind, [](const Entry& e, i32 k) { return e.kind < k; });
    return at != end && at->kind == kind ? at : nullptr;
}

// A member routine of T as a plain function of a T&, for a table's entry.
template <typename T, bool (T::*Routine)()>
bool CallMember(T& object) {
    return (object.*Routine)();
}
template <typename T, void (T::*Routine)()>
void CallMemberVoid(T& object) {
    (object.*Routine)();
}
