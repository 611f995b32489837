#pragma once

// Internal to the POSIX platform layer: the mapping between the layer's UTF-16 paths and the
// bytes POSIX file systems name files with.

#include <string>
#include <string_view>

namespace platform::posix {

// The bytes of `path` for the file system: every '\' becomes '/', the text is encoded in UTF-8,
// except that a lone surrogate U+DC80..U+DCFF stands for the single raw byte 0x80..0xFF it was
// decoded from by NameFromNative. Any other lone surrogate becomes U+FFFD.
std::string NativePath(std::u16string_view path);

// A file name's bytes as UTF-16: well-formed UTF-8 is decoded, and each byte of an ill-formed
// sequence becomes the lone surrogate U+DC80 + (byte - 0x80). A name in another encoding (GBK
// bytes, say) thus survives the round trip: NativePath(NameFromNative(name)) == name for every
// name without a '\' byte.
std::u16string NameFromNative(std::string_view name);

}  // namespace platform::posix
