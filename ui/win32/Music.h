// The wizard's background music through MCI (Windows only). The multimedia library is loaded
// at run time from the system folder by its full path — never linked statically and never by
// bare name, since the setup usually runs from a downloads folder where a planted copy could
// sit. A file that cannot be opened or played plays nothing, silently.
#pragma once

#include <windows.h>

#include <string>

namespace sk::ui {

class TMediaPlayer {
 public:
  TMediaPlayer();
  ~TMediaPlayer();
  TMediaPlayer(const TMediaPlayer&) = delete;
  TMediaPlayer& operator=(const TMediaPlayer&) = delete;

  // Opens `file` (closing what was open) and plays it from the beginning.
  void Play(const std::string& file);
  bool HasFile() const { return !file_.empty(); }
  const std::string& FileName() const { return file_; }
  // True when the device reports its position equal to its length (playback has ended);
  // false when either cannot be queried.
  bool AtEnd();

 private:
  using SendString = unsigned long(WINAPI*)(const wchar_t*, wchar_t*, unsigned, HWND);
  std::wstring Query(const wchar_t* command);
  bool Send(const std::wstring& command);
  void CloseDevice();

  HMODULE winmm_ = nullptr;
  SendString send_ = nullptr;
  std::string file_;
  bool open_ = false;
};

}  // namespace sk::ui
