#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/read_ahead.h"
#include "core/record_block.h"

namespace core {

// What a load or a refresh read of one log file: its records, and where a later read goes on.
struct TLoadedFile {
  std::u16string name;  // in its day folder
  TFileTally tally;
  // Its records' blocks in line order; with tally.partialLine the last one holds the unfinished
  // last line alone.
  std::vector<TBlockRef> blocks;
  std::int64_t records = 0;
};

struct TLoadedFolder {
  std::u16string name;
  bool exists = false;
  std::vector<TLoadedFile> files;  // *.log then *.txt, each in the file system's order
};

// The files the list of all records was read from, as the last load or refresh left them: the
// folders in the load's order, each with its files in theirs. The list of all records is their
// blocks' lines, one after another.
struct TLoadedLogs {
  std::u16string baseDir;
  TFileDecoding decoding;
  std::vector<TLoadedFolder> folders;

  // The file `name` of folder `folder` as it was read, or null.
  const TLoadedFile* Find(std::u16string_view folder, std::u16string_view name) const;
  std::vector<std::u16string> FolderNames() const;
  std::int64_t Records() const;
};

}  // namespace core
