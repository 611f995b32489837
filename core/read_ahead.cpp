#include "core/read_ahead.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/line_parts.h"
#include "platform/fresh_memory.h"
#include "platform/os_error.h"
#include "platform/unicode.h"
#include "platform/vector_ops.h"

namespace core {

namespace {

// Room a record block keeps beyond half as much again as the bytes it is made for, so that a
// short text whose lines all grow threefold still fits one block.
constexpr std::size_t kLineGrowthRoom = 4096;

// A block's text is sized for the usual growth and a line goes on in a new block when its most
// (kMaxGrowth bytes per byte) does not fit: decoding to UTF-8 keeps ASCII as it is and makes a
// GBK character three bytes of two, so the kept fields of a GBK line, without their TABs and the
// parts not kept, take less than half as much again.
TRecordBlockBuilder BlockFor(std::size_t unread, std::size_t lineHint) {
  return TRecordBlockBuilder(
      std::min(unread + unread / 2 + kLineGrowthRoom, TRecordBlockBuilder::kMaxTextBytes),
      lineHint);
}

bool IsLineEnd(char byte) {
  return byte == '\r' || byte == '\n';
}

}  // namespace

void TFileCutter::Open(const TFileRead& read) {
  path_ = read.path;
  try {
    if (read.from > 0 && OpenAt(read.path, &read)) return;
    OpenAt(read.path, nullptr);
  } catch (...) {
    RethrowNamingTheFile();
  }
}

std::unique_ptr<const TRecordBlock> TFileCutter::Next() {
  try {
    return NextBlock();
  } catch (...) {
    RethrowNamingTheFile();
  }
}

void TFileCutter::RethrowNamingTheFile() const {
  // Every failure of a file names it, as the file system's own errors do; running out of memory
  // stays what it is, whichever file it happened in.
  try {
    throw;
  } catch (const platform::OsError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    throw platform::OsError(path_ + u": " + platform::Utf8ToUtf16(error.what()));
  }
}

bool TFileCutter::OpenAt(const std::u16string& path, const TFileRead* read) {
  scanner_.reset();
  builder_.reset();
  lineWaiting_ = false;
  reader_.reset();
  start_ = filled_ = 0;
  ended_ = false;
  partialPiece_ = lastBlockPartial_ = false;
  whole_ = read == nullptr;
  atFileStart_ = whole_;
  if (whole_) {
    consumed_ = completeEnd_ = 0;
    tail_.clear();
    utf8_ = true;
    reader_ = fileSystem_.OpenForReading(path);
    stamp_ = reader_->Stamp();
  } else {
    // The tail just before `from` first: a file that no longer holds it was replaced or written
    // again, and is read whole.
    const std::uint64_t at = read->from - std::min<std::uint64_t>(read->tail.size(), read->from);
    reader_ = fileSystem_.OpenForReading(path, at);
    stamp_ = reader_->Stamp();
    const auto check = static_cast<std::size_t>(read->from - at);
    consumed_ = at;
    Fill(check);
    if (filled_ < check || std::string_view(buffer_.data(), check) != read->tail) return false;
    start_ = check;
    consumed_ = completeEnd_ = read->from;
    tail_ = read->tail;
    utf8_ = read->utf8;
  }
  decoder_ = decoding_.otherwise;
  if (decoding_.whenUtf8 != nullptr) {
    // The choice rests on the whole file: its bytes up to `from` were UTF-8 or not, and the rest
    // is read now.
    while (!ended_)
      Fill(std::max(filled_, pieceBytes_));
    const std::string_view rest(buffer_.data() + start_, filled_ - start_);
    if (utf8_ && platform::IsValidUtf8(rest)) decoder_ = decoding_.whenUtf8;
    const std::size_t lastEnd = rest.find_last_of("\r\n");
    utf8_ = utf8_ && platform::IsValidUtf8(rest.substr(0, lastEnd == rest.npos ? 0 : lastEnd + 1));
  }
  // A read that goes on must decode as the earlier one did, or the file is read whole.
  return whole_ || decoder_ == read->decoder;
}

TFileTally TFileCutter::Tally() const {
  return {stamp_, whole_, completeEnd_, tail_, decoder_, utf8_, lastBlockPartial_};
}

void TFileCutter::Consume(std::size_t count) {
  start_ += count;
  consumed_ += count;
}

void TFileCutter::Fill(std::size_t bytes) {
  // No more room than the file has bytes left (and one, to see its end): the room is backed with
  // memory at once, and a refresh that reads a few appended lines must not back a whole piece.
  if (stamp_) {
    const std::uint64_t unread =
        stamp_->size - std::min(stamp_->size, consumed_ + (filled_ - start_));
    bytes = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, unread + 1));
  }
  if (start_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + start_, filled_ - start_);
    filled_ -= start_;
    start_ = 0;
  }
  const std::size_t want = filled_ + bytes;
  if (buffer_.size() < want) {
    if (filled_ == 0) {
      platform::ResizeForOverwrite(buffer_, want);
    } else {
      buffer_.resize(std::max(want, buffer_.size() + buffer_.size() / 2));
    }
  }
  while (filled_ < want) {
    const std::size_t count = reader_->Read(buffer_.data() + filled_, buffer_.size() - filled_);
    if (count == 0) {
      ended_ = true;
      reader_.reset();  // closes the file
      return;
    }
    filled_ += count;
  }
}

bool TFileCutter::StartPiece() {
  // A piece ends after the last CR or LF within pieceBytes_, or after the first one beyond when
  // a line is longer, or at the file's end. One byte more than a piece is read, so that a piece
  // that ends exactly at a line end is seen to.
  std::size_t searched = pieceBytes_;  // no line end in [pieceBytes_, searched) of what is left
  std::size_t end = 0;
  for (;;) {
    std::string_view left(buffer_.data() + start_, filled_ - start_);
    if (atFileStart_ && (ended_ || left.size() >= 3)) {
      const std::string_view text = decoder_->StripByteOrderMark(left);
      Consume(left.size() - text.size());
      left = text;
      atFileStart_ = false;
    }
    if (!atFileStart_ && (ended_ || left.size() > pieceBytes_)) {
      if (left.size() <= pieceBytes_) {
        // The file's last piece. An unfinished last line goes in a piece of its own, which a
        // later read takes again with its rest.
        end = left.size();
        const std::size_t lastEnd = left.find_last_of("\r\n");
        if (end > 0 && !IsLineEnd(left[end - 1]) && lastEnd != std::string_view::npos) {
          end = lastEnd + 1;
        }
        break;
      }
      const std::size_t within = left.find_last_of("\r\n", pieceBytes_ - 1);
      if (within != std::string_view::npos) {
        end = within + 1;
        break;
      }
      const std::size_t beyond = left.find_first_of("\r\n", searched);
      if (beyond != std::string_view::npos) {
        end = beyond + 1;
        break;
      }
      if (ended_) {
        end = left.size();
        break;
      }
      searched = left.size();
    }
    Fill(std::max(pieceBytes_, std::size_t{3}) + 1);
  }
  if (end == 0) return false;
  piece_ = std::string_view(buffer_.data() + start_, end);
  Consume(end);
  partialPiece_ = !IsLineEnd(piece_.back());
  if (!partialPiece_) {
    completeEnd_ = consumed_;
    const std::size_t keep = std::min(piece_.size(), TFileTally::kTailBytes);
    tail_.append(piece_.substr(piece_.size() - keep));
    if (tail_.size() > TFileTally::kTailBytes)
      tail_.erase(0, tail_.size() - TFileTally::kTailBytes);
  }
  scanner_.emplace(piece_);
  // Room for every line, as the line feeds count them (lines ended by a CR alone make the list
  // grow).
  builder_.emplace(
      BlockFor(piece_.size(), platform::CountBytes(piece_.data(), piece_.size(), '\n') + 1));
  return true;
}

std::unique_ptr<const TRecordBlock> TFileCutter::NextBlock() {
  const platform::TextDecoder& decoder = *decoder_;
  for (;;) {
    if (!scanner_ && !StartPiece()) return nullptr;
    const char* const pieceEnd = piece_.data() + piece_.size();
    // ASCII parts are copied as they are; any other part is decoded.
    const auto writeField = [&decoder, this, pieceEnd](std::size_t part, char* out) {
      const char* from = line_.parts.begin[part];
      const auto length = static_cast<std::size_t>(line_.parts.end[part] - from);
      if (CopyAscii(from, length, pieceEnd, out)) return length;
      return decoder.Decode({from, length}, out);
    };
    while (lineWaiting_ || scanner_->Next(line_)) {
      lineWaiting_ = false;
      const char* first = line_.parts.begin[0];
      const auto most =
          platform::TextDecoder::kMaxGrowth * static_cast<std::size_t>(line_.last - first);
      if (most > builder_->FreeBytes()) {
        // A line of bytes that all grow (invalid or single high bytes), or a piece of over 2.8
        // billion bytes: its lines go on in a new block.
        std::unique_ptr<const TRecordBlock> full;
        if (builder_->LineCount() > 0) full = builder_->Build();
        builder_.emplace(BlockFor(static_cast<std::size_t>(pieceEnd - first), 0));
        if (most > builder_->FreeBytes()) builder_.emplace(most, 0);
        if (full) {
          lineWaiting_ = true;
          lastBlockPartial_ = false;
          return full;
        }
      }
      // The piece's bytes left, this line's included, bound what the block's lines still write
      // but for characters that grow: backing memory ahead that far wastes little.
      AddLineRecord(*builder_, line_.parts, static_cast<std::size_t>(pieceEnd - first), writeField);
    }
    scanner_.reset();
    std::unique_ptr<const TRecordBlock> block;
    if (builder_->LineCount() > 0) block = builder_->Build();
    builder_.reset();
    if (block) {
      lastBlockPartial_ = partialPiece_;
      return block;
    }
  }
}

TReadAhead::TReadAhead(const platform::IFileSystem& fileSystem, TFileDecoding decoding,
                       std::vector<TFileRead> files, unsigned workers, std::size_t pieceBytes)
    : fileSystem_(fileSystem),
      decoding_(decoding),
      files_(std::move(files)),
      workers_(workers),
      results_(files_.size()) {
  inline_.emplace(fileSystem_, decoding_, pieceBytes);
  if (files_.empty()) workers_ = 0;
  if (workers_ == 0) return;
  try {
    for (unsigned i = 0; i < workers_; ++i)
      threads_.emplace_back([this, pieceBytes] { Work(pieceBytes); });
  } catch (...) {
    Stop();
    throw;
  }
}

TReadAhead::~TReadAhead() {
  Stop();
}

void TReadAhead::Stop() noexcept {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  moved_.notify_all();
  for (std::thread& thread : threads_)
    thread.join();
  threads_.clear();
}

void TReadAhead::Work(std::size_t pieceBytes) {
  TFileCutter cutter(fileSystem_, decoding_, pieceBytes);
  for (;;) {
    std::size_t file = 0;
    {
      std::unique_lock lock(mutex_);
      // At most one file per worker ahead of the one the caller takes: the files' bytes are the
      // read-ahead's memory.
      moved_.wait(lock, [this] {
        return stopping_ || nextFile_ == files_.size() || nextFile_ <= taken_ + workers_;
      });
      if (stopping_ || nextFile_ == files_.size()) return;
      file = nextFile_++;
    }
    std::exception_ptr error;
    try {
      cutter.Open(files_[file]);
      while (std::unique_ptr<const TRecordBlock> block = cutter.Next()) {
        const std::lock_guard lock(mutex_);
        if (stopping_) return;
        results_[file].blocks.push_back(std::move(block));
        blockReady_.notify_all();
      }
    } catch (...) {
      error = std::current_exception();
    }
    const std::lock_guard lock(mutex_);
    results_[file].error = std::move(error);
    if (!results_[file].error) results_[file].tally = cutter.Tally();
    results_[file].done = true;
    blockReady_.notify_all();
  }
}

std::unique_ptr<const TRecordBlock> TReadAhead::Next(std::size_t file) {
  if (workers_ == 0) {
    if (file != inlineFile_) {
      inlineFile_ = file;
      inline_->Open(files_[file]);
    }
    return inline_->Next();
  }
  std::unique_lock lock(mutex_);
  if (file != taken_) {
    taken_ = file;
    moved_.notify_all();
  }
  TFileResult& result = results_[file];
  for (;;) {
    if (!result.blocks.empty()) {
      std::unique_ptr<const TRecordBlock> block = std::move(result.blocks.front());
      result.blocks.pop_front();
      return block;
    }
    if (result.done) {
      if (result.error) std::rethrow_exception(result.error);
      return nullptr;
    }
    // Not ready: cut a piece of a file of this thread's own meanwhile (`file` itself when no
    // worker has taken it), within the same bound as the workers.
    if (ownFile_ == kNoFile && nextFile_ < files_.size() && nextFile_ <= taken_ + workers_) {
      ownFile_ = nextFile_++;
      ownOpened_ = false;
    }
    if (ownFile_ != kNoFile) {
      lock.unlock();
      CutOwnPiece();
      lock.lock();
      continue;
    }
    blockReady_.wait(lock);
  }
}

TFileTally TReadAhead::Tally(std::size_t file) {
  if (workers_ == 0) return inline_->Tally();
  const std::lock_guard lock(mutex_);
  return results_[file].tally;
}

void TReadAhead::CutOwnPiece() {
  std::unique_ptr<const TRecordBlock> block;
  std::exception_ptr error;
  try {
    if (!ownOpened_) {
      ownOpened_ = true;
      inline_->Open(files_[ownFile_]);
    }
    block = inline_->Next();
  } catch (...) {
    error = std::current_exception();
  }
  const std::lock_guard lock(mutex_);
  TFileResult& result = results_[ownFile_];
  if (block) {
    result.blocks.push_back(std::move(block));
    return;
  }
  result.error = std::move(error);
  if (!result.error) result.tally = inline_->Tally();
  result.done = true;
  ownFile_ = kNoFile;
}

}  // namespace core
