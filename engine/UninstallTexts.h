// The GBK texts of the uninstaller and of the undo of a failed install; the comment beside each
// gives the text in readable form.
#pragma once

#include <string>

namespace sk::uninstall_text {

// Why a record was left alone.
// "按安装设置保留" (kept as the install set it)
inline constexpr char kKeptByFlag[] = "\xB0\xB4\xB0\xB2\xD7\xB0\xC9\xE8\xD6\xC3\xB1\xA3\xC1\xF4";
// "其中还有其他内容" (it still holds other content)
inline constexpr char kNotEmpty[] =
    "\xC6\xE4\xD6\xD0\xBB\xB9\xD3\xD0\xC6\xE4\xCB\xFB\xC4\xDA\xC8\xDD";
// "受保护的位置" (a protected place)
inline constexpr char kProtected[] = "\xCA\xDC\xB1\xA3\xBB\xA4\xB5\xC4\xCE\xBB\xD6\xC3";
// "路径无效" (invalid path)
inline constexpr char kBadPath[] = "\xC2\xB7\xBE\xB6\xCE\xDE\xD0\xA7";
// "无法识别的记录" (a record that cannot be attributed)
inline constexpr char kUnknownRecord[] = "\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0\xB5\xC4\xBC\xC7\xC2\xBC";
// "无法删除（正在使用或拒绝访问）" (cannot be removed: in use or access denied)
inline constexpr char kCannotRemove[] =
    "\xCE\xDE\xB7\xA8\xC9\xBE\xB3\xFD\xA3\xA8\xD5\xFD\xD4\xDA\xCA\xB9\xD3\xC3\xBB\xF2\xBE\xDC\xBE"
    "\xF8\xB7\xC3\xCE\xCA\xA3\xA9";

// The uninstaller's window and boxes.
// "确实要完全删除“" + product + "”及其所有组件吗？" (remove the product and all its components?)
inline constexpr char kAskOpen[] =
    "\xC8\xB7\xCA\xB5\xD2\xAA\xCD\xEA\xC8\xAB\xC9\xBE\xB3\xFD\xA1\xB0";
inline constexpr char kAskClose[] =
    "\xA1\xB1\xBC\xB0\xC6\xE4\xCB\xF9\xD3\xD0\xD7\xE9\xBC\xFE\xC2\xF0\xA3\xBF";
// "“" + product + "”卸载" (uninstall of the product): the progress window's caption
inline constexpr char kCaptionOpen[] = "\xA1\xB0";
inline constexpr char kCaptionClose[] = "\xA1\xB1\xD0\xB6\xD4\xD8";
// "卸载" (uninstall): caption when the product is not known
inline constexpr char kUninstall[] = "\xD0\xB6\xD4\xD8";
// "正在删除" (removing)
inline constexpr char kRemoving[] = "\xD5\xFD\xD4\xDA\xC9\xBE\xB3\xFD";
// "已成功从计算机中删除“" + product + "”。" (the product was removed from the computer)
inline constexpr char kDoneOpen[] =
    "\xD2\xD1\xB3\xC9\xB9\xA6\xB4\xD3\xBC\xC6\xCB\xE3\xBB\xFA\xD6\xD0\xC9\xBE\xB3\xFD\xA1\xB0";
inline constexpr char kDoneClose[] = "\xA1\xB1\xA1\xA3";
// "卸载完成。" (uninstall finished.)
inline constexpr char kFinished[] = "\xD0\xB6\xD4\xD8\xCD\xEA\xB3\xC9\xA1\xA3";
// "以下项目无法删除：" (these items could not be removed:)
inline constexpr char kNotRemoved[] =
    "\xD2\xD4\xCF\xC2\xCF\xEE\xC4\xBF\xCE\xDE\xB7\xA8\xC9\xBE\xB3\xFD\xA3\xBA";
// "卸载日志丢失或已损坏，无法卸载。" (the uninstall log is missing or damaged; cannot uninstall)
inline constexpr char kBadLog[] =
    "\xD0\xB6\xD4\xD8\xC8\xD5\xD6\xBE\xB6\xAA\xCA\xA7\xBB\xF2\xD2\xD1\xCB\xF0\xBB\xB5\xA3\xAC\xCE"
    "\xDE\xB7\xA8\xD0\xB6\xD4\xD8\xA1\xA3";

// "卸载日志不属于本产品的安装，或在安装后已被更改，无法卸载。" (the uninstall log does not belong
// to an install of this product, or it was changed after the install; cannot uninstall)
inline constexpr char kUntrustedLog[] =
    "\xD0\xB6\xD4\xD8\xC8\xD5\xD6\xBE\xB2\xBB\xCA\xF4\xD3\xDA\xB1\xBE\xB2\xFA\xC6\xB7\xB5\xC4\xB0"
    "\xB2\xD7\xB0\xA3\xAC\xBB\xF2\xD4\xDA\xB0\xB2\xD7\xB0\xBA\xF3\xD2\xD1\xB1\xBB\xB8\xFC\xB8\xC4"
    "\xA3"
    "\xAC\xCE\xDE\xB7\xA8\xD0\xB6\xD4\xD8\xA1\xA3";

// The undo of a failed install.
// "安装未完成，已撤销本次安装所做的更改。" (the install did not finish; its changes were undone)
inline constexpr char kUndone[] =
    "\xB0\xB2\xD7\xB0\xCE\xB4\xCD\xEA\xB3\xC9\xA3\xAC\xD2\xD1\xB3\xB7\xCF\xFA\xB1\xBE\xB4\xCE\xB0"
    "\xB2\xD7\xB0\xCB\xF9\xD7\xF6\xB5\xC4\xB8\xFC\xB8\xC4\xA1\xA3";
// "被替换的原有文件无法恢复，保留为新的版本。" (replaced files cannot be restored; they stay new)
inline constexpr char kReplacedStay[] =
    "\xB1\xBB\xCC\xE6\xBB\xBB\xB5\xC4\xD4\xAD\xD3\xD0\xCE\xC4\xBC\xFE\xCE\xDE\xB7\xA8\xBB\xD6\xB8"
    "\xB4\xA3\xAC\xB1\xA3\xC1\xF4\xCE\xAA\xD0\xC2\xB5\xC4\xB0\xE6\xB1\xBE\xA1\xA3";
// "以下项目无法撤销：" (these items could not be undone:)
inline constexpr char kNotUndone[] =
    "\xD2\xD4\xCF\xC2\xCF\xEE\xC4\xBF\xCE\xDE\xB7\xA8\xB3\xB7\xCF\xFA\xA3\xBA";

}  // namespace sk::uninstall_text
