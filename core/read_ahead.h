#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/line_scanner.h"
#include "core/record_block.h"
#include "platform/file_system.h"
#include "platform/text_decoder.h"

namespace core {

// How the files of one load are decoded: with `whenUtf8` when it is set and the file's bytes are
// well-formed UTF-8 (the automatic choice), with `otherwise` in every other case. Both are
// chosen on the window's thread before the load starts, so a change of choice during the load
// does not reach it.
struct TFileDecoding {
  const platform::TextDecoder* whenUtf8 = nullptr;
  const platform::TextDecoder* otherwise = nullptr;
};

// One file to read: whole, or from where an earlier read of it ended its complete lines.
struct TFileRead {
  std::u16string path;
  // The earlier read's complete lines ended here (0: read the file whole). The file must still
  // hold `tail` just before it, and be decoded as it was, or it is read whole after all: it was
  // replaced or written again, or (with the automatic choice) its new bytes change the choice.
  std::uint64_t from = 0;
  std::string tail;
  const platform::TextDecoder* decoder = nullptr;  // what the earlier read decoded with
  bool utf8 = true;  // the bytes up to `from` are well-formed UTF-8 (the automatic choice)
};

// What reading one file found, for a later read to go on from.
struct TFileTally {
  // The bytes before the end of the complete lines kept to tell an append from a replacement.
  static constexpr std::size_t kTailBytes = 64;

  std::optional<platform::TFileStamp> stamp;  // at open, the read ended at its size; if known
  bool whole = true;                          // read from its start, not from TFileRead::from
  std::uint64_t completeEnd = 0;              // just after the last CR or LF read
  std::string tail;  // the up to kTailBytes bytes of the file that end at completeEnd
  const platform::TextDecoder* decoder = nullptr;
  bool utf8 = true;  // the bytes up to completeEnd are well-formed UTF-8
  // The last block given holds the file's unfinished last line alone (bytes after completeEnd
  // that no line end closes yet): a later read takes that line again, with its rest.
  bool partialLine = false;
};

// Reads one file and gives its records as blocks, one piece of the file at a time: a piece is
// about kPieceBytes of the file's bytes, cut just after a CR or LF (or at the file's end), so
// that every piece holds whole lines, the blocks of a big file come a few milliseconds apart and
// only a piece or two of the file's bytes are held at once (the automatic code page choice reads
// the file whole: it must see every byte first). The blocks, taken in order, hold the file's
// records in line order: the same records as one block of the whole file, since no line and no
// character crosses a cut (the bytes CR and LF never occur inside a character of any code page
// the logs use). Uses no shared state: one cutter per thread. Its buffer is reused from file to
// file.
class TFileCutter {
 public:
  static constexpr std::size_t kPieceBytes = std::size_t{2} * 1024 * 1024;

  TFileCutter(const platform::IFileSystem& fileSystem, TFileDecoding decoding,
              std::size_t pieceBytes = kPieceBytes)
      : fileSystem_(fileSystem),
        decoding_(decoding),
        pieceBytes_(std::max<std::size_t>(pieceBytes, 1)) {}

  // Opens the file at `read.path`, from its start or from `read.from`; its blocks follow from
  // Next. Every failure, here or from Next, but for want of memory (std::bad_alloc), is an
  // OsError naming the file: the file system's, or another ("record block text too large") with
  // the path put before it.
  void Open(const TFileRead& read);
  void Open(std::u16string_view path) {
    TFileRead whole;
    whole.path = path;
    Open(whole);
  }
  // The next block of the open file, or null when the file has given all its records. The
  // unfinished last line of a file (no line end after it) comes in a block of its own.
  std::unique_ptr<const TRecordBlock> Next();
  // What the read found; complete once Next has given null.
  TFileTally Tally() const;

 private:
  std::unique_ptr<const TRecordBlock> NextBlock();
  // Inside a catch block: the exception again, as an OsError naming the file (a line too long
  // for a block), or as it is when it is one already or std::bad_alloc.
  [[noreturn]] void RethrowNamingTheFile() const;
  // Opens the file from its start, or, when `read` is given, after read->from (false when the
  // file no longer holds read->tail there).
  bool OpenAt(const std::u16string& path, const TFileRead* read);
  // Takes `count` bytes of the buffer into the file's read part.
  void Consume(std::size_t count);
  // Appends at least `bytes` more of the file to the buffer, or all that is left.
  void Fill(std::size_t bytes);
  // Takes the next piece from the buffer, filling it as needed; false at the file's end.
  bool StartPiece();

  const platform::IFileSystem& fileSystem_;
  TFileDecoding decoding_;
  std::size_t pieceBytes_;
  std::unique_ptr<platform::IFileReader> reader_;
  std::u16string path_;
  bool ended_ = false;        // the reader gave the whole file
  bool atFileStart_ = false;  // no piece taken yet: a byte-order mark may come
  std::string buffer_;
  std::size_t start_ = 0;  // the bytes not cut yet are [start_, filled_) of buffer_
  std::size_t filled_ = 0;
  const platform::TextDecoder* decoder_ = nullptr;
  std::uint64_t consumed_ = 0;  // the file offset of buffer_[start_]
  std::uint64_t completeEnd_ = 0;
  std::string tail_;
  std::optional<platform::TFileStamp> stamp_;
  bool whole_ = true;
  bool utf8_ = true;
  bool partialPiece_ = false;  // the piece being read is the unfinished last line
  bool lastBlockPartial_ = false;
  std::string_view piece_;
  std::optional<TLineScanner> scanner_;  // over piece_, while a piece is being read
  std::optional<TRecordBlockBuilder> builder_;
  TScannedLine line_;
  bool lineWaiting_ = false;  // line_ is scanned but not yet in a block
};

// The files of one load or refresh, read, cut and decoded ahead of the window's thread by
// `workers` threads
// (none: each file is read on the caller's thread when its turn comes). The caller takes the
// blocks of file 0, then of file 1, and so on, in order. Files are taken in that order, by the
// workers and by the caller itself: while the block it asks for is not ready, the caller cuts a
// piece of a file of its own (the next one free) instead of waiting idle, so every core works,
// and it never holds up its own file for longer than one piece. No file is started more than
// `workers` files ahead of the one the caller asks for, so read-ahead holds a bounded number of
// files. The blocks are the same, in the same order, for every number of workers. A file that
// cannot be read gives its error at its turn; later files are discarded. The workers touch only
// the file system, the decoders and their own blocks: the blocks are registered by the caller.
// Destruction stops and joins every worker, whatever state it is in.
class TReadAhead {
 public:
  TReadAhead(const platform::IFileSystem& fileSystem, TFileDecoding decoding,
             std::vector<TFileRead> files, unsigned workers,
             std::size_t pieceBytes = TFileCutter::kPieceBytes);
  ~TReadAhead();
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // The next block of file `file`, or null when it has no more. `file` is the file taken last or
  // the next one; a file once past is never asked for again. Waits for the worker reading it.
  // Throws the error that reading the file threw.
  std::unique_ptr<const TRecordBlock> Next(std::size_t file);
  // What reading file `file` found, once Next(file) has given null.
  TFileTally Tally(std::size_t file);

 private:
  struct TFileResult {
    std::deque<std::unique_ptr<const TRecordBlock>> blocks;
    std::exception_ptr error;
    TFileTally tally;
    bool done = false;
  };

  void Work(std::size_t pieceBytes);
  void Stop() noexcept;
  // Cuts the next piece of the caller's own file on the caller's thread, mutex_ not held.
  void CutOwnPiece();

  static constexpr std::size_t kNoFile = static_cast<std::size_t>(-1);

  const platform::IFileSystem& fileSystem_;
  TFileDecoding decoding_;
  std::vector<TFileRead> files_;
  unsigned workers_;

  // Reading on the caller's thread: every file when there are no workers, else the file the
  // caller cuts while it waits for a worker's.
  std::optional<TFileCutter> inline_;
  std::size_t inlineFile_ = kNoFile;
  bool ownOpened_ = false;
  std::size_t ownFile_ = kNoFile;  // the file the caller cuts, guarded by mutex_

  std::mutex mutex_;
  std::condition_variable blockReady_;  // the caller waits for a block or a file's end
  std::condition_variable moved_;       // workers wait for the caller to move on, or a stop
  std::vector<TFileResult> results_;    // guarded by mutex_, one per path
  std::size_t nextFile_ = 0;            // the next file a worker takes
  std::size_t taken_ = 0;               // the file the caller takes blocks of
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace core
