// Win32Platform: processes, the shell, shell links and shell verbs.
#include "platform/win32/Win32Platform.h"

#include <utility>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace sk {

using namespace win32;

namespace {

// nullptr for an empty text: the shell treats a missing verb, parameter or folder as "default".
const wchar_t* OrNull(const std::wstring& s) {
  return s.empty() ? nullptr : s.c_str();
}

// Splits a path at its last backslash into folder and name (in UTF-16, where a backslash is
// never part of a double-byte character).
std::pair<std::wstring, std::wstring> SplitPath(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return {std::wstring(), path};
  std::wstring folder = path.substr(0, cut);
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // "C:" is the drive's root
  return {folder, path.substr(cut + 1)};
}

[[noreturn]] void ShellFailure(const char* call, const std::string& path, HRESULT hr) {
  throw Error(std::string("shell verbs of ") + path + ": " + call +
              " failed: " + SystemReason(static_cast<uint32_t>(hr)));
}

}  // namespace

namespace {

class Win32ChildProcess : public ChildProcess {
 public:
  explicit Win32ChildProcess(Handle process) : process_(std::move(process)) {}
  bool Wait(uint32_t timeoutMs) override {
    return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
  }

 private:
  Handle process_;
};

}  // namespace

std::unique_ptr<ChildProcess> Win32Platform::StartProcess(const std::string& commandLine,
                                                          int showCommand) {
  std::wstring cmd = Wide(commandLine);
  std::vector<wchar_t> buffer(cmd.begin(), cmd.end());  // CreateProcessW may modify it
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return nullptr;
  Handle thread(pi.hThread);
  return std::make_unique<Win32ChildProcess>(Handle(pi.hProcess));
}

bool Win32Platform::StartProgram(const std::string& commandLine, int showCommand) {
  return StartProcess(commandLine, showCommand) != nullptr;  // not waited for: closed at once
}

bool Win32Platform::ShellExecute(const std::string& verb, const std::string& file,
                                 const std::string& params, const std::string& dir,
                                 int showCommand) {
  std::wstring v = Wide(verb), f = Wide(file), p = Wide(params), d = Wide(dir);
  HINSTANCE r = ShellExecuteW(nullptr, OrNull(v), f.c_str(), OrNull(p), OrNull(d), showCommand);
  return reinterpret_cast<INT_PTR>(r) > 32;
}

bool Win32Platform::ShellExecuteAndWait(const std::string& file, const std::string& params,
                                        int showCommand, const std::function<void()>& pump,
                                        const std::function<bool()>& stop) {
  ComInit com;  // ShellExecuteEx may use COM for shell extensions
  std::wstring f = Wide(file), p = Wide(params);
  SHELLEXECUTEINFOW sei{};
  sei.cbSize = sizeof sei;
  // No error box from the shell: a program that cannot be started is passed over silently.
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  sei.lpFile = f.c_str();
  sei.lpParameters = OrNull(p);
  sei.nShow = showCommand;
  if (!ShellExecuteExW(&sei)) return false;
  Handle process(sei.hProcess);  // null when the request was handed to a running program
  if (!process) return true;
  while (WaitForSingleObject(process.get(), 10) == WAIT_TIMEOUT) {
    if (pump) pump();
    if (stop && stop()) break;
  }
  return true;
}

bool Win32Platform::CreateShellLink(const std::string& linkPath, const ShellLinkInfo& link) {
  ComInit com;
  if (!com.ok()) return false;
  ComPtr<IShellLinkW> sl;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              sl.putVoid())))
    return false;
  // The order matters to some shell-link implementations: it is the order the setup has always
  // used. Results of the single setters are not checked; Save reports the outcome.
  sl->SetShowCmd(link.showCommand);
  if (!link.iconPath.empty()) sl->SetIconLocation(Wide(link.iconPath).c_str(), link.iconIndex);
  sl->SetArguments(Wide(link.arguments).c_str());
  sl->SetDescription(Wide(link.description).c_str());
  sl->SetPath(Wide(link.target).c_str());
  sl->SetWorkingDirectory(Wide(link.workingDir).c_str());
  ComPtr<IPersistFile> pf;
  if (FAILED(sl.As(pf))) return false;
  return SUCCEEDED(pf->Save(Wide(linkPath).c_str(), FALSE));
}

std::optional<ShellLinkInfo> Win32Platform::ReadShellLink(const std::string& linkPath) {
  ComInit com;
  if (!com.ok()) return std::nullopt;
  ComPtr<IShellLinkW> sl;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              sl.putVoid())))
    return std::nullopt;
  ComPtr<IPersistFile> pf;
  if (FAILED(sl.As(pf)) || FAILED(pf->Load(Wide(linkPath).c_str(), STGM_READ))) return std::nullopt;
  // INFOTIPSIZE (1024) is the documented limit of arguments and description.
  std::vector<wchar_t> buf(std::max<size_t>(MAX_PATH, INFOTIPSIZE) + 1);
  auto text = [&](auto getter) {
    buf[0] = L'\0';
    getter(buf.data(), static_cast<int>(buf.size()));
    buf.back() = L'\0';
    return Narrow(buf.data());
  };
  ShellLinkInfo info;
  info.target = text([&](wchar_t* b, int n) { sl->GetPath(b, n, nullptr, SLGP_RAWPATH); });
  info.arguments = text([&](wchar_t* b, int n) { sl->GetArguments(b, n); });
  info.description = text([&](wchar_t* b, int n) { sl->GetDescription(b, n); });
  info.workingDir = text([&](wchar_t* b, int n) { sl->GetWorkingDirectory(b, n); });
  int iconIndex = 0;
  info.iconPath = text([&](wchar_t* b, int n) { sl->GetIconLocation(b, n, &iconIndex); });
  info.iconIndex = iconIndex;
  int showCmd = SW_SHOWNORMAL;
  if (SUCCEEDED(sl->GetShowCmd(&showCmd))) info.showCommand = showCmd;
  return info;
}

int Win32Platform::InvokeShellVerbs(const std::string& path, const std::string& verbText) {
  // An empty text would match every verb (delete, properties, ...): nothing to invoke.
  if (verbText.empty()) return 0;
  std::wstring wanted = Wide(verbText);
  auto [folderPath, fileName] = SplitPath(Wide(path));
  if (fileName.empty()) return 0;

  ComInit com;
  if (!com.ok()) throw Error("shell verbs of " + path + ": COM cannot be initialised");
  ComPtr<IShellDispatch> shell;
  HRESULT hr = CoCreateInstance(CLSID_Shell, nullptr, CLSCTX_INPROC_SERVER, IID_IShellDispatch,
                                shell.putVoid());
  if (FAILED(hr)) ShellFailure("creating the shell automation object", path, hr);

  Variant dir;
  dir.get()->vt = VT_BSTR;
  dir.get()->bstrVal = SysAllocString(folderPath.c_str());  // freed by VariantClear
  ComPtr<Folder> folder;
  hr = shell->NameSpace(*dir.get(), folder.put());
  if (FAILED(hr)) ShellFailure("NameSpace", path, hr);
  if (!folder) return 0;  // no such folder: nothing to pin

  Bstr name(SysAllocString(fileName.c_str()));
  ComPtr<FolderItem> item;
  hr = folder->ParseName(name.get(), item.put());
  if (FAILED(hr)) ShellFailure("ParseName", path, hr);
  if (!item) return 0;  // no such item

  ComPtr<FolderItemVerbs> verbs;
  hr = item->Verbs(verbs.put());
  if (FAILED(hr)) ShellFailure("Verbs", path, hr);
  if (!verbs) return 0;
  long count = 0;
  hr = verbs->get_Count(&count);
  if (FAILED(hr)) ShellFailure("Verbs.Count", path, hr);

  int invoked = 0;
  for (long i = 0; i < count; ++i) {
    Variant index;
    index.get()->vt = VT_I4;
    index.get()->lVal = i;
    ComPtr<FolderItemVerb> verb;
    hr = verbs->Item(*index.get(), verb.put());
    if (FAILED(hr)) ShellFailure("Verbs.Item", path, hr);
    if (!verb) continue;
    Bstr verbName;
    hr = verb->get_Name(verbName.put());
    if (FAILED(hr)) ShellFailure("Verb.Name", path, hr);
    std::wstring_view text(verbName.get() ? verbName.get() : L"",
                           verbName.get() ? SysStringLen(verbName.get()) : 0);
    if (text.find(wanted) == std::wstring_view::npos) continue;
    hr = verb->DoIt();
    if (FAILED(hr)) ShellFailure("Verb.DoIt", path, hr);
    ++invoked;
  }
  return invoked;
}

}  // namespace sk
