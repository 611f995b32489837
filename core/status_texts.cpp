#include "core/status_texts.h"

#include <string>

namespace core {

std::u16string DecimalText(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

namespace status {

std::u16string DateFoldersFound(long long count) {
  return u"找到 " + DecimalText(count) + u" 个日期文件夹";
}

std::u16string LoadingFolder(std::u16string_view name) {
  return u"正在加载: " + std::u16string(name);
}

std::u16string Loaded(long long files, long long records) {
  return u"已加载 " + DecimalText(files) + u" 个文件，共 " + DecimalText(records) + u" 条记录";
}

std::u16string FilteringRecords(long long count) {
  return u"正在筛选 " + DecimalText(count) + u" 条数据...";
}

std::u16string RecordsAdded(long long count) {
  return u"新增 " + DecimalText(count) + u" 条记录";
}

std::u16string RecordsRemoved(long long count) {
  return u"减少 " + DecimalText(count) + u" 条记录";
}

std::u16string MatchesFound(long long count) {
  return u"找到 " + DecimalText(count) + u" 条匹配记录";
}

}  // namespace status
}  // namespace core
