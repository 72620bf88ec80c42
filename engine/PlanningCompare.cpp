// PlanningPlatform::Plan: the overlay compared with the machine (see PlanningPlatform.h).
#include <algorithm>
#include <set>

#include "engine/PlanningEntries.h"
#include "engine/PlanningPlatform.h"
#include "package/Compile.h"

namespace sk {

// ---- the plan: the overlay compared with the machine ----

std::optional<PlanFileState> PlanningPlatform::MachineFile(const std::string& path) {
  const uint32_t attributes = inner_.GetFileAttributes(path);
  if (attributes == attr::Invalid || (attributes & attr::Directory)) return std::nullopt;
  PlanFileState state{.writeTime = inner_.GetFileWriteTime(path), .attributes = attributes};
  try {
    state.size = inner_.OpenRead(path)->Size();
  } catch (const Error&) {
    state.size = -1;  // there, but not readable now
  }
  return state;
}

bool PlanningPlatform::Unchanged(const FileEntry& entry,
                                 const std::optional<PlanFileState>& before) const {
  return before && entry.exists && !entry.folder &&
         FoldPath(entry.innerSource) == FoldPath(entry.path) &&
         entry.attributes == before->attributes && entry.writeTime == before->writeTime;
}

void PlanningPlatform::AddFileItems(std::vector<std::pair<uint64_t, PlanItem>>& items) {
  for (const auto& [key, e] : files_) {
    if (e->baseline) continue;
    const std::optional<PlanFileState> before = MachineFile(e->path);
    const bool wasFolder = !before && inner_.DirectoryExists(e->path);
    PlanItem item{.path = e->path, .replaces = before};
    if (!e->exists) {
      if (!before && !wasFolder) continue;  // made and removed again by the run
      item.kind = before ? PlanItem::Kind::DeleteFile : PlanItem::Kind::RemoveFolder;
    } else if (e->folder) {
      if (wasFolder) continue;
      item.kind = PlanItem::Kind::CreateFolder;
    } else {
      if (Unchanged(*e, before)) continue;
      item.kind = e->link ? PlanItem::Kind::Shortcut : PlanItem::Kind::PlaceFile;
      item.file = {e->size, e->dated ? e->writeTime : std::nullopt, e->attributes};
      if (e->link) item.target = e->link->target;
    }
    items.emplace_back(e->order, std::move(item));
  }
  // Files the install placed without writing them: kept as they are.
  std::set<std::string> seen;
  for (const auto& [order, path] : placed_) {
    if (!seen.insert(FoldPath(path)).second) continue;
    const std::optional<PlanFileState> before = MachineFile(path);
    const FileEntry* e = Entry(path);
    if (before && (!e || Unchanged(*e, before)))
      items.emplace_back(
          order, PlanItem{.kind = PlanItem::Kind::KeepFile, .path = path, .replaces = before});
  }
}

void PlanningPlatform::AddRegistryItems(std::vector<std::pair<uint64_t, PlanItem>>& items) {
  for (const auto& [folded, k] : keys_) {
    if (k->baseline || k->exists == inner_.KeyExists(k->root, k->path)) continue;
    items.emplace_back(k->order, PlanItem{.kind = k->exists ? PlanItem::Kind::CreateKey
                                                            : PlanItem::Kind::DeleteKey,
                                          .path = k->path,
                                          .root = k->root});
  }
  for (const auto& [folded, v] : values_) {
    if (v->baseline) continue;
    std::optional<RegValue> previous;
    if (auto key = inner_.OpenKey(v->root, v->keyPath, false)) previous = key->ReadValue(v->name);
    if (v->exists && previous && previous->type == v->value.type && previous->data == v->value.data)
      continue;
    if (!v->exists && !previous) continue;
    PlanItem item{.kind = v->exists ? PlanItem::Kind::SetValue : PlanItem::Kind::DeleteValue,
                  .path = v->keyPath,
                  .root = v->root,
                  .valueName = v->name,
                  .previous = previous};
    if (v->exists) item.value = v->value;
    items.emplace_back(v->order, std::move(item));
  }
}

InstallPlan PlanningPlatform::Plan() {
  std::vector<std::pair<uint64_t, PlanItem>> items = programs_;
  AddFileItems(items);
  AddRegistryItems(items);
  std::stable_sort(items.begin(), items.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  InstallPlan plan;
  plan.reserve(items.size());
  for (auto& [order, item] : items) plan.push_back(std::move(item));
  return plan;
}

}  // namespace sk
