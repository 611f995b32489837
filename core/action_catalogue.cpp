#include "core/action_catalogue.h"

namespace core {

const std::array<std::u16string_view, kActionEntryCount> ACTION_TEXTS = {
    u"选择全部",     u"物品相关",     u"取回仓库物品", u"存放仓库物品", u"拾取地面物品",
    u"系统制造物品", u"ＧＭ制造物品", u"商店制造物品", u"商店回收物品", u"物品持久消失",
    u"物品掉落销毁", u"物品丢弃销毁", u"商铺购买物品", u"交易失去物品", u"交易得到物品",
    u"玩家购买物品", u"玩家出售物品", u"玩家使用物品", u"玩家穿戴物品", u"玩家脱下物品",
    u"死亡掉落物品", u"怪物掉落物品", u"邮件提取物品", u"摆摊上架物品", u"摆摊下架物品",
    u"摆摊买入物品", u"玩家行为",     u"玩家上线登陆", u"玩家离线登出", u"玩家行为记录",
    u"玩家货币记录", u"玩家死亡记录", u"英雄死亡记录",
};

namespace {

using K = std::u16string_view;
constexpr K kMonsterDrop[] = {u"怪物掉落"};
constexpr K kDeathDrop[] = {u"死亡掉落"};
constexpr K kFromStorage[] = {u"仓库取", u"取回仓库"};
constexpr K kToStorage[] = {u"仓库存", u"存放仓库"};
constexpr K kPickUp[] = {u"拾取"};
constexpr K kSystemMade[] = {u"系统制造"};
constexpr K kGmMade[] = {u"gm制造", u"GM制造"};
constexpr K kShopMade[] = {u"|"};
constexpr K kShopTakeBack[] = {u"NPC收回"};
constexpr K kWornOut[] = {u"持久消失"};
constexpr K kDropVanish[] = {u"丢弃消失"};
constexpr K kDiscard[] = {u"丢弃"};
constexpr K kStoreBuy[] = {u"商铺购买"};
constexpr K kTradeLost[] = {u"交易失去"};
constexpr K kTradeGot[] = {u"交易得到"};
constexpr K kPlayerBuy[] = {u"玩家购买"};
constexpr K kPlayerSell[] = {u"玩家出售"};
constexpr K kUse[] = {u"使用"};
constexpr K kWear[] = {u"穿带", u"穿戴"};
constexpr K kTakeOff[] = {u"脱下"};
constexpr K kMail[] = {u"邮件提取"};
constexpr K kStallPut[] = {u"摆摊上架"};
constexpr K kStallRemove[] = {u"摆摊下架"};
constexpr K kStallBuy[] = {u"摆摊买入"};
constexpr K kLogin[] = {u"上线", u"登陆", u"登录"};
constexpr K kLogout[] = {u"离线", u"登出", u"下线"};
constexpr K kBehaviour[] = {u"倒计时", u"权限", u"升级", u"经验", u"等级"};
constexpr K kCurrency[] = {u"货币"};
constexpr K kPlayerDeath[] = {u""};
constexpr K kHeroDeath[] = {u"英雄死亡"};

}  // namespace

const std::array<TActionKeywordRow, kActionKeywordRowCount> ACTION_KEYWORD_ROWS = {{
    {u"怪物掉落物品", kMonsterDrop},  {u"死亡掉落物品", kDeathDrop},
    {u"取回仓库物品", kFromStorage},  {u"存放仓库物品", kToStorage},
    {u"拾取地面物品", kPickUp},       {u"系统制造物品", kSystemMade},
    {u"ＧＭ制造物品", kGmMade},       {u"商店制造物品", kShopMade},
    {u"商店回收物品", kShopTakeBack}, {u"物品持久消失", kWornOut},
    {u"物品掉落销毁", kDropVanish},   {u"物品丢弃销毁", kDiscard},
    {u"商铺购买物品", kStoreBuy},     {u"交易失去物品", kTradeLost},
    {u"交易得到物品", kTradeGot},     {u"玩家购买物品", kPlayerBuy},
    {u"玩家出售物品", kPlayerSell},   {u"玩家使用物品", kUse},
    {u"玩家穿戴物品", kWear},         {u"玩家脱下物品", kTakeOff},
    {u"邮件提取物品", kMail},         {u"摆摊上架物品", kStallPut},
    {u"摆摊下架物品", kStallRemove},  {u"摆摊买入物品", kStallBuy},
    {u"玩家上线登陆", kLogin},        {u"玩家离线登出", kLogout},
    {u"玩家行为记录", kBehaviour},    {u"玩家货币记录", kCurrency},
    {u"玩家死亡记录", kPlayerDeath},  {u"英雄死亡记录", kHeroDeath},
}};

}  // namespace core
