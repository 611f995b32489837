#pragma once

#include <string>

#include "core/form_state.h"
#include "support/fake_window.h"

namespace korlo_test {

// A log line (bytes, no line end) whose account is `account`; every other part is a number.
inline std::string LogLine(const std::string& account) {
  return "0\t" + account + "\t2\tname\t4\t5\t6\t7\t8\t9\t10\titem\t12\t13\t14\t15\ttime";
}

// The accounts of the records in `list`, in order, joined by spaces.
inline std::string Accounts(const core::TLogList& list) {
  std::string text;
  for (const core::TLogRecord& record : list) {
    if (!text.empty()) text += ' ';
    text += U8(record.Account());
  }
  return text;
}

}  // namespace korlo_test
