// A modeless dialog on screen (the "please wait" notices): shown and painted
// once when it is created, it stays up until its owner destroys the object.
#pragma once

namespace w95::ui {

class ModelessDialog {
 public:
  explicit ModelessDialog(int templateId = 0) : templateId_(templateId) {}
  virtual ~ModelessDialog() = default;
  ModelessDialog(const ModelessDialog&) = delete;
  ModelessDialog& operator=(const ModelessDialog&) = delete;

  int TemplateId() const { return templateId_; }

 private:
  int templateId_;
};

}  // namespace w95::ui
