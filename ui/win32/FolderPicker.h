// TfrmStartFolderInfo, the folder picker ("浏览文件夹"): a tree of the shell's folders (folders
// only, system icons, children listed when a node is first expanded) over an edit that holds
// the value. Selecting a node puts its display name (tfkStart: one folder name, for the
// start-menu page) or its file-system path (tfkFolder: empty for a folder without one) into
// the edit; the edit can also be typed into. Enter (in the edit or the tree) closes with OK and
// Esc with Cancel; Value is whatever the edit then holds.
//
// The tree's root is the desktop unless SetRoot names a folder (before ShowModal). The shell
// item lists of the nodes are owned by the tree and freed with it.
#pragma once

#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32/Controls.h"

namespace sk::ui {

enum class TStartFolderKindEnum { tfkStart = 0, tfkFolder = 1 };

// A tree of shell folders under one root item.
class TShellTreeView : public TControl {
 public:
  TShellTreeView(TContainer& parent, int left, int top, int width, int height);
  ~TShellTreeView() override;

  // Shows `root` (a file-system path; empty: the desktop) as the one top node, expanded.
  void SetRoot(const std::string& root);
  std::string SelectedName() const;  // display name of the selected node
  std::string SelectedPath() const;  // file-system path of the selected node, or empty

  LRESULT OnNotify(NMHDR* hdr) override;
  std::function<void()> OnChange;

 private:
  struct Node;
  HTREEITEM Insert(HTREEITEM parent, std::unique_ptr<Node> node);
  void Expand(HTREEITEM item);
  Node* NodeOf(HTREEITEM item) const;
  static int CALLBACK CompareNodes(LPARAM a, LPARAM b, LPARAM self);

  std::vector<std::unique_ptr<Node>> nodes_;
  HIMAGELIST images_ = nullptr;  // the system's small-icon list (shared, never destroyed)
};

class TfrmStartFolderInfo : public TForm {
 public:
  TfrmStartFolderInfo();

  std::string Value() const { return Edit1.Text(); }
  void SetValue(const std::string& value) { Edit1.SetText(value); }
  void SetRoot(const std::string& root) { root_ = root; }
  TStartFolderKindEnum Kind = TStartFolderKindEnum::tfkStart;

  void ShellTreeView1Change();

  TLabel Label1;
  TEdit Edit1;
  TShellTreeView ShellTreeView1;
  TButton BitBtn1, BitBtn2;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::string root_;
};

// What Browse on a page does: shows a picker of the kind over `root` (empty: the desktop) with
// `value` in its edit, modally, and frees it. The edit's text when closed with OK, otherwise
// nothing.
std::optional<std::string> PickFolder(TStartFolderKindEnum kind, const std::string& root,
                                      const std::string& value);

}  // namespace sk::ui
