#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The order NTFS keeps the names of a folder in, and so the order Windows lists them in: each
// name's UTF-16 units are upper-cased one at a time (UpperCaseUnit, NTFS's upcase table), and the
// results are compared unit by unit as unsigned 16-bit values, a name that is a prefix of another
// coming first. Thus "a_.log" comes before "B.log" ('_' is above 'A'..'Z' but below 'a'..'z'),
// "_x.log" after "Z.log", and a character outside the BMP sorts by its surrogates, below U+E000.
// Names that upper-case alike (which NTFS cannot hold side by side, POSIX can) are ordered by
// their own units, so that the order is total and never depends on how the names came.
bool FileNameLess(std::u16string_view left, std::u16string_view right);

// Sorts the names of a folder's entries by FileNameLess, except that "." and "..", when present,
// come first, as Windows lists them.
void SortFileNames(std::vector<std::u16string>& names);

}  // namespace platform
