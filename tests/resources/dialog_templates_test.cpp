// The dialog templates: sizes, icons, help contexts and the standard layout
// of the pages (finding lines, button column, explanations beside them).
#include "resources/dialog_templates.h"

#include <gtest/gtest.h>

#include <map>

// Tables below are laid out by hand.
// clang-format off

namespace dxl {
namespace {

using w95::ui::ControlKind;
using w95::ui::ControlTemplate;
using w95::ui::DialogTemplate;
using w95::ui::SystemIcon;

const DialogTemplate& Get(int id) {
  const DialogTemplate* dialog = FindDialogTemplate(id);
  EXPECT_NE(dialog, nullptr) << id;
  return *dialog;
}

std::vector<const ControlTemplate*> Buttons(const DialogTemplate& dialog) {
  std::vector<const ControlTemplate*> buttons;
  for (const auto& control : dialog.controls)
    if (control.kind == ControlKind::Button || control.kind == ControlKind::DefaultButton) buttons.push_back(&control);
  return buttons;
}

// The static whose top is 3 below the button's, to its right.
const ControlTemplate* ExplanationOf(const DialogTemplate& dialog, const ControlTemplate& button) {
  for (const auto& control : dialog.controls)
    if (control.kind == ControlKind::Static && control.y == button.y + 3 && control.x > button.x) return &control;
  return nullptr;
}

TEST(DialogTemplates, IdsSizesIconsAndHelpContexts) {
  struct Row {
    int id, w, h;
    SystemIcon icon;
    int iconX, iconY, help;
  };
  const auto E = SystemIcon::Exclamation;
  const Row rows[] = {
      {102, 215, 150, SystemIcon::None, 0, 0, 0}, {131, 210, 130, E, 18, 23, 10000}, {132, 207, 107, E, 20, 23, 10001},
      {133, 220, 110, E, 20, 23, 0},    {134, 220, 110, E, 20, 23, 0},    {135, 200, 110, E, 20, 23, 0},
      {136, 200, 110, E, 20, 23, 0},    {137, 210, 110, E, 20, 23, 0},    {138, 220, 110, E, 20, 23, 10004},
      {139, 140, 40, SystemIcon::None, 0, 0, 0}, {140, 200, 148, E, 20, 23, 10002}, {141, 220, 110, E, 20, 23, 10003},
      {142, 340, 210, SystemIcon::Asterisk, 20, 20, 0}, {143, 222, 100, E, 20, 23, 0},
      {145, 230, 100, SystemIcon::None, 0, 0, 0}, {148, 180, 70, SystemIcon::Hand, 17, 18, 0},
      {149, 220, 110, E, 20, 23, 0},    {150, 140, 40, SystemIcon::None, 0, 0, 0}, {151, 240, 110, E, 20, 23, 10005},
      {152, 240, 125, E, 20, 23, 10006}, {153, 240, 110, E, 20, 23, 10007}, {154, 260, 125, E, 20, 23, 10008},
      {155, 240, 125, E, 20, 23, 10009}, {156, 260, 125, E, 20, 23, 10010}, {157, 240, 110, E, 20, 23, 10011},
      {158, 240, 135, E, 20, 23, 0},
  };
  ASSERT_EQ(AllDialogTemplates().size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(row.id);
    const DialogTemplate& dialog = *AllDialogTemplates()[i];
    EXPECT_EQ(dialog.id, row.id);
    EXPECT_EQ(dialog.caption, "Tavix KRT-310 故障排除程序");
    EXPECT_EQ(dialog.fontName, "宋体");
    EXPECT_EQ(dialog.fontPointSize, 9);
    EXPECT_EQ(std::make_pair(dialog.width, dialog.height), std::make_pair(row.w, row.h));
    EXPECT_EQ(dialog.icon, row.icon);
    EXPECT_EQ(std::make_pair(dialog.iconX, dialog.iconY), std::make_pair(row.iconX, row.iconY));
    EXPECT_EQ(dialog.helpContext, row.help);
    // A page with a help context has a Help button, and only then.
    EXPECT_EQ(dialog.Find(ctl::kHelp) != nullptr, row.help != 0);
    bool noSystemMenu = row.id == tmpl::kStartPage || row.id == tmpl::kFinishPage || row.id == tmpl::kResultsDialog ||
                        row.id == tmpl::kCheckingFilesDialog || row.id == tmpl::kCheckingNetworkDialog;
    EXPECT_EQ(dialog.systemMenu, !noSystemMenu);
    EXPECT_EQ(dialog.modeless, row.id == tmpl::kCheckingFilesDialog || row.id == tmpl::kCheckingNetworkDialog);
    for (const auto& control : dialog.controls) {
      EXPECT_LE(control.x + control.w, dialog.width) << control.text;
      EXPECT_LE(control.y + std::min(control.h, 15), dialog.height) << control.text;
    }
  }
}

TEST(DialogTemplates, OnlyTheStartPageAndTheResultsHaveADefaultButton) {
  for (const auto* dialog : AllDialogTemplates()) {
    std::vector<int> defaults;
    for (const auto& control : dialog->controls)
      if (control.kind == ControlKind::DefaultButton) defaults.push_back(control.id);
    std::vector<int> expected;
    if (dialog->id == tmpl::kStartPage) expected = {ctl::kStartYes};
    if (dialog->id == tmpl::kResultsDialog) expected = {ctl::kOk};
    EXPECT_EQ(defaults, expected) << dialog->id;
  }
}

TEST(DialogTemplates, StandardPagesFollowTheStandardLayout) {
  const std::map<int, int> firstButtonY = {{131, 44}, {132, 44}, {133, 44}, {134, 44}, {135, 44}, {136, 44},
                                           {137, 44}, {138, 44}, {141, 44}, {149, 44}, {151, 44}, {152, 55},
                                           {153, 44}, {154, 55}, {155, 55}, {156, 55}, {157, 44}, {158, 70},
                                           {140, 60}};
  const std::map<int, std::string_view> explanations = {
      {1011, "改变端口。"},       {1012, "继续故障排除。"}, {1013, "显示故障排除信息。"},
      {1014, "退出故障排除。"},   {1018, "修正此问题。"},   {1019, "不修正此问题。"}};
  const std::map<int, std::string_view> texts = {{1011, "后退(&B)"}, {1012, "继续(&C)"}, {1013, "帮助(&H)"},
                                                 {1014, "退出(&X)"}, {1018, "是(&Y)"},   {1019, "否(&N)"}};
  for (auto [id, top] : firstButtonY) {
    SCOPED_TRACE(id);
    const DialogTemplate& dialog = Get(id);
    int x = id == 140 ? 19 : 18;
    int y = top;
    for (const ControlTemplate* button : Buttons(dialog)) {
      EXPECT_EQ(std::make_tuple(button->x, button->y, button->w, button->h), std::make_tuple(x, y, 45, 15));
      EXPECT_EQ(button->text, texts.at(button->id));
      const ControlTemplate* explanation = ExplanationOf(dialog, *button);
      ASSERT_NE(explanation, nullptr) << button->id;
      EXPECT_EQ(std::make_pair(explanation->x, explanation->h), std::make_pair(75, 9));
      if (id == 140 && button->id == 1018) EXPECT_EQ(explanation->text, "删除此文件。");
      else if (id == 140 && button->id == 1019) EXPECT_EQ(explanation->text, "不删除此文件。");
      else EXPECT_EQ(explanation->text, explanations.at(button->id));
      y += 19;
    }
    // The finding lines: one at (44, 14) on every page; the second at (44, 27)
    // or, below a two-row message, at y 34.
    const auto& first = dialog.controls[0];
    EXPECT_EQ(std::make_pair(first.x, first.y), std::make_pair(44, 14));
    const auto& second = dialog.controls[1];
    bool twoRowFirst = id == 154 || id == 155 || id == 156;
    EXPECT_EQ(std::make_pair(second.x, second.y), std::make_pair(44, twoRowFirst ? 34 : 27));
    EXPECT_EQ(first.h, twoRowFirst ? 18 : 9);
    EXPECT_EQ(second.h, id == 152 || id == 158 ? 18 : 9);
  }
}

TEST(DialogTemplates, TheExceptionsToTheStandardLayout) {
  const DialogTemplate& writeFailed = Get(tmpl::kWriteFailedDialog);
  auto buttons = Buttons(writeFailed);
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(std::make_tuple(buttons[0]->id, buttons[0]->y, buttons[0]->text), std::make_tuple(1026, 37, "重试(&R)"));
  EXPECT_EQ(std::make_tuple(buttons[1]->id, buttons[1]->y, buttons[1]->text), std::make_tuple(1011, 57, "后退(&B)"));
  EXPECT_EQ(std::make_tuple(buttons[2]->id, buttons[2]->y, buttons[2]->text), std::make_tuple(1027, 77, "取消"));
  EXPECT_EQ(ExplanationOf(writeFailed, *buttons[0])->text, "试着再写一次。");
  EXPECT_EQ(ExplanationOf(writeFailed, *buttons[1])->text, "修改文件名。");
  EXPECT_EQ(ExplanationOf(writeFailed, *buttons[2])->text, "不写结果。");
  EXPECT_EQ(writeFailed.Find(ctl::kWriteFailedLine)->h, 18);

  const DialogTemplate& finish = Get(tmpl::kFinishPage);
  buttons = Buttons(finish);
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(std::make_tuple(buttons[0]->x, buttons[0]->y, buttons[0]->w), std::make_tuple(15, 43, 90));
  EXPECT_EQ(std::make_tuple(buttons[1]->x, buttons[1]->y, buttons[1]->w), std::make_tuple(15, 68, 90));
  EXPECT_EQ(buttons[0]->text, "重新启动 Windows(&R)");
  EXPECT_EQ(buttons[1]->text, "返回 Windows(&E)");
  EXPECT_EQ(ExplanationOf(finish, *buttons[0])->x, 110);
  EXPECT_EQ(ExplanationOf(finish, *buttons[1])->text, "不重新启动，返回 Windows。");
  EXPECT_EQ(finish.controls[1].text, "请重新启动 Windows，使修改内容生效。");
  EXPECT_EQ(finish.controls[1].x, 14);

  const DialogTemplate& registryError = Get(tmpl::kRegistryReadErrorPage);
  buttons = Buttons(registryError);
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(std::make_tuple(buttons[0]->x, buttons[0]->y, buttons[0]->w), std::make_tuple(29, 43, 48));
  const ControlTemplate* explanation = ExplanationOf(registryError, *buttons[0]);
  EXPECT_EQ(std::make_pair(explanation->x, explanation->y), std::make_pair(87, 46));

  const DialogTemplate& deleteFile = Get(tmpl::kDeleteFilePage);
  EXPECT_EQ(std::make_tuple(deleteFile.controls[2].x, deleteFile.controls[2].y, deleteFile.controls[2].text),
            std::make_tuple(19, 46, "想在安装前删除此文件吗？"));
  EXPECT_EQ(Get(tmpl::kConnectionNotPersistentPage).controls[2].y, 48);
  EXPECT_EQ(Get(tmpl::kConnectionNotPersistentPage).controls[2].text, "想修正此问题吗？");
  for (int id : {tmpl::kCheckingFilesDialog, tmpl::kCheckingNetworkDialog}) {
    const auto& notice = Get(id);
    ASSERT_EQ(notice.controls.size(), 2u);
    EXPECT_EQ(std::make_pair(notice.controls[0].x, notice.controls[0].y), std::make_pair(17, 10));
    EXPECT_EQ(std::make_pair(notice.controls[1].x, notice.controls[1].y), std::make_pair(17, 20));
    EXPECT_EQ(notice.controls[1].text, "请稍候...");
  }
}

TEST(DialogTemplates, StartPageAndResultsControls) {
  const DialogTemplate& start = Get(tmpl::kStartPage);
  const ControlTemplate* list = start.Find(ctl::kPortList);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->kind, ControlKind::Combo);
  EXPECT_TRUE(list->style & w95::ui::kSorted);
  EXPECT_EQ(std::make_tuple(list->x, list->y, list->w, list->h), std::make_tuple(58, 64, 144, 48));
  for (int id : {ctl::kFreeDisk, ctl::kFreeMemory}) {
    const auto* figure = start.Find(id);
    EXPECT_EQ(figure->style & (w95::ui::kAlignRight | w95::ui::kSunken), w95::ui::kAlignRight | w95::ui::kSunken);
  }
  EXPECT_EQ(start.unattendedCommand, ctl::kStartNo);
  EXPECT_EQ(Get(tmpl::kFinishPage).unattendedCommand, ctl::kReturn);
  EXPECT_EQ(Get(tmpl::kResultsDialog).unattendedCommand, ctl::kOk);

  const DialogTemplate& results = Get(tmpl::kResultsDialog);
  EXPECT_EQ(results.Find(ctl::kSaveResults)->kind, ControlKind::CheckBox);
  EXPECT_EQ(results.Find(ctl::kSaveResults)->text, "保存结果(&S)");
  unsigned report = results.Find(ctl::kReport)->style;
  EXPECT_EQ(report & (w95::ui::kReadOnly | w95::ui::kMultiLine | w95::ui::kVScroll),
            w95::ui::kReadOnly | w95::ui::kMultiLine | w95::ui::kVScroll);
  unsigned name = results.Find(ctl::kLogFileName)->style;
  EXPECT_EQ(name & (w95::ui::kReadOnly | w95::ui::kUpperCase), w95::ui::kReadOnly | w95::ui::kUpperCase);
  EXPECT_EQ(results.Find(ctl::kBack)->text, "修改文件名(&C)...");
  EXPECT_EQ(results.Find(ctl::kOk)->text, "确定");
  EXPECT_EQ(results.Find(ctl::kVerdict)->h, 18);
}

TEST(Accelerators, LetterAndShownText) {
  EXPECT_EQ(w95::ui::AcceleratorOf("是(&Y)"), 'Y');
  EXPECT_EQ(w95::ui::AcceleratorOf("返回 Windows(&e)"), 'E');
  EXPECT_EQ(w95::ui::AcceleratorOf("A && B"), 0);
  EXPECT_EQ(w95::ui::AcceleratorOf("取消"), 0);
  EXPECT_EQ(w95::ui::AcceleratorOf("end&"), 0);
  EXPECT_EQ(w95::ui::WithoutAcceleratorMarks("是(&Y)"), "是(Y)");
  EXPECT_EQ(w95::ui::WithoutAcceleratorMarks("A && B"), "A & B");
}

}  // namespace
}  // namespace dxl
// clang-format on
