#include "platform/ui/console_backend.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>

#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/ui/console_layout.h"
#include "platform/ui/save_as_names.h"
#include "platform/ui/unattended.h"

namespace w95::ui {

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerTextByte(c);
  return out;
}

class ConsoleNotice : public ModelessDialog {
 public:
  explicit ConsoleNotice(int templateId) : ModelessDialog(templateId) {}
};

bool IsClickable(ControlKind kind) {
  return kind == ControlKind::Button || kind == ControlKind::DefaultButton || kind == ControlKind::CheckBox;
}

// Selects the entry named by `argument` (a 1-based number, or the beginning
// of an entry's text) of the list `id`; false when none matches.
bool SelectEntry(DialogState& state, int id, std::string_view argument) {
  int count = state.GetCount(id);
  if (!argument.empty() && std::all_of(argument.begin(), argument.end(),
                                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    int number = argument.size() > 6 ? 0 : std::stoi(std::string(argument));
    return number >= 1 && number <= count && state.SetCurSel(id, number - 1) != CB_ERR;
  }
  const std::string wanted = Utf8ToCp936(argument).value_or(std::string(argument));
  for (int i = 0; i < count; ++i) {
    if (wanted.empty() || !TextStartsWithNoCase(state.GetLBText(id, i), wanted)) continue;
    return state.SetCurSel(id, i) != CB_ERR;
  }
  return false;
}

}  // namespace

std::string ConsoleKey(const DialogTemplate& dialog, size_t index) {
  const ControlTemplate& control = dialog.controls[index];
  if (IsClickable(control.kind)) {
    char letter = AcceleratorOf(control.text);
    if (letter) return std::string(1, LowerTextByte(letter));
    return control.id >= 0 ? "#" + std::to_string(control.id) : std::string();
  }
  if (control.kind != ControlKind::Combo && control.kind != ControlKind::Edit) return {};
  if (index > 0 && dialog.controls[index - 1].kind == ControlKind::Static) {
    char letter = AcceleratorOf(dialog.controls[index - 1].text);
    if (letter) return std::string(1, LowerTextByte(letter));
  }
  return control.id >= 0 ? "#" + std::to_string(control.id) : std::string();
}

std::string RenderConsolePage(const DialogState& state, bool escActs, bool f1Acts) {
  return ConsoleLayout(state, escActs, f1Acts).Render();
}

bool ConsoleBackend::ReadAnswer(std::string& line) {
  out_ << "> " << std::flush;
  if (!std::getline(in_, line)) {
    out_ << "(end of input)\n";
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  out_ << '\n';
  return true;
}

bool ConsoleBackend::Refuse(std::string_view why) {
  out_ << "? " << why << "\n";
  return false;
}

// The control of template index `index` answered, with `argument` for a list.
bool ConsoleBackend::Choose(size_t index, std::string_view argument, DialogState& state, DialogEvents& events) {
  const ControlTemplate& control = state.Template().controls[index];
  if (!state.At(index).enabled) {
    std::string name = WithoutAcceleratorMarks(Cp936ToUtf8Lossy(state.At(index).text));
    return Refuse((name.empty() ? "That control" : "\"" + name + "\"") + " is disabled on this page.");
  }
  if (IsClickable(control.kind)) {
    PressControl(state, events, control.id);
    return true;
  }
  if (control.kind == ControlKind::Edit) {
    events.OnEditFocus(state, control.id);
    return true;
  }
  if (control.kind != ControlKind::Combo) return Refuse("That control takes no answer.");
  if (!SelectEntry(state, control.id, argument))
    return Refuse("No such entry: give its number or the beginning of its text.");
  events.OnSelChange(state, control.id);
  return true;
}

bool ConsoleBackend::Answer(const std::string& rawLine, DialogState& state, DialogEvents& events) {
  std::string line(Trim(rawLine));
  std::string lower = Lower(line);
  if (lower == "esc") {
    if (!events.CancelActs()) return Refuse("Esc does nothing on this page: answer with one of the keys.");
    events.OnCancel(state);
    return true;
  }
  if (lower == "f1") {
    if (!events.HelpActs()) return Refuse("This page has no help topic.");
    events.OnHelp(state);
    return true;
  }
  const DialogTemplate& dialog = state.Template();
  if (lower.empty()) {
    for (size_t i = 0; i < dialog.controls.size(); ++i)
      if (dialog.controls[i].kind == ControlKind::DefaultButton) return Choose(i, "", state, events);
    return Refuse("No default button: answer with one of the keys.");
  }
  std::string key = lower.substr(0, lower.find(' '));
  std::string argument(Trim(line.size() > key.size() ? std::string_view(line).substr(key.size()) : ""));
  for (size_t i = 0; i < dialog.controls.size(); ++i)
    if (ConsoleKey(dialog, i) == key) return Choose(i, argument, state, events);
  bool number =
      key.size() > 1 && key.size() < 8 && key[0] == '#' && key.find_first_not_of("0123456789", 1) == std::string::npos;
  if (number) {
    int id = std::stoi(key.substr(1));
    if (auto index = state.IndexOf(id)) return Choose(*index, argument, state, events);
    if (id == 1) {  // IDOK: Enter's command, even on a page without an OK button
      PressControl(state, events, id);
      return true;
    }
  }
  return Refuse("Unknown answer \"" + line + "\".");
}

int ConsoleBackend::RunModal(const DialogTemplate& dialog, DialogEvents& events) {
  DialogState state(dialog);
  events.OnInitDialog(state);
  std::string line;
  bool print = true;
  while (!state.Ended()) {
    // After a refused answer the page is as it was: only the prompt again.
    if (print) out_ << RenderConsolePage(state, events.CancelActs(), events.HelpActs());
    if (!ReadAnswer(line)) {
      EndUnattended(state, events);
      break;
    }
    print = Answer(line, state, events);
  }
  return state.EndCode();
}

std::unique_ptr<ModelessDialog> ConsoleBackend::CreateModeless(const DialogTemplate& dialog) {
  out_ << RenderConsolePage(DialogState(dialog)) << std::flush;
  return std::make_unique<ConsoleNotice>(dialog.id);
}

void ConsoleBackend::ShowHelp(const HelpTopic& topic) {
  out_ << "--- Help: " << Cp936ToUtf8Lossy(topic.title) << " ---\n";
  std::string body = Cp936ToUtf8Lossy(topic.body);
  body.erase(std::remove(body.begin(), body.end(), '\r'), body.end());
  out_ << body;
  if (!body.empty() && body.back() != '\n') out_ << '\n';
  out_ << "--- End of help ---\n" << std::flush;
}

void ConsoleBackend::MessageBox(std::string_view text, std::string_view caption, MessageIcon) {
  out_ << "[" << Cp936ToUtf8Lossy(caption) << "] " << Cp936ToUtf8Lossy(text) << "\n" << std::flush;
}

std::optional<std::string> ConsoleBackend::GetSaveFileName(const SaveFileRequest& request) {
  for (;;) {
    out_ << "Save as (" << Cp936ToUtf8Lossy(request.filter) << "): a file name or Windows path, empty keeps \""
         << Cp936ToUtf8Lossy(request.fileName) << "\", esc cancels.\n";
    std::string line;
    if (!ReadAnswer(line)) return std::nullopt;
    std::string answer(Trim(line));
    if (Lower(answer) == "esc") return std::nullopt;
    std::string name = answer.empty() ? request.fileName : Utf8ToCp936(answer).value_or(std::string());
    if (name.empty()) continue;
    name = FullSaveName(name, request.initialDirectory);
    std::string directory = FolderOf(name);
    if (request.pathMustExist && !FolderExists(directory)) {
      out_ << "? The folder " << Cp936ToUtf8Lossy(directory) << " does not exist.\n";
      continue;
    }
    if (request.overwritePrompt && GetFileAttributesA(name) != 0xFFFFFFFFu) {
      out_ << Cp936ToUtf8Lossy(name) << " exists. Replace it? (y/n)\n";
      if (!ReadAnswer(line)) return std::nullopt;
      if (Lower(Trim(line)) != "y") continue;
    }
    return name;
  }
}

void ConsoleBackend::PlatformNote(std::string_view text) { out_ << "(" << text << ")\n" << std::flush; }

}  // namespace w95::ui
