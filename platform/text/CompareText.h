// Order of names for lists the user reads (picture files): without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Negative, zero or positive as a sorts before, with or after b. Letters are
// compared by their lower-case form (Unicode simple case mapping for UTF-8 text,
// so "É" and "é" are alike); digits and most punctuation sort before letters.
// Texts that differ in case only are then ordered by their bytes, so a sort by
// this comparison is the same on every run.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);

// Sorts names by CompareTextIgnoreCase.
void SortIgnoringCase(std::vector<std::string>& names);
