#include "ui/InformPages.h"

#include <cctype>

#include "package/SettingNames.h"
#include "package/SettingReaders.h"
#include "ui/Ui.texts.h"

namespace sk {

const std::string WelcomePage::kTitle = ui_text::kWelcomeTitle;
const std::string WelcomePage::kGreeting = ui_text::kWelcomeGreeting;
const std::string WelcomePage::kAdvice = ui_text::kWelcomeAdvice;

bool WelcomePage::Load(TCompile* model) {
  if (!compile_.Assign(model)) return false;
  Title = FormatWithName(kTitle, model->Package().ItemName);
  Greeting = FormatWithName(kGreeting, model->Package().ItemName);
  const TPackage& package = model->Package();
  if (auto picture = ReadFile(package, setting::kWelcomePicture)) BackgroundPicture = *picture;
  if (auto company = ReadText(package, setting::kWelcomeCompany)) Company = *company;
  if (auto web = ReadText(package, setting::kWelcomeWebsite)) WebAddress = *web;
  return true;
}

bool DocumentPage::Load(TCompile* model) {
  if (!compile_.Assign(model)) return false;
  const bool agreement = kind_ == Kind::Agreement;
  const TPackage& package = model->Package();
  const SettingName& header = agreement ? setting::kAgreementHeader : setting::kNotesHeader;
  const SettingName& document = agreement ? setting::kAgreementFile : setting::kNotesFile;
  if (auto picture = ReadText(package, header)) TitlePicture = *picture;
  if (auto file = ReadText(package, document)) Document = *file;
  return true;
}

std::string BackgroundWindowPicture(TCompile& model) {
  return ReadFile(model.Package(), setting::kBackgroundPicture).value_or("");
}

namespace {

bool IsHtml(const std::string& path, const std::string& bytes) {
  const std::string ext = LowerAscii(path.substr(std::min(path.size(), path.rfind('.') + 1)));
  if (path.rfind('.') != std::string::npos && (ext == "htm" || ext == "html")) return true;
  size_t i = 0;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
  while (i < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[i]))) ++i;
  return i < bytes.size() && bytes[i] == '<';
}

// Tags after which the text continues on a new line.
bool BreaksLine(const std::string& tag) {
  static const char* const kBlocks[] = {
      "br",  "p",  "/p",     "div", "/div", "li",  "tr",  "/tr",        "h1",         "h2",
      "h3",  "h4", "h5",     "h6",  "/h1",  "/h2", "/h3", "/h4",        "/h5",        "/h6",
      "/li", "hr", "/table", "pre", "/pre", "/ul", "/ol", "blockquote", "/blockquote"};
  for (const char* b : kBlocks)
    if (tag == b) return true;
  return false;
}

void AppendEntity(const std::string& name, std::string& out) {
  if (name == "lt")
    out += '<';
  else if (name == "gt")
    out += '>';
  else if (name == "amp")
    out += '&';
  else if (name == "quot")
    out += '"';
  else if (name == "apos")
    out += '\'';
  else if (name == "nbsp")
    out += ' ';
  else if (name.size() > 1 && name[0] == '#') {
    // Numeric entities: ASCII as the character; anything else has no single GBK byte, so it is
    // shown as a blank rather than as garbage.
    const bool hex = name[1] == 'x' || name[1] == 'X';
    long v = std::strtol(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
    out += (v >= 32 && v < 127) || v == 9 || v == 10 ? static_cast<char>(v) : ' ';
  } else {
    out += "&" + name + ";";
  }
}

std::string StripHtml(const std::string& html) {
  std::string text;
  bool lastBlank = false;
  auto newline = [&] {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    text += "\r\n";
    lastBlank = true;
  };
  size_t i = 0;
  bool pre = false;
  while (i < html.size()) {
    const unsigned char c = static_cast<unsigned char>(html[i]);
    if (c == '<') {
      if (html.compare(i, 4, "<!--") == 0) {
        const size_t end = html.find("-->", i + 4);
        i = end == std::string::npos ? html.size() : end + 3;
        continue;
      }
      const size_t end = html.find('>', i + 1);
      const std::string inner =
          html.substr(i + 1, (end == std::string::npos ? html.size() : end) - i - 1);
      size_t n = 0;
      while (n < inner.size() && !std::isspace(static_cast<unsigned char>(inner[n])) &&
             inner[n] != '>' && !(inner[n] == '/' && n > 0))
        ++n;
      const std::string tag = LowerAscii(inner.substr(0, n));
      i = end == std::string::npos ? html.size() : end + 1;
      if (tag == "script" || tag == "style" || tag == "head" || tag == "title") {
        const size_t close = LowerAscii(html.substr(i)).find("</" + tag);
        if (close == std::string::npos) break;
        const size_t gt = html.find('>', i + close);
        i = gt == std::string::npos ? html.size() : gt + 1;
        continue;
      }
      if (tag == "pre") pre = true;
      if (tag == "/pre") pre = false;
      if (BreaksLine(tag)) newline();
      continue;
    }
    if (c == '&') {
      const size_t semi = html.find(';', i + 1);
      if (semi != std::string::npos && semi - i <= 10) {
        AppendEntity(html.substr(i + 1, semi - i - 1), text);
        lastBlank = false;
        i = semi + 1;
        continue;
      }
    }
    if (c >= 0x80 && i + 1 < html.size()) {  // a GBK character: both bytes as they are
      text += html.substr(i, 2);
      lastBlank = false;
      i += 2;
      continue;
    }
    if (!pre && std::isspace(c)) {
      if (!lastBlank) text += ' ';
      lastBlank = true;
      ++i;
      continue;
    }
    if (pre && c == '\n') {
      newline();
      ++i;
      continue;
    }
    if (c != '\r') {
      text += static_cast<char>(c);
      lastBlank = false;
    }
    ++i;
  }
  // Trim blanks at the starts of lines and collapse runs of more than one empty line.
  std::string out;
  size_t empties = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t eol = text.find("\r\n", pos);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(pos, eol - pos);
    const size_t first = line.find_first_not_of(' ');
    line = first == std::string::npos ? ""
                                      : line.substr(first, line.find_last_not_of(' ') - first + 1);
    if (line.empty()) {
      if (!out.empty() && ++empties == 1) out += "\r\n";
    } else {
      empties = 0;
      out += line + "\r\n";
    }
    pos = eol + 2;
  }
  while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
  return out;
}

// Plain text with every line end as CR LF, so an edit control shows the lines.
std::string WithCrLf(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      out += "\r\n";
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (bytes[i] == '\n') {
      out += "\r\n";
    } else if (bytes[i] == '\0') {
      out += ' ';  // an edit control would end the text here
    } else {
      out += bytes[i];
    }
  }
  return out;
}

}  // namespace

std::string DocumentText(const std::string& path, const std::string& bytes) {
  return IsHtml(path, bytes) ? StripHtml(WithCrLf(bytes)) : WithCrLf(bytes);
}

}  // namespace sk
