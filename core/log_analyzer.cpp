#include "core/log_analyzer.h"

namespace core {

TLogAnalyzer::TLogAnalyzer(IWindowServices& window, const platform::IFileSystem& fileSystem,
                           platform::CodePage ansiCodePage)
    : window_(window), fileSystem_(fileSystem), ansiCodePage_(ansiCodePage) {}

}  // namespace core
