#pragma once

#include <string>
#include <string_view>

namespace core {

// The operator-facing status-line messages of the core (shown after the prefix "状态：").
namespace status {
inline constexpr std::u16string_view kBusy = u"正在加载数据中，请稍候...";
inline constexpr std::u16string_view kPathMissing = u"路径不存在";
inline constexpr std::u16string_view kNoDateFolders = u"没有找到日期文件夹";
inline constexpr std::u16string_view kMovingRecords = u"正在转移数据...";
inline constexpr std::u16string_view kFiltering = u"正在筛选数据...";
inline constexpr std::u16string_view kNoData = u"没有数据可筛选";
inline constexpr std::u16string_view kFilterError = u"筛选过程出现错误: ";
inline constexpr std::u16string_view kNoMatches = u"没有找到匹配的记录";
inline constexpr std::u16string_view kAllActionsSelected = u"已选择全部数据";
inline constexpr std::u16string_view kActionsCleared = u"已清空所有动作选择，显示全部数据";
inline constexpr std::u16string_view kBadStartTime =
    u"开始时间格式无效，请按 YYYY-MM-DD HH:MM:SS 输入，可只写前面部分";
inline constexpr std::u16string_view kBadEndTime =
    u"结束时间格式无效，请按 YYYY-MM-DD HH:MM:SS 输入，可只写前面部分";
inline constexpr std::u16string_view kStartAfterEnd = u"开始时间晚于结束时间";

// "找到 N 个日期文件夹"
std::u16string DateFoldersFound(long long count);
// "正在加载: NAME"
std::u16string LoadingFolder(std::u16string_view name);
// "已加载 N 个文件，共 M 条记录"
std::u16string Loaded(long long files, long long records);
// "正在筛选 N 条数据..."
std::u16string FilteringRecords(long long count);
// "找到 N 条匹配记录"
std::u16string MatchesFound(long long count);
// "新增 N 条记录": what reading new records added
std::u16string RecordsAdded(long long count);
// "减少 N 条记录": files that shrank or went away took more records than came
std::u16string RecordsRemoved(long long count);
}  // namespace status

// The decimal text of a number, as the status texts show counts.
std::u16string DecimalText(long long value);

}  // namespace core
