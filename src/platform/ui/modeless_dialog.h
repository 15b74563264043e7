// A modeless dialog on screen (the "please wait" notices): it stays up until its
// owner destroys the object.
#pragma once

namespace w95::ui {

class ModelessDialog {
 public:
  virtual ~ModelessDialog() = default;
};

}  // namespace w95::ui
