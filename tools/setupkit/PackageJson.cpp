#include "tools/setupkit/PackageJson.h"

#include "platform/Encoding.h"

namespace sk::cli {

using Json = nlohmann::ordered_json;

namespace {

Json Text(const std::string& gbk) {
  return GbkToUtf8(gbk);
}

Json TextList(const StringList& list) {
  Json a = Json::array();
  for (const auto& s : list) a.push_back(Text(s));
  return a;
}

Json FileItem(const TCompileFileData& f) {
  return Json{{"Name", Text(f.Name)},
              {"SourcePath", Text(f.SourcePath)},
              {"TargetDir", Text(f.TargetDir)},
              {"RunAtStartup", f.RunAtStartup},
              {"KeepOnUninstall", f.KeepOnUninstall},
              {"NoOverwrite", f.NoOverwrite},
              {"RegisterServer", f.RegisterServer},
              {"InstallService", f.InstallService},
              {"RunAfterInstall", f.RunAfterInstall},
              {"PatchFile", f.PatchFile},
              {"TargetOs", Text(f.TargetOs)},
              {"DataStart", f.DataStart},
              {"DataEnd", f.DataEnd},
              {"UncompressedSize", f.UncompressedSize},
              {"ReservedFlag", f.ReservedFlag},
              {"Kind", f.Kind},
              {"FileTime", f.FileTime}};
}

Json Options(const TInstallData& o) {
  return Json{{"ShowWizard", o.ShowWizard},
              {"StartMenuFolder", Text(o.StartMenuFolder)},
              {"CreateStartMenu", o.CreateStartMenu},
              {"InstallDir", Text(o.InstallDir)},
              {"CreateDesktop", o.CreateDesktop},
              {"CreateQuickLaunch", o.CreateQuickLaunch},
              {"RunAppChecked", o.RunAppChecked},
              {"ReadmeChecked", o.ReadmeChecked},
              {"HomePageChecked", o.HomePageChecked},
              {"AppFile", Text(o.AppFile)},
              {"ReadmeFile", Text(o.ReadmeFile)},
              {"HomePageUrl", Text(o.HomePageUrl)},
              {"RebootOs", Text(o.RebootOs)},
              {"HintMsg", Text(o.HintMsg)},
              {"BeforeHintMsg", Text(o.BeforeHintMsg)},
              {"WebHint", Text(o.WebHint)},
              {"DefaultHtml", Text(o.DefaultHtml)},
              {"EnableUnIns", Text(o.EnableUnIns)},
              {"TotalSize", o.TotalSize}};
}

}  // namespace

Json PackageToJson(const TCompile& m) {
  Json j;
  j["Size"] = m.Package().Size;
  j["Serial"] = Text(m.Package().Serial);
  j["ItemName"] = Text(m.Package().ItemName);
  j["Version"] = Text(m.Package().Version);
  j["Url"] = Text(m.Package().Url);
  j["Author"] = Text(m.Package().Author);
  j["Patched"] = m.Package().Patched();
  Json info = Json::array();
  for (const auto& s : m.Package().InfoList())
    info.push_back(Json{{"Name", Text(s->Name)}, {"Value", Text(s->Value)}, {"Group", s->Group}});
  j["InfoList"] = std::move(info);
  j["FileFolderList"] = TextList(m.Package().FileFolderList());
  Json files = Json::array();
  for (const auto& f : m.Package().FileList()) files.push_back(FileItem(*f));
  j["FileList"] = std::move(files);
  j["RegFolderList"] = TextList(m.Package().RegFolderList());
  Json regs = Json::array();
  for (const auto& r : m.Package().RegList())
    regs.push_back(Json{{"KeyPath", Text(r->KeyPath)},
                        {"ValueName", Text(r->ValueName)},
                        {"ValueData", Text(r->ValueData)},
                        {"TargetOs", Text(r->TargetOs)},
                        {"ValueType", r->ValueType}});
  j["RegList"] = std::move(regs);
  j["ShotCutFolderList"] = TextList(m.Package().ShotCutFolderList());
  Json links = Json::array();
  for (const auto& s : m.Package().ShotCutList())
    links.push_back(Json{{"Folder", Text(s->Folder)},
                         {"Name", Text(s->Name)},
                         {"Target", Text(s->Target)},
                         {"IconFile", Text(s->IconFile)},
                         {"Arguments", Text(s->Arguments)},
                         {"Description", Text(s->Description)},
                         {"Kind", s->Kind}});
  j["ShotCutList"] = std::move(links);
  Json comps = Json::array();
  for (const auto& c : m.Package().CompList())
    comps.push_back(Json{{"Name", Text(c->Name)}, {"Size", c->Size}});
  j["CompList"] = std::move(comps);
  j["ComponentList"] = TextList(m.Choices().ComponentList);
  j["Options"] = Options(m.Choices().Options);
  return j;
}

}  // namespace sk::cli
