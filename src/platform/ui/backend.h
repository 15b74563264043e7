// The user-interface backend: runs dialog templates modally, creates modeless
// notices, shows help topics, message boxes and the Save-As dialog. Text at
// this interface is code page 936, as the program's "ANSI" calls pass it; a
// backend converts it for display.
//
// A modal run calls the event sink (the dialog's logic), which drives the
// dialog through its view; the run ends when the logic calls EndDialog.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/modeless_dialog.h"

namespace w95::ui {

constexpr int CB_ERR = -1;

// What the dialog's logic can do to a dialog on screen. Controls are named by
// their id; an unknown id is ignored (getters answer empty, 0 or CB_ERR).
class DialogView {
 public:
  virtual ~DialogView() = default;

  virtual const DialogTemplate& Template() const = 0;

  virtual void SetItemText(int id, std::string_view text) = 0;
  virtual std::string GetItemText(int id) const = 0;
  virtual void EnableItem(int id, bool enable) = 0;
  virtual bool IsItemEnabled(int id) const = 0;
  virtual void CheckButton(int id, bool checked) = 0;
  virtual bool IsButtonChecked(int id) const = 0;

  // Drop-down lists: CB_RESETCONTENT, CB_ADDSTRING (sorted when the control's
  // style says so; returns the index), CB_SETCURSEL, CB_GETCURSEL,
  // CB_GETLBTEXT, CB_GETCOUNT.
  virtual void ResetContent(int id) = 0;
  virtual int AddString(int id, std::string_view text) = 0;
  virtual int SetCurSel(int id, int index) = 0;
  virtual int GetCurSel(int id) const = 0;
  virtual std::string GetLBText(int id, int index) const = 0;
  virtual int GetCount(int id) const = 0;

  // Edits: EM_SETSEL and EM_SCROLLCARET.
  virtual void SetSel(int id, int start, int end) = 0;
  virtual void ScrollCaret(int id) = 0;

  // The window's big and small icon (WM_SETICON): an image in XPM form, null for none.
  virtual void SetWindowIcon(const char* const* xpm) = 0;

  // Ends the modal run with `code` once the current event has been handled.
  virtual void EndDialog(int code) = 0;
};

// The dialog's logic: the events a modal run delivers.
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  virtual void OnInitDialog(DialogView&) {}
  // A button or check box was activated (BN_CLICKED); a check box has
  // already changed its state.
  virtual void OnCommand(DialogView&, int /*id*/) {}
  // Esc or the close box.
  virtual void OnCancel(DialogView&) {}
  // F1 (WM_HELP).
  virtual void OnHelp(DialogView&) {}
  // CBN_SELCHANGE.
  virtual void OnSelChange(DialogView&, int /*id*/) {}
  // EN_SETFOCUS.
  virtual void OnEditFocus(DialogView&, int /*id*/) {}
  // Whether Esc and F1 do anything on this dialog: a backend that lists the
  // answers (the console) offers only those that act.
  virtual bool CancelActs() const { return true; }
  virtual bool HelpActs() const { return true; }
};

struct HelpTopic {
  std::string helpFile;  // as WinHelpA was given it
  DWORD context = 0;
  std::string title;  // code page 936
  std::string body;   // code page 936, lines separated by "\r\n"
};

enum class MessageIcon { None, Hand, Exclamation, Asterisk };

// GetSaveFileNameA's request, reduced to what a backend needs. Paths are
// Windows paths of the current machine.
struct SaveFileRequest {
  std::string initialDirectory;
  std::string fileName;  // the initial name, may be a full path
  std::string title;     // empty: the platform's default
  std::string filter;    // pattern, e.g. "*.*"
  bool overwritePrompt = false;
  bool pathMustExist = false;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual int RunModal(const DialogTemplate& dialog, DialogEvents& events) = 0;
  // Shown and painted before the call returns; gone when the object is.
  virtual std::unique_ptr<ModelessDialog> CreateModeless(const DialogTemplate& dialog) = 0;
  virtual void ShowHelp(const HelpTopic& topic) = 0;
  // WinHelpA's HELP_QUIT: the help window, if any, goes.
  virtual void CloseHelp() {}
  virtual void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
  // The chosen full Windows path, or nullopt when the user cancelled.
  virtual std::optional<std::string> GetSaveFileName(const SaveFileRequest& request) = 0;
  // What the emulated machine did where Windows shows no window (the restart),
  // one line of UTF-8 for the user; on standard error unless the backend
  // prints it with its pages.
  virtual void PlatformNote(std::string_view text);
};

// The backend of the process; the console backend until one is set.
Backend& CurrentBackend();
void SetBackend(std::unique_ptr<Backend> backend);

}  // namespace w95::ui
