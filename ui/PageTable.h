// The wizard's pages, one row each: everything that identifies a page is spelled here and
// nowhere else. The page list's switch that enables it (setting group 1), the group of its own
// settings, its role for the host's buttons, the table that sets it in a build manifest, the
// window-class name its view registers (observable, so never renamed) and the factory of its
// portable logic. The wizard's order, the headless session's pages, the Win32 views, the
// manifest reader and the answers of `simulate` all derive from this table.
//
// Adding a page: a PageId, a row below (in wizard order), a logic class (ui/*Pages.h), a view
// registered for the PageId in ui/win32/WizardWindow.cpp, and their tests; the page-list switch and
// the page's settings go into package/SettingNames.
//
// Pure data; the rows live for the whole program.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "package/SettingNames.h"

namespace sk {

class WizardPage;
struct SetupContext;

enum class PageId : uint8_t {
  Welcome,
  Agreement,
  Notes,
  StartMenu,
  Components,
  InstallFolder,
  Tasks,
  Ready,
  Progress,
  Finish,
};
inline constexpr size_t kPageCount = 10;

// What a page does for the host's button table.
enum class PageRole { Plain, Agreement, Progress, Finish };

struct PageRow {
  PageId Id;
  int Order;                      // fixed position in the wizard, 1..10
  const SettingName& ListSwitch;  // the page-list item (group 1) whose value "启用" enables it
  uint8_t Group;                  // the setting group the page reads
  PageRole Role;
  const char* ManifestKey;  // the manifest's table for the page
  const char* ClassName;    // the window class of its view, and its name in the page registries
  std::unique_ptr<WizardPage> (*MakeLogic)(SetupContext& context);  // its portable logic
};

// The page table in wizard order; kPageTable[i].Id is PageId(i).
extern const std::array<PageRow, kPageCount> kPageTable;

inline const PageRow& RowOf(PageId id) {
  return kPageTable[static_cast<size_t>(id)];
}

}  // namespace sk
