#include "ui/win32/Music.h"

#include "ui/win32/Controls.h"

namespace sk::ui {

namespace {
const wchar_t kAlias[] = L"sk_setup_music";
}

TMediaPlayer::TMediaPlayer() {
  wchar_t system[MAX_PATH];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  winmm_ = LoadLibraryW((std::wstring(system, n) + L"\\winmm.dll").c_str());
  if (winmm_) send_ = reinterpret_cast<SendString>(GetProcAddress(winmm_, "mciSendStringW"));
}

TMediaPlayer::~TMediaPlayer() {
  CloseDevice();
  if (winmm_) FreeLibrary(winmm_);
}

bool TMediaPlayer::Send(const std::wstring& command) {
  return send_ && send_(command.c_str(), nullptr, 0, nullptr) == 0;
}

std::wstring TMediaPlayer::Query(const wchar_t* command) {
  wchar_t answer[64] = {};
  if (!send_ || send_((std::wstring(command)).c_str(), answer, 64, nullptr) != 0) return L"";
  return answer;
}

void TMediaPlayer::CloseDevice() {
  if (open_) Send(std::wstring(L"close ") + kAlias);
  open_ = false;
}

void TMediaPlayer::Play(const std::string& file) {
  CloseDevice();
  file_ = file;
  if (file.empty()) return;
  open_ = Send(L"open \"" + Wide(file) + L"\" alias " + kAlias);
  if (!open_) return;
  Send(std::wstring(L"set ") + kAlias + L" time format milliseconds");
  Send(std::wstring(L"play ") + kAlias + L" from 0");
}

bool TMediaPlayer::AtEnd() {
  if (!open_) return false;
  const std::wstring position = Query((std::wstring(L"status ") + kAlias + L" position").c_str());
  const std::wstring length = Query((std::wstring(L"status ") + kAlias + L" length").c_str());
  return !position.empty() && position == length;
}

}  // namespace sk::ui
