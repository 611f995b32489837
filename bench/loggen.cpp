// loggen: writes a synthetic tree of Korlo server logs for benchmarks and manual tests.
//
//   loggen --root DIR [--size MB] [--days N] [--start YYYY-MM-DD] [--encoding gbk|utf8]
//          [--seed N] [--files-per-day N]
//
// Layout: DIR/LogServer/BaseDir/<YYYY-MM-DD>/ for N consecutive days; each day holds
// item_1.log ... item_<files-1>.log (item movements) and player.txt (sessions, levels,
// currency, deaths). Every record line has 17 TAB-separated parts and ends in CR LF; about one
// line in a hundred is deliberately irregular (too few or too many parts, blank, spaces only, a
// leading TAB) so that readers meet the shapes real servers produce.
//
// The output is a pure function of the options: the generator draws from its own splitmix64
// sequence (standard-library distributions differ between implementations) and uses no
// floating point after the options are read, so the same seed gives the same bytes everywhere.

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/code_page.h"
#include "platform/text_decoder.h"
#include "platform/unicode.h"

namespace {

constexpr std::string_view kUsage =
    "usage: loggen --root DIR [--size MB] [--days N] [--start YYYY-MM-DD]\n"
    "              [--encoding gbk|utf8] [--seed N] [--files-per-day N]\n"
    "  --root DIR          writes DIR/LogServer/BaseDir/<date>/ (required)\n"
    "  --size MB           total size of all files in MiB, fractions allowed (default 10)\n"
    "  --days N            number of consecutive day folders (default 3)\n"
    "  --start YYYY-MM-DD  first day (default 2024-03-01)\n"
    "  --encoding gbk|utf8 text encoding of the files (default gbk)\n"
    "  --seed N            the same seed gives the same bytes (default 1)\n"
    "  --files-per-day N   files per day, at least 2: N-1 item_<n>.log and player.txt "
    "(default 3)\n";

// Bad command-line arguments: reported with the usage text, exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------------------------
// Options

enum class OutputEncoding { kGbk, kUtf8 };

struct Options {
  std::filesystem::path root;
  std::uint64_t totalBytes = 10ULL << 20;
  unsigned days = 3;
  std::chrono::year_month_day start{std::chrono::year{2024}, std::chrono::March,
                                    std::chrono::day{1}};
  OutputEncoding encoding = OutputEncoding::kGbk;
  std::uint64_t seed = 1;
  unsigned filesPerDay = 3;
};

constexpr std::uint64_t kBytesPerMegabyte = 1ULL << 20;
constexpr double kMaxMegabytes = 1024.0 * 1024.0;  // 1 TiB: anything larger is a typo
constexpr unsigned kMaxDays = 3660;
constexpr unsigned kMaxFilesPerDay = 1000;

std::uint64_t ParseUnsigned(std::string_view option, std::string_view text, std::uint64_t min,
                            std::uint64_t max) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    throw UsageError(std::string(option) + " needs a whole number from " + std::to_string(min) +
                     " to " + std::to_string(max) + ", not \"" + std::string(text) + "\"");
  }
  return value;
}

std::uint64_t ParseMegabytes(std::string_view text) {
  double megabytes = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), megabytes);
  if (error != std::errc() || end != text.data() + text.size() || !(megabytes > 0) ||
      megabytes > kMaxMegabytes) {
    throw UsageError("--size needs a positive number of megabytes, not \"" + std::string(text) +
                     "\"");
  }
  const auto bytes =
      static_cast<std::uint64_t>(std::llround(megabytes * static_cast<double>(kBytesPerMegabyte)));
  return std::max<std::uint64_t>(bytes, 1);
}

// The value of a run of decimal digits; empty for anything else, signs included.
std::optional<unsigned> DigitsValue(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::chrono::year_month_day ParseDate(std::string_view text) {
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    const std::optional<unsigned> year = DigitsValue(text.substr(0, 4));
    const std::optional<unsigned> month = DigitsValue(text.substr(5, 2));
    const std::optional<unsigned> day = DigitsValue(text.substr(8, 2));
    if (year && month && day) {
      const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(*year)},
                                             std::chrono::month{*month}, std::chrono::day{*day}};
      if (date.ok()) return date;
    }
  }
  throw UsageError("--start needs a date as YYYY-MM-DD, not \"" + std::string(text) + "\"");
}

constexpr std::string_view kValueOptions[] = {"--root",     "--size", "--days",         "--start",
                                              "--encoding", "--seed", "--files-per-day"};

// Returns the options, or nothing when --help asked for the usage text alone.
std::optional<Options> ParseOptions(std::span<char* const> args) {
  Options options;
  bool haveRoot = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view option = args[i];
    if (option == "--help" || option == "-h") return std::nullopt;
    if (std::find(std::begin(kValueOptions), std::end(kValueOptions), option) ==
        std::end(kValueOptions)) {
      throw UsageError("unknown option: " + std::string(option));
    }
    if (i + 1 == args.size()) throw UsageError("missing value after " + std::string(option));
    const std::string_view value = args[++i];
    if (option == "--root") {
      if (value.empty()) throw UsageError("--root needs a directory");
      options.root = std::filesystem::path(value);
      haveRoot = true;
    } else if (option == "--size") {
      options.totalBytes = ParseMegabytes(value);
    } else if (option == "--days") {
      options.days = static_cast<unsigned>(ParseUnsigned(option, value, 1, kMaxDays));
    } else if (option == "--start") {
      options.start = ParseDate(value);
    } else if (option == "--encoding") {
      if (value == "gbk") {
        options.encoding = OutputEncoding::kGbk;
      } else if (value == "utf8") {
        options.encoding = OutputEncoding::kUtf8;
      } else {
        throw UsageError("--encoding needs gbk or utf8, not \"" + std::string(value) + "\"");
      }
    } else if (option == "--seed") {
      options.seed = ParseUnsigned(option, value, 0, UINT64_MAX);
    } else if (option == "--files-per-day") {
      options.filesPerDay = static_cast<unsigned>(ParseUnsigned(option, value, 2, kMaxFilesPerDay));
    }
  }
  if (!haveRoot) throw UsageError("--root is required");
  return options;
}

// ---------------------------------------------------------------------------------------------
// Random numbers

// splitmix64: one 64-bit state, full period, and the same sequence on every platform.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // A value in [0, bound), bound > 0. The modulo bias is below 2^-40 for every bound used here.
  std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }

  // A value in [low, high].
  int Between(int low, int high) {
    return low + static_cast<int>(Below(static_cast<std::uint64_t>(high - low) + 1));
  }

  // True with a probability of perMille / 1000.
  bool Chance(unsigned perMille) { return Below(1000) < perMille; }

 private:
  std::uint64_t state_;
};

// An independent stream for each (seed, stream) pair, so that a file's content does not depend
// on how many numbers the files before it drew.
std::uint64_t DeriveSeed(std::uint64_t seed, std::uint64_t stream) {
  Rng mix(seed ^ (stream * 0xD1B54A32D192ED03ULL));
  mix.Next();
  return mix.Next();
}

// Picks indexes in proportion to integer weights in constant time: the table holds each index
// `weight` times.
class WeightedPick {
 public:
  explicit WeightedPick(std::span<const unsigned> weights) {
    for (std::size_t i = 0; i < weights.size(); ++i)
      slots_.insert(slots_.end(), weights[i], i);
  }
  std::size_t operator()(Rng& rng) const { return slots_[rng.Below(slots_.size())]; }

 private:
  std::vector<std::size_t> slots_;
};

// ---------------------------------------------------------------------------------------------
// Vocabulary (UTF-8; every character is in GBK)

// What a record describes; decides how the parts after the character are filled.
enum class RecordShape {
  kItemMove,  // an item changes place; relation usually "0" or empty
  kItemDeal,  // an item changes hands; relation names the other character
  kSession,   // login or logout; remark holds the client address
  kProgress,  // level or experience
  kCurrency,  // a signed change of one currency
  kDeath,     // relation names the killer
  kAdmin,     // countdowns and permissions
};

enum class LogFile { kItems, kPlayers };

struct ActionEntry {
  std::string_view word;  // the action word after the log time
  unsigned recordType;    // part 0
  unsigned weight;        // relative frequency within its file
  RecordShape shape;
  LogFile file;
};

constexpr ActionEntry kActions[] = {
    {"拾取", 1, 250, RecordShape::kItemMove, LogFile::kItems},
    {"怪物掉落", 2, 120, RecordShape::kItemMove, LogFile::kItems},
    {"死亡掉落", 3, 12, RecordShape::kItemMove, LogFile::kItems},
    {"丢弃", 4, 50, RecordShape::kItemMove, LogFile::kItems},
    {"丢弃消失", 4, 8, RecordShape::kItemMove, LogFile::kItems},
    {"持久消失", 5, 6, RecordShape::kItemMove, LogFile::kItems},
    {"仓库存", 6, 25, RecordShape::kItemMove, LogFile::kItems},
    {"存放仓库", 6, 15, RecordShape::kItemMove, LogFile::kItems},
    {"仓库取", 7, 25, RecordShape::kItemMove, LogFile::kItems},
    {"取回仓库", 7, 15, RecordShape::kItemMove, LogFile::kItems},
    {"系统制造", 8, 20, RecordShape::kItemMove, LogFile::kItems},
    {"gm制造", 8, 2, RecordShape::kItemMove, LogFile::kItems},
    {"GM制造", 8, 2, RecordShape::kItemMove, LogFile::kItems},
    {"商店制造|出售", 9, 30, RecordShape::kItemMove, LogFile::kItems},
    {"NPC收回", 10, 10, RecordShape::kItemMove, LogFile::kItems},
    {"npc收回", 10, 4, RecordShape::kItemMove, LogFile::kItems},
    {"商铺购买", 11, 60, RecordShape::kItemMove, LogFile::kItems},
    {"交易失去", 12, 100, RecordShape::kItemDeal, LogFile::kItems},
    {"交易得到", 12, 100, RecordShape::kItemDeal, LogFile::kItems},
    {"玩家购买", 13, 25, RecordShape::kItemDeal, LogFile::kItems},
    {"玩家出售", 13, 25, RecordShape::kItemDeal, LogFile::kItems},
    {"使用", 14, 70, RecordShape::kItemMove, LogFile::kItems},
    {"穿戴", 15, 30, RecordShape::kItemMove, LogFile::kItems},
    {"穿带", 15, 5, RecordShape::kItemMove, LogFile::kItems},
    {"脱下", 15, 25, RecordShape::kItemMove, LogFile::kItems},
    {"邮件提取", 16, 15, RecordShape::kItemDeal, LogFile::kItems},
    {"摆摊上架", 17, 15, RecordShape::kItemMove, LogFile::kItems},
    {"摆摊下架", 17, 8, RecordShape::kItemMove, LogFile::kItems},
    {"摆摊买入", 17, 12, RecordShape::kItemDeal, LogFile::kItems},
    {"上线", 20, 180, RecordShape::kSession, LogFile::kPlayers},
    {"登陆", 20, 120, RecordShape::kSession, LogFile::kPlayers},
    {"登录", 20, 120, RecordShape::kSession, LogFile::kPlayers},
    {"离线", 21, 130, RecordShape::kSession, LogFile::kPlayers},
    {"登出", 21, 70, RecordShape::kSession, LogFile::kPlayers},
    {"下线", 21, 110, RecordShape::kSession, LogFile::kPlayers},
    {"倒计时", 22, 8, RecordShape::kAdmin, LogFile::kPlayers},
    {"权限", 23, 4, RecordShape::kAdmin, LogFile::kPlayers},
    {"升级", 24, 60, RecordShape::kProgress, LogFile::kPlayers},
    {"经验", 24, 90, RecordShape::kProgress, LogFile::kPlayers},
    {"等级", 24, 25, RecordShape::kProgress, LogFile::kPlayers},
    {"货币", 25, 100, RecordShape::kCurrency, LogFile::kPlayers},
    {"英雄死亡", 26, 15, RecordShape::kDeath, LogFile::kPlayers},
    {"玩家死亡", 26, 40, RecordShape::kDeath, LogFile::kPlayers},
};

struct ItemEntry {
  std::string_view name;
  unsigned id;
  unsigned weight;  // consumables change hands far more often than gear
};

constexpr ItemEntry kItems[] = {
    {"屠龙刀", 1001, 1},        {"裁决之杖", 1002, 1},      {"骨玉权杖", 1003, 1},
    {"龙纹剑", 1004, 1},        {"嗜魂法杖", 1005, 1},      {"逍遥扇", 1006, 1},
    {"井中月", 1007, 1},        {"炼狱", 1008, 2},          {"银蛇", 1009, 2},
    {"魔杖", 1010, 2},          {"无极棍", 1011, 2},        {"血饮", 1012, 1},
    {"倚天剑", 1013, 1},        {"开天", 1014, 1},          {"镇天", 1015, 1},
    {"玄天", 1016, 1},          {"命运之刃", 1017, 1},      {"偃月", 1018, 2},
    {"天魔神甲", 2001, 1},      {"圣战宝甲", 2002, 1},      {"法神披风", 2003, 1},
    {"霓裳羽衣", 2004, 1},      {"天师长袍", 2005, 1},      {"天尊道袍", 2006, 1},
    {"重盔甲(男)", 2007, 2},    {"重盔甲(女)", 2008, 2},    {"魔法长袍(男)", 2009, 2},
    {"灵魂战衣(女)", 2010, 2},  {"布衣(男)", 2011, 3},      {"布衣(女)", 2012, 3},
    {"圣战头盔", 3001, 1},      {"法神头盔", 3002, 1},      {"天尊头盔", 3003, 1},
    {"记忆头盔", 3004, 1},      {"道士头盔", 3005, 2},      {"骷髅头盔", 3006, 2},
    {"圣战项链", 4001, 1},      {"法神项链", 4002, 1},      {"天尊项链", 4003, 1},
    {"绿色项链", 4004, 2},      {"灯笼项链", 4005, 2},      {"记忆项链", 4006, 1},
    {"幽灵项链", 4007, 2},      {"恶魔铃铛", 4008, 2},      {"记忆手镯", 5001, 1},
    {"死神手套", 5002, 2},      {"思贝儿手镯", 5003, 2},    {"龙之手镯", 5004, 1},
    {"圣战手镯", 5005, 1},      {"心灵手镯", 5006, 2},      {"骷髅戒指", 6001, 2},
    {"力量戒指", 6002, 2},      {"紫碧螺", 6003, 2},        {"泰坦戒指", 6004, 1},
    {"龙之戒指", 6005, 1},      {"记忆戒指", 6006, 1},      {"麻痹戒指", 6007, 1},
    {"护身戒指", 6008, 1},      {"复活戒指", 6009, 1},      {"金创药(小量)", 7001, 12},
    {"金创药(中量)", 7002, 10}, {"魔法药(小量)", 7003, 12}, {"魔法药(中量)", 7004, 10},
    {"强效金创药", 7005, 8},    {"强效魔法药", 7006, 8},    {"太阳水", 7007, 10},
    {"强效太阳水", 7008, 8},    {"万年雪霜", 7009, 6},      {"疗伤药", 7010, 6},
    {"超级金创药", 7011, 4},    {"随机传送卷", 8001, 8},    {"地牢逃脱卷", 8002, 6},
    {"回城卷", 8003, 8},        {"行会回城卷", 8004, 4},    {"盟重传送石", 8005, 3},
    {"比奇传送石", 8006, 3},    {"祝福油", 8007, 5},        {"战神油", 8008, 3},
    {"修复神水", 8009, 3},      {"黑铁矿石", 9001, 4},      {"金矿石", 9002, 3},
    {"银矿石", 9003, 3},        {"铜矿石", 9004, 3},        {"铁矿石", 9005, 3},
    {"烈火剑法", 9101, 1},      {"雷电术", 9102, 1},        {"召唤神兽", 9103, 1},
    {"魔法盾", 9104, 1},        {"治愈术", 9105, 1},        {"金条", 9201, 3},
    {"金砖", 9202, 2},          {"金盒", 9203, 1},          {"元宝", 9204, 4},
    {"灵符", 9205, 3},          {"沃玛号角", 9301, 1},      {"祖玛头像", 9302, 1},
    {"赤月恶魔的眼", 9303, 1},  {"神秘腰带", 9304, 1},
};

constexpr std::string_view kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "赵",   "黄",   "周",   "吴",   "徐", "孙",
    "胡", "朱", "高", "林", "何", "郭", "马",   "罗",   "梁",   "宋",   "郑", "谢",
    "韩", "唐", "冯", "于", "董", "萧", "欧阳", "上官", "慕容", "司马",
};

constexpr std::string_view kGivenChars[] = {
    "伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛",
    "明", "超", "秀", "霞", "平", "刚", "桂", "飞", "龙", "虎", "风", "云", "雪", "月", "星",
    "天", "宇", "轩", "浩", "然", "晨", "辰", "逸", "凡", "尘", "影", "寒", "冰", "炎", "雷",
};

constexpr std::string_view kNameWords[] = {
    "战神", "霸天", "无敌", "小龙", "月影", "风云", "傲世", "独孤", "狂刀", "剑圣",
    "法师", "道长", "孤狼", "夜雨", "血色", "残阳", "冷月", "天下", "至尊", "王者",
    "逍遥", "紫电", "青龙", "白虎", "玄武", "朱雀", "江湖", "浪子", "红颜", "兄弟",
};

constexpr std::string_view kNameAsciiTails[] = {"1",   "2",   "7", "8", "9",   "66",   "88", "99",
                                                "520", "666", "a", "X", "VIP", "King", "GG", "o0o"};

constexpr std::string_view kAccountWords[] = {"Player", "Dragon", "Wolf", "Sky",  "Tiger",
                                              "King",   "Star",   "Moon", "Hero", "Blade"};

constexpr std::string_view kMaps[] = {"0",     "1",     "2",    "3",    "4",    "5",
                                      "6",     "11",    "0150", "0122", "0139", "D001",
                                      "D2013", "D5071", "D717", "E605", "T133", "R001"};

constexpr std::string_view kMonsters[] = {"鸡",       "鹿",       "骷髅精灵", "沃玛教主",
                                          "祖玛教主", "赤月恶魔", "触龙神",   "牛魔王",
                                          "半兽人",   "白野猪",   "蜈蚣",     "黑色恶蛆"};

constexpr std::string_view kCurrencies[] = {"金币", "元宝", "绑定元宝", "绑定金币", "声望", "积分"};

constexpr std::string_view kRemarks[] = {
    "活动奖励",
    "首充礼包",
    "行会战奖励",
    "系统补偿",
    "任务奖励",
    "沙巴克奖励",
    "开箱获得",
    "合成获得",
    "分解获得",
    "在线奖励",
    "签到奖励",
    "攻城战利品",
    "充值返利",
    "背包已满",
    "绑定物品",
    "\"一刀九九九,装备全靠打,散人也能玩\"",
    "\"收购极品装备,价格公道,密我\"",
    "\"行会招人,要求等级五十以上,语音指挥\"",
    "\"老板,这把刀,多少钱\"",
};

constexpr std::string_view kAdminRemarks[] = {"服务器维护", "GM权限", "临时管理员", "活动开启"};

// ---------------------------------------------------------------------------------------------
// Encoding

// Turns UTF-8 text into the bytes of the output encoding. Only characters of the vocabulary
// above can be encoded to GBK: the map is built for them alone, at startup, by inverting the
// platform's GBK decoder, so the output decodes back exactly with the analyzer's own decoder.
class Encoder {
 public:
  Encoder(OutputEncoding encoding, std::span<const std::string_view> vocabulary)
      : encoding_(encoding) {
    if (encoding_ == OutputEncoding::kGbk) BuildGbkMap(vocabulary);
  }

  // Throws std::logic_error for a character outside the vocabulary the encoder was built for.
  std::string Encode(std::string_view utf8) const {
    const std::u16string text = platform::Utf8ToUtf16(utf8);
    if (encoding_ == OutputEncoding::kUtf8) return platform::Utf16ToUtf8(text);
    std::string bytes;
    for (const char16_t unit : text) {
      if (unit < 0x80) {
        bytes.push_back(static_cast<char>(unit));
        continue;
      }
      const auto code = gbk_.find(unit);
      if (code == gbk_.end() || code->second.empty()) {
        throw std::logic_error("no GBK code for a character of \"" + std::string(utf8) + "\"");
      }
      bytes += code->second;
    }
    return bytes;
  }

 private:
  void BuildGbkMap(std::span<const std::string_view> vocabulary) {
    for (const std::string_view word : vocabulary) {
      for (const char16_t unit : platform::Utf8ToUtf16(word)) {
        if (unit >= 0x80) gbk_.emplace(unit, std::string());
      }
    }
    const platform::TextDecoder& decoder = platform::TextDecoder::For(platform::kCodePageGbk);
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char sequence[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const std::u16string decoded =
            platform::Utf8ToUtf16(decoder.Decode(std::string_view(sequence, 2)));
        if (decoded.size() != 1) continue;
        const auto wanted = gbk_.find(decoded[0]);
        // The first sequence wins where two decode to the same character.
        if (wanted != gbk_.end() && wanted->second.empty()) {
          wanted->second.assign(sequence, 2);
        }
      }
    }
  }

  OutputEncoding encoding_;
  std::unordered_map<char16_t, std::string> gbk_;
};

// Every vocabulary word, for building the encoder.
std::vector<std::string_view> AllVocabulary() {
  std::vector<std::string_view> words;
  for (const ActionEntry& action : kActions)
    words.push_back(action.word);
  for (const ItemEntry& item : kItems)
    words.push_back(item.name);
  const auto add = [&words](std::span<const std::string_view> list) {
    words.insert(words.end(), list.begin(), list.end());
  };
  add(kSurnames);
  add(kGivenChars);
  add(kNameWords);
  add(kMonsters);
  add(kCurrencies);
  add(kRemarks);
  add(kAdminRemarks);
  return words;
}

std::vector<std::string> EncodeAll(const Encoder& encoder,
                                   std::span<const std::string_view> words) {
  std::vector<std::string> encoded;
  encoded.reserve(words.size());
  for (const std::string_view word : words)
    encoded.push_back(encoder.Encode(word));
  return encoded;
}

// The vocabulary in the output encoding, so that writing a line only copies bytes.
struct EncodedVocabulary {
  std::vector<std::string> actions;
  std::vector<std::string> items;
  std::vector<std::string> surnames;
  std::vector<std::string> givenChars;
  std::vector<std::string> nameWords;
  std::vector<std::string> monsters;
  std::vector<std::string> currencies;
  std::vector<std::string> remarks;
  std::vector<std::string> adminRemarks;

  explicit EncodedVocabulary(const Encoder& encoder)
      : surnames(EncodeAll(encoder, kSurnames)),
        givenChars(EncodeAll(encoder, kGivenChars)),
        nameWords(EncodeAll(encoder, kNameWords)),
        monsters(EncodeAll(encoder, kMonsters)),
        currencies(EncodeAll(encoder, kCurrencies)),
        remarks(EncodeAll(encoder, kRemarks)),
        adminRemarks(EncodeAll(encoder, kAdminRemarks)) {
    for (const ActionEntry& action : kActions)
      actions.push_back(encoder.Encode(action.word));
    for (const ItemEntry& item : kItems)
      items.push_back(encoder.Encode(item.name));
  }
};

// ---------------------------------------------------------------------------------------------
// Text helpers

void AppendNumber(std::string& out, std::integral auto value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void AppendTwoDigits(std::string& out, unsigned value) {
  out.push_back(static_cast<char>('0' + value / 10));
  out.push_back(static_cast<char>('0' + value % 10));
}

template <typename T>
const T& PickFrom(Rng& rng, const std::vector<T>& list) {
  return list[rng.Below(list.size())];
}

std::string_view PickFrom(Rng& rng, std::span<const std::string_view> list) {
  return list[rng.Below(list.size())];
}

// ---------------------------------------------------------------------------------------------
// Characters

struct Character {
  std::string account;  // ASCII
  std::string id;       // digits
  std::string name;     // output encoding
  int level;
  int serverLine;
};

constexpr std::size_t kCharacterCount = 4000;
// A tenth of the characters play most of the day: they get this share (per mille) of the lines.
constexpr unsigned kBusyCharacterShare = 400;

std::string MakeAccount(Rng& rng) {
  std::string account;
  const std::uint64_t style = rng.Below(100);
  if (style < 80) {
    account = "kr";
    AppendNumber(account, rng.Between(1000000, 9999999));
  } else if (style < 92) {
    constexpr std::string_view kPrefixes[] = {"Kr", "KR", "kR"};
    account = PickFrom(rng, kPrefixes);
    account += PickFrom(rng, kAccountWords);
    AppendNumber(account, rng.Between(1, 99));
  } else {
    account = "kr";
    for (const char c : PickFrom(rng, kAccountWords)) {
      account.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    AppendNumber(account, rng.Between(100, 9999));
  }
  return account;
}

// Two to six Chinese characters, sometimes with ASCII letters or digits after them.
std::string MakeName(Rng& rng, const EncodedVocabulary& vocabulary) {
  std::string name;
  const std::uint64_t style = rng.Below(100);
  if (style < 50) {
    name = PickFrom(rng, vocabulary.surnames);
    const int given = rng.Between(1, 2);
    for (int i = 0; i < given; ++i)
      name += PickFrom(rng, vocabulary.givenChars);
  } else if (style < 80) {
    const int words = rng.Between(2, 3);
    for (int i = 0; i < words; ++i)
      name += PickFrom(rng, vocabulary.nameWords);
  } else {
    name = PickFrom(rng, vocabulary.nameWords);
    name += PickFrom(rng, vocabulary.givenChars);
  }
  if (rng.Chance(150)) name += PickFrom(rng, kNameAsciiTails);
  return name;
}

std::vector<Character> MakeCharacters(Rng& rng, const EncodedVocabulary& vocabulary) {
  std::vector<Character> characters;
  characters.reserve(kCharacterCount);
  for (std::size_t i = 0; i < kCharacterCount; ++i) {
    Character character;
    character.account = MakeAccount(rng);
    AppendNumber(character.id, rng.Between(1000000, 29999999));
    character.name = MakeName(rng, vocabulary);
    // Many low characters, few high ones: the lower of two draws.
    const int level = rng.Between(1, 200);
    character.level = std::min(level, rng.Between(1, 200));
    character.serverLine = rng.Between(1, 8);
    characters.push_back(std::move(character));
  }
  return characters;
}

// ---------------------------------------------------------------------------------------------
// Lines

// How a line departs from the regular 17-part record. About one line in a hundred does.
enum class LineShape {
  kRegular,
  kFewerParts,  // cut after part 11 or part 15
  kMoreParts,   // three to six extra parts after part 16
  kBlank,
  kSpaces,
  kLeadingTab,
};

constexpr unsigned kIrregularPerMille = 10;
constexpr unsigned kIrregularShapeWeights[] = {0, 3, 3, 1, 1, 2};  // by LineShape

constexpr std::size_t kPartCount = 17;
constexpr std::int64_t kSecondsPerDay = 86400;

// Writes the lines of one file into a buffer that is flushed to disk in large chunks.
class FileWriter {
 public:
  FileWriter(const std::filesystem::path& path, LogFile kind, std::string_view date, Rng rng,
             const EncodedVocabulary& vocabulary, const std::vector<Character>& characters)
      : path_(path),
        date_(date),
        rng_(rng),
        vocabulary_(vocabulary),
        characters_(characters),
        out_(path, std::ios::binary | std::ios::trunc),
        actionPick_(ActionWeights(kind)),
        itemPick_(ItemWeights()),
        shapePick_(kIrregularShapeWeights) {
    if (!out_) Fail("cannot create");
    buffer_.reserve(kFlushBytes + 4096);
    line_.reserve(1024);
  }

  // Writes lines until the file holds at least `budget` bytes; times run from 00:00:00 to
  // 23:59:59 in step with the bytes written. Returns the number of lines.
  std::uint64_t Write(std::uint64_t budget) {
    std::uint64_t lines = 0;
    while (written_ + buffer_.size() < budget) {
      const std::uint64_t done = written_ + buffer_.size();
      const auto second =
          static_cast<std::int64_t>(done * static_cast<std::uint64_t>(kSecondsPerDay) / budget);
      AppendLine(std::min(second, kSecondsPerDay - 1));
      ++lines;
      if (buffer_.size() >= kFlushBytes) Flush();
    }
    Flush();
    out_.close();
    if (!out_) Fail("cannot write");
    return lines;
  }

  std::uint64_t BytesWritten() const { return written_; }

 private:
  static constexpr std::size_t kFlushBytes = 4 << 20;

  static std::vector<unsigned> ActionWeights(LogFile kind) {
    std::vector<unsigned> weights;
    for (const ActionEntry& action : kActions) {
      weights.push_back(action.file == kind ? action.weight : 0);
    }
    return weights;
  }

  static std::vector<unsigned> ItemWeights() {
    std::vector<unsigned> weights;
    for (const ItemEntry& item : kItems)
      weights.push_back(item.weight);
    return weights;
  }

  [[noreturn]] void Fail(std::string_view what) const {
    throw std::runtime_error(std::string(what) + " " + path_.string() + ": " +
                             std::error_code(errno, std::generic_category()).message());
  }

  void Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (!out_) Fail("cannot write");
    written_ += buffer_.size();
    buffer_.clear();
  }

  LineShape PickShape() {
    if (!rng_.Chance(kIrregularPerMille)) return LineShape::kRegular;
    return static_cast<LineShape>(shapePick_(rng_));
  }

  void AppendLine(std::int64_t second) {
    const LineShape shape = PickShape();
    switch (shape) {
      case LineShape::kBlank:
        break;
      case LineShape::kSpaces:
        buffer_.append(rng_.Below(8) + 1, ' ');
        break;
      case LineShape::kRegular:
        BuildRecord(second);
        buffer_ += line_;
        break;
      case LineShape::kLeadingTab:
        BuildRecord(second);
        buffer_ += '\t';
        buffer_ += line_;
        break;
      case LineShape::kFewerParts:
        BuildRecord(second);
        buffer_.append(line_, 0, partEnd_[rng_.Chance(500) ? 11 : 15]);
        break;
      case LineShape::kMoreParts:
        BuildRecord(second);
        buffer_ += line_;
        for (int extra = rng_.Between(3, 6); extra > 0; --extra) {
          buffer_ += '\t';
          if (rng_.Chance(500)) {
            AppendNumber(buffer_, rng_.Between(0, 9999));
          } else {
            buffer_ += PickFrom(rng_, vocabulary_.remarks);
          }
        }
        break;
    }
    buffer_ += "\r\n";
  }

  const Character& PickCharacter() {
    const std::size_t pool =
        rng_.Chance(kBusyCharacterShare) ? characters_.size() / 10 : characters_.size();
    return characters_[rng_.Below(pool)];
  }

  // Ends the current part and starts the next one.
  void EndPart() {
    partEnd_[part_++] = line_.size();
    line_ += '\t';
  }

  void NumberPart(std::integral auto value) {
    AppendNumber(line_, value);
    EndPart();
  }

  void TextPart(std::string_view text) {
    line_ += text;
    EndPart();
  }

  void AppendSerial() {
    // Traded and stored items come back: some serials repeat within the file.
    if (recentCount_ > 0 && rng_.Chance(150)) {
      AppendNumber(line_, recentSerials_[rng_.Below(recentCount_)]);
      return;
    }
    // Ten to sixteen digits; long-lived servers also hand out 17 to 19.
    const int digits = rng_.Chance(100) ? rng_.Between(17, 19) : rng_.Between(10, 16);
    std::uint64_t low = 1;
    for (int i = 1; i < digits; ++i)
      low *= 10;
    const std::uint64_t serial = low + rng_.Below(9 * low);
    recentSerials_[recentNext_] = serial;
    recentNext_ = (recentNext_ + 1) % recentSerials_.size();
    recentCount_ = std::min(recentCount_ + 1, recentSerials_.size());
    AppendNumber(line_, serial);
  }

  void AppendTime(std::int64_t second) {
    line_ += date_;
    line_ += ' ';
    AppendTwoDigits(line_, static_cast<unsigned>(second / 3600));
    line_ += ':';
    AppendTwoDigits(line_, static_cast<unsigned>(second / 60 % 60));
    line_ += ':';
    AppendTwoDigits(line_, static_cast<unsigned>(second % 60));
  }

  // Fills line_ with the 17 parts of one record, without line end, and partEnd_ with the end
  // offset of each part.
  void BuildRecord(std::int64_t second) {
    line_.clear();
    part_ = 0;
    const std::size_t actionIndex = actionPick_(rng_);
    const ActionEntry& action = kActions[actionIndex];
    const Character& who = PickCharacter();

    NumberPart(action.recordType);
    TextPart(who.account);
    TextPart(who.id);
    TextPart(who.name);
    NumberPart(who.serverLine);
    TextPart(PickFrom(rng_, kMaps));
    NumberPart(rng_.Between(0, 999));
    NumberPart(rng_.Between(0, 999));
    NumberPart(who.level);

    switch (action.shape) {
      case RecordShape::kItemMove:
      case RecordShape::kItemDeal: {
        const std::size_t item = itemPick_(rng_);
        AppendSerial();
        EndPart();
        NumberPart(kItems[item].id);
        TextPart(vocabulary_.items[item]);
        NumberPart(rng_.Between(1, 10));                          // count
        NumberPart(rng_.Chance(100) ? -1 : rng_.Between(0, 99));  // durability, -1 unknown
        if (action.shape == RecordShape::kItemDeal) {
          TextPart(PickCharacter().name);
        } else {
          TextPart(rng_.Chance(600) ? "0" : "");
        }
        TextPart(rng_.Chance(100) ? std::string_view(PickFrom(rng_, vocabulary_.remarks)) : "");
        break;
      }
      case RecordShape::kSession:
        TextPart("0");
        TextPart("0");
        TextPart("");
        NumberPart(rng_.Between(0, 600));  // minutes online
        NumberPart(0);
        TextPart("0");
        // The client's address: a public one, or a private one behind an internet cafe's router.
        if (rng_.Chance(300)) {
          line_ += "192.168.";
        } else {
          AppendNumber(line_, rng_.Between(27, 223));
          line_ += '.';
          AppendNumber(line_, rng_.Between(0, 255));
          line_ += '.';
        }
        AppendNumber(line_, rng_.Between(0, 255));
        line_ += '.';
        AppendNumber(line_, rng_.Between(1, 254));
        EndPart();
        break;
      case RecordShape::kProgress:
        TextPart("0");
        TextPart("0");
        TextPart("");
        NumberPart(who.level);
        NumberPart(rng_.Between(1, 5000));
        TextPart("0");
        TextPart("");
        break;
      case RecordShape::kCurrency: {
        const std::size_t currency = rng_.Below(vocabulary_.currencies.size());
        TextPart("0");
        NumberPart(currency);
        TextPart(vocabulary_.currencies[currency]);
        NumberPart(rng_.Chance(400) ? -rng_.Between(1, 9999) : rng_.Between(1, 9999));
        NumberPart(rng_.Below(4));
        TextPart(rng_.Chance(800) ? "0" : "");
        TextPart(rng_.Chance(300) ? std::string_view(PickFrom(rng_, vocabulary_.remarks)) : "");
        break;
      }
      case RecordShape::kDeath:
        TextPart("0");
        TextPart("0");
        TextPart("");
        NumberPart(0);
        NumberPart(rng_.Chance(200) ? -rng_.Between(1, 100) : 0);  // experience lost
        TextPart(rng_.Chance(500) ? PickCharacter().name : PickFrom(rng_, vocabulary_.monsters));
        TextPart("");
        break;
      case RecordShape::kAdmin:
        TextPart("0");
        TextPart("0");
        TextPart("");
        NumberPart(rng_.Between(1, 600));
        NumberPart(rng_.Between(0, 10));
        TextPart("0");
        TextPart(PickFrom(rng_, vocabulary_.adminRemarks));
        break;
    }

    AppendTime(second);
    line_ += ' ';
    line_ += vocabulary_.actions[actionIndex];
    partEnd_[part_++] = line_.size();
  }

  std::filesystem::path path_;
  std::string_view date_;
  Rng rng_;
  const EncodedVocabulary& vocabulary_;
  const std::vector<Character>& characters_;
  std::ofstream out_;
  WeightedPick actionPick_;
  WeightedPick itemPick_;
  WeightedPick shapePick_;

  std::string buffer_;
  std::uint64_t written_ = 0;
  std::string line_;
  std::array<std::size_t, kPartCount> partEnd_{};
  std::size_t part_ = 0;
  std::array<std::uint64_t, 64> recentSerials_{};
  std::size_t recentNext_ = 0;
  std::size_t recentCount_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The tree

std::string FormatDate(const std::chrono::year_month_day& date) {
  std::string text;
  AppendNumber(text, static_cast<int>(date.year()));
  text += '-';
  AppendTwoDigits(text, static_cast<unsigned>(date.month()));
  text += '-';
  AppendTwoDigits(text, static_cast<unsigned>(date.day()));
  return text;
}

struct Summary {
  std::uint64_t files = 0;
  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
  std::string firstDate;
  std::string lastDate;
};

Summary Generate(const Options& options) {
  const std::vector<std::string_view> words = AllVocabulary();
  const Encoder encoder(options.encoding, words);
  const EncodedVocabulary vocabulary(encoder);
  Rng characterRng(DeriveSeed(options.seed, 0));
  const std::vector<Character> characters = MakeCharacters(characterRng, vocabulary);

  const std::filesystem::path base = options.root / "LogServer" / "BaseDir";
  const std::chrono::sys_days first = options.start;
  const std::uint64_t fileCount = std::uint64_t{options.days} * options.filesPerDay;

  Summary summary;
  for (unsigned day = 0; day < options.days; ++day) {
    const std::string date =
        FormatDate(std::chrono::year_month_day{first + std::chrono::days{day}});
    if (day == 0) summary.firstDate = date;
    summary.lastDate = date;
    const std::filesystem::path folder = base / date;
    std::filesystem::create_directories(folder);
    for (unsigned file = 0; file < options.filesPerDay; ++file) {
      const bool last = file + 1 == options.filesPerDay;
      const LogFile kind = last ? LogFile::kPlayers : LogFile::kItems;
      const std::string name = last ? "player.txt" : "item_" + std::to_string(file + 1) + ".log";
      // Share the bytes evenly; the first files take the remainder.
      const std::uint64_t ordinal = std::uint64_t{day} * options.filesPerDay + file;
      const std::uint64_t budget =
          options.totalBytes / fileCount + (ordinal < options.totalBytes % fileCount ? 1 : 0);
      FileWriter writer(folder / name, kind, date, Rng(DeriveSeed(options.seed, ordinal + 1)),
                        vocabulary, characters);
      summary.lines += writer.Write(budget);
      summary.bytes += writer.BytesWritten();
      ++summary.files;
    }
  }
  return summary;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Options> options;
  try {
    std::span<char* const> args(argv, static_cast<std::size_t>(argc));
    if (!args.empty()) args = args.subspan(1);  // the program's own name
    options = ParseOptions(args);
  } catch (const UsageError& error) {
    std::cerr << "loggen: " << error.what() << "\n" << kUsage;
    return 2;
  }
  if (!options) {
    std::cout << kUsage;
    return 0;
  }
  try {
    const Summary summary = Generate(*options);
    std::cout << "loggen: " << summary.files << " files, " << summary.lines << " lines, "
              << summary.bytes << " bytes ("
              << (options->encoding == OutputEncoding::kGbk ? "gbk" : "utf8") << ", "
              << summary.firstDate << " to " << summary.lastDate << ") in "
              << (options->root / "LogServer" / "BaseDir").string() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "loggen: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
