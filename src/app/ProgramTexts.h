#pragma once
#include <string_view>

// The program's own texts, as UTF-8 literals of the source; they become GBK
// (codepage::Gbk) or UTF-16 (W) where they are used.
namespace texts {
inline constexpr std::string_view kMainTitle = "Tessivar";
inline constexpr std::string_view kVersionLabel = "版本号：";
inline constexpr std::string_view kConversionTitle = "数据转换";
inline constexpr std::string_view kNoticeTitle = "提示信息";
inline constexpr std::string_view kAlreadyRunning = "程序已运行，请确定！";
inline constexpr std::string_view kCloseQuestion = "确定关闭吗？";
inline constexpr std::string_view kCloseTitle = "关闭嗅探器";
inline constexpr std::string_view kListenLabel = "监听：";
inline constexpr std::string_view kListenState = "监听状态：";
inline constexpr std::string_view kStart = "开始";
inline constexpr std::string_view kStop = "停止";
inline constexpr std::string_view kClear = "清空";

inline constexpr std::string_view kColumnTitles[7] = {
    "协议", "源地址", "源端口", "目标地址", "目标端口", "数据长度（字节）", "数据内容"};

inline constexpr std::string_view kMenuMain = "菜单";
inline constexpr std::string_view kMenuUpgrade = "升级";
inline constexpr std::string_view kMenuCheckUpdate = "检测升级";
inline constexpr std::string_view kMenuCopy = "复制";
inline constexpr std::string_view kMenuAbout = "关于";
inline constexpr std::string_view kMenuConvert = "数据待转";
inline constexpr std::string_view kMenuChangeEncoding = "更改编码转换";
inline constexpr std::string_view kMenuOneKey = "一键转换";
inline constexpr std::string_view kMenuSaveData = "保存数据";
inline constexpr std::string_view kMenuSave = "保存";
// The nine single conversions, in menu order.
inline constexpr std::string_view kConversionItems[9] = {
    "繁体到简体",     "繁体到Big5",        "Big5到简体",
    "Gb2312到Utf8",   "Utf8到Gb2312",      "编码Usc2到Ansi",
    "编码Usc2到Ansi_EX", "编码Unicode到Ansi", "编码Utf8到Ansi"};
}  // namespace texts
