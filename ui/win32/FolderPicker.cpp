#include "ui/win32/FolderPicker.h"

#include "ui/win32/Views.texts.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

namespace sk::ui {

namespace {
const std::string kCaption = view_text::kPickerCaption;
const std::string kHint = view_text::kPickerHint;
const std::string kOk = view_text::kPickerOk;
const std::string kCancel = view_text::kPickerCancel;

struct PidlFree {
  void operator()(ITEMIDLIST* p) const { CoTaskMemFree(p); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

// Releases a COM interface pointer.
template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** put() { return &p; }
  T* operator->() const { return p; }
};

// Keeps COM initialised on this thread while alive (a no-op when it already is).
struct ComScope {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

Pidl Concat(const ITEMIDLIST* parent, const ITEMIDLIST* child) {
  return Pidl(reinterpret_cast<ITEMIDLIST*>(ILCombine(parent, child)));
}

std::wstring DisplayName(IShellFolder* folder, const ITEMIDLIST* child) {
  STRRET name{};
  if (FAILED(folder->GetDisplayNameOf(child, SHGDN_INFOLDER, &name))) return L"";
  wchar_t buf[MAX_PATH] = {};
  if (FAILED(StrRetToBufW(&name, child, buf, MAX_PATH))) return L"";
  return buf;
}

int IconOf(const ITEMIDLIST* absolute, UINT extra) {
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra);
  return info.iIcon;
}
}  // namespace

struct TShellTreeView::Node {
  Pidl absolute;
  std::wstring name;
  bool listed = false;
};

TShellTreeView::TShellTreeView(TContainer& parent, int left, int top, int width, int height) {
  Create(parent, WC_TREEVIEWW,
         TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS | WS_TABSTOP | WS_VSCROLL,
         WS_EX_CLIENTEDGE, left, top, width, height);
  SHFILEINFOW info{};
  images_ = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images_) TreeView_SetImageList(hwnd_, images_, TVSIL_NORMAL);
  TreeView_SetIndent(hwnd_, parent.Scale(19));
}

TShellTreeView::~TShellTreeView() = default;

TShellTreeView::Node* TShellTreeView::NodeOf(HTREEITEM item) const {
  if (!item) return nullptr;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!TreeView_GetItem(hwnd_, &tv)) return nullptr;
  const size_t index = static_cast<size_t>(tv.lParam);
  return index < nodes_.size() ? nodes_[index].get() : nullptr;
}

HTREEITEM TShellTreeView::Insert(HTREEITEM parent, std::unique_ptr<Node> node) {
  ComPtr<IShellFolder> desktop;
  bool hasChildren = true;
  if (SUCCEEDED(SHGetDesktopFolder(desktop.put()))) {
    SFGAOF attributes = SFGAO_HASSUBFOLDER;
    ComPtr<IShellFolder> owner;
    const ITEMIDLIST* child = nullptr;
    if (SUCCEEDED(SHBindToParent(node->absolute.get(), IID_IShellFolder,
                                 reinterpret_cast<void**>(owner.put()), &child)) &&
        SUCCEEDED(owner->GetAttributesOf(1, &child, &attributes))) {
      hasChildren = (attributes & SFGAO_HASSUBFOLDER) != 0;
    }
  }
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent ? parent : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.pszText = node->name.data();
  ins.item.cChildren = hasChildren ? 1 : 0;
  ins.item.iImage = IconOf(node->absolute.get(), 0);
  ins.item.iSelectedImage = IconOf(node->absolute.get(), SHGFI_OPENICON);
  ins.item.lParam = static_cast<LPARAM>(nodes_.size());
  nodes_.push_back(std::move(node));
  return TreeView_InsertItem(hwnd_, &ins);
}

void TShellTreeView::SetRoot(const std::string& root) {
  ComScope com;
  TreeView_DeleteAllItems(hwnd_);
  nodes_.clear();
  ITEMIDLIST* raw = nullptr;
  if (root.empty()) {
    SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &raw);
  } else {
    SHParseDisplayName(Wide(root).c_str(), nullptr, &raw, 0, nullptr);
  }
  if (!raw) return;
  auto node = std::make_unique<Node>();
  node->absolute.reset(raw);
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(raw), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME);
  node->name = info.szDisplayName;
  HTREEITEM top = Insert(nullptr, std::move(node));
  TreeView_Expand(hwnd_, top, TVE_EXPAND);
}

void TShellTreeView::Expand(HTREEITEM item) {
  Node* node = NodeOf(item);
  if (!node || node->listed) return;
  node->listed = true;
  ComScope com;
  ComPtr<IShellFolder> desktop, folder;
  if (FAILED(SHGetDesktopFolder(desktop.put()))) return;
  if (ILIsEmpty(node->absolute.get())) {
    desktop->AddRef();
    folder.p = desktop.p;
  } else if (FAILED(desktop->BindToObject(node->absolute.get(), nullptr, IID_IShellFolder,
                                          reinterpret_cast<void**>(folder.put())))) {
    return;
  }
  ComPtr<IEnumIDList> children;
  if (folder->EnumObjects(hwnd_, SHCONTF_FOLDERS, children.put()) != S_OK || !children.p) return;
  struct Child {
    std::wstring name;
    Pidl absolute;
  };
  std::vector<Child> found;
  ITEMIDLIST* child = nullptr;
  while (children->Next(1, &child, nullptr) == S_OK) {
    Pidl owned(child);
    found.push_back({DisplayName(folder.p, child), Concat(node->absolute.get(), child)});
  }
  for (Child& c : found) {
    auto n = std::make_unique<Node>();
    n->name = std::move(c.name);
    n->absolute = std::move(c.absolute);
    Insert(item, std::move(n));
  }
  TVSORTCB sort{};
  sort.hParent = item;
  sort.lpfnCompare = &TShellTreeView::CompareNodes;
  sort.lParam = reinterpret_cast<LPARAM>(this);
  TreeView_SortChildrenCB(hwnd_, &sort, FALSE);
}

int CALLBACK TShellTreeView::CompareNodes(LPARAM a, LPARAM b, LPARAM self) {
  const auto& nodes = reinterpret_cast<TShellTreeView*>(self)->nodes_;
  return lstrcmpiW(nodes[static_cast<size_t>(a)]->name.c_str(),
                   nodes[static_cast<size_t>(b)]->name.c_str());
}

std::string TShellTreeView::SelectedName() const {
  Node* node = NodeOf(TreeView_GetSelection(hwnd_));
  return node ? Narrow(node->name) : std::string();
}

std::string TShellTreeView::SelectedPath() const {
  Node* node = NodeOf(TreeView_GetSelection(hwnd_));
  if (!node) return {};
  wchar_t buf[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(node->absolute.get(), buf)) return {};
  return Narrow(buf);
}

LRESULT TShellTreeView::OnNotify(NMHDR* hdr) {
  switch (hdr->code) {
    case TVN_ITEMEXPANDINGW: {
      auto* nm = reinterpret_cast<NMTREEVIEWW*>(hdr);
      if (nm->action & TVE_EXPAND) Expand(nm->itemNew.hItem);
      return 0;
    }
    case TVN_SELCHANGEDW:
      if (OnChange) OnChange();
      return 0;
    case NM_RCLICK: {
      // A right click selects the node under the mouse.
      TVHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      ScreenToClient(hwnd_, &hit.pt);
      if (HTREEITEM item = TreeView_HitTest(hwnd_, &hit)) TreeView_SelectItem(hwnd_, item);
      return 0;
    }
  }
  return 0;
}

TfrmStartFolderInfo::TfrmStartFolderInfo()
    : TForm(L"TfrmStartFolderInfo", 363, 330, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
      Label1(*this, 14, 18, kHint),
      Edit1(*this, 14, 42, 339, 20, ""),
      ShellTreeView1(*this, 15, 65, 339, 220),
      BitBtn1(*this, 190, 301, 75, 22, kOk),
      BitBtn2(*this, 270, 301, 75, 22, kCancel) {
  SetText(kCaption);
  ShellTreeView1.OnChange = [this] { ShellTreeView1Change(); };
  BitBtn1.OnClick = [this] { SetModalResult(mrOk); };
  BitBtn2.OnClick = [this] { SetModalResult(mrCancel); };
  OnShow = [this] {
    const std::string value = Edit1.Text();
    ShellTreeView1.SetRoot(root_);
    Edit1.SetText(value);  // filling the tree does not replace the value given
    SetFocus(Edit1.Handle());
  };
}

void TfrmStartFolderInfo::ShellTreeView1Change() {
  Edit1.SetText(Kind == TStartFolderKindEnum::tfkStart ? ShellTreeView1.SelectedName()
                                                       : ShellTreeView1.SelectedPath());
}

LRESULT TfrmStartFolderInfo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The dialog keys arrive as commands without a control: Enter is IDOK, Esc IDCANCEL.
  if (msg == WM_COMMAND && lp == 0) {
    if (LOWORD(wp) == IDOK) SetModalResult(mrOk);
    if (LOWORD(wp) == IDCANCEL) SetModalResult(mrCancel);
    return 0;
  }
  return TForm::WndProc(msg, wp, lp);
}

std::optional<std::string> PickFolder(TStartFolderKindEnum kind, const std::string& root,
                                      const std::string& value) {
  TfrmStartFolderInfo picker;
  picker.SetRoot(root);
  picker.Kind = kind;
  picker.SetValue(value);
  if (picker.ShowModal() != TForm::mrOk) return std::nullopt;
  return picker.Value();
}

}  // namespace sk::ui
