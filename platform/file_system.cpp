#include "platform/file_system.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {

namespace {

// A file's bytes, read whole beforehand, given in parts; its stamp is not known.
class MemoryFileReader final : public IFileReader {
 public:
  explicit MemoryFileReader(std::string bytes) : bytes_(std::move(bytes)) {}

  std::size_t Read(char* to, std::size_t most) override {
    const std::size_t count = std::min(most, bytes_.size() - done_);
    if (count > 0) std::memcpy(to, bytes_.data() + done_, count);
    done_ += count;
    return count;
  }

 private:
  std::string bytes_;
  std::size_t done_ = 0;
};

}  // namespace

std::unique_ptr<IFileReader> IFileSystem::OpenForReading(std::u16string_view path,
                                                         std::uint64_t offset) const {
  std::string bytes;
  ReadWholeFile(path, bytes);
  bytes.erase(0, static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes.size())));
  return std::make_unique<MemoryFileReader>(std::move(bytes));
}

std::optional<TFileStamp> IFileSystem::StampOf(std::u16string_view) const {
  return std::nullopt;
}

}  // namespace platform
