// The GBK texts of the sentences that tell the user why an install could not write a file.
// A sentence is an opening ("无法创建“" + path) and a cause; the comment beside each text gives
// it in readable form.
#pragma once

namespace sk::file_error_text {

// "无法创建“" (cannot create ")
inline constexpr char kCannotCreate[] = "\xCE\xDE\xB7\xA8\xB4\xB4\xBD\xA8\xA1\xB0";
// "无法覆盖“" (cannot overwrite ")
inline constexpr char kCannotOverwrite[] = "\xCE\xDE\xB7\xA8\xB8\xB2\xB8\xC7\xA1\xB0";
// "无法写入“" (cannot write ")
inline constexpr char kCannotWrite[] = "\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xA1\xB0";
// "”：" (": (the cause follows))
inline constexpr char kBecause[] = "\xA1\xB1\xA3\xBA";
// "”。" (". (no cause known))
inline constexpr char kEnd[] = "\xA1\xB1\xA1\xA3";
// "“" (" + a folder on the path + ")
inline constexpr char kParentIsFileOpen[] = "\xA1\xB0";
// "”是一个文件，不是文件夹。" (is a file, not a folder)
inline constexpr char kParentIsFileClose[] =
    "\xA1\xB1\xCA\xC7\xD2\xBB\xB8\xF6\xCE\xC4\xBC\xFE\xA3\xAC\xB2\xBB\xCA\xC7\xCE\xC4\xBC\xFE\xBC"
    "\xD0\xA1\xA3";
// "文件夹“" (the folder ")
inline constexpr char kParentMissingOpen[] = "\xCE\xC4\xBC\xFE\xBC\xD0\xA1\xB0";
// "”不存在。" (" does not exist)
inline constexpr char kParentMissingClose[] = "\xA1\xB1\xB2\xBB\xB4\xE6\xD4\xDA\xA1\xA3";
// "已有同名的文件夹。" (a folder of that name exists)
inline constexpr char kFolderSameName[] =
    "\xD2\xD1\xD3\xD0\xCD\xAC\xC3\xFB\xB5\xC4\xCE\xC4\xBC\xFE\xBC\xD0\xA1\xA3";
// "该文件是只读、隐藏或系统文件。" (the file is read-only, hidden or a system file)
inline constexpr char kReadOnly[] =
    "\xB8\xC3\xCE\xC4\xBC\xFE\xCA\xC7\xD6\xBB\xB6\xC1\xA1\xA2\xD2\xFE\xB2\xD8\xBB\xF2\xCF\xB5\xCD"
    "\xB3\xCE\xC4\xBC\xFE\xA1\xA3";
// "该文件正在使用中，可能是程序或其卸载程序正在运行。" (the file is in use: the program or its
// uninstaller may be running)
inline constexpr char kInUse[] =
    "\xB8\xC3\xCE\xC4\xBC\xFE\xD5\xFD\xD4\xDA\xCA\xB9\xD3\xC3\xD6\xD0\xA3\xAC\xBF\xC9\xC4\xDC\xCA"
    "\xC7\xB3\xCC\xD0\xF2\xBB\xF2\xC6\xE4\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2\xD5\xFD\xD4\xDA\xD4\xCB"
    "\xD0\xD0\xA1\xA3";
// "拒绝访问，可能需要管理员权限。" (access denied: administrator rights may be needed)
inline constexpr char kAccessDenied[] =
    "\xBE\xDC\xBE\xF8\xB7\xC3\xCE\xCA\xA3\xAC\xBF\xC9\xC4\xDC\xD0\xE8\xD2\xAA\xB9\xDC\xC0\xED\xD4"
    "\xB1\xC8\xA8\xCF\xDE\xA1\xA3";
// "磁盘空间不足。" (the disk is full)
inline constexpr char kDiskFull[] = "\xB4\xC5\xC5\xCC\xBF\xD5\xBC\xE4\xB2\xBB\xD7\xE3\xA1\xA3";

}  // namespace sk::file_error_text
