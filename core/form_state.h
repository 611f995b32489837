#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/log_list.h"

namespace core {

// The action keyword table: action text to its keywords, looked up by exact text.
using TActionKeywords = std::map<std::u16string, std::vector<std::u16string>, std::less<>>;

inline constexpr std::u16string_view kDefaultRoot = u"D:\\KorloServer";

// The state of the main window that every operation shares, with its initial values.
struct TFormState {
  TLogList FAllLogs;                           // every record of the last successful load
  TLogList FFilteredLogs;                      // the records that passed the last query
  std::u16string FSelectedPath{kDefaultRoot};  // the server root
  std::int32_t FLastClickedCol = -1;           // last pressed or selected grid cell
  std::int32_t FLastClickedRow = -1;
  std::u16string FCurrentSelectedDate;  // first selected day folder of the last load
  bool FIsDataLoaded = false;           // FAllLogs belongs to the current date selection
  bool FIsLoading = false;              // a load is running
  std::vector<bool> FActionChecked;     // one check flag per action-list entry
  TActionKeywords FActionKeywords;
};

}  // namespace core
