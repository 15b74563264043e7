// The dialog templates in dialog units, as the resource script lays them out:
// finding lines at (44, 14) and (44, 27); buttons 45 x 15 at x 18 from y 44,
// 19 apart, each with its explanation at x 75, 3 units lower.
#include "resources/dialog_templates.h"

#include <array>

// Tables below are laid out by hand.
// clang-format off

namespace dxl {

namespace {

using w95::ui::ControlKind;
using w95::ui::ControlTemplate;
using w95::ui::DialogTemplate;
using w95::ui::SystemIcon;
using namespace w95::ui;

constexpr std::string_view kCaption = "Tavix KRT-310 故障排除程序";
constexpr int kNone = -1;

constexpr ControlTemplate Text(int id, std::string_view text, int x, int y, int w, int h = 9, unsigned style = 0) {
  return {ControlKind::Static, id, text, x, y, w, h, style};
}
constexpr ControlTemplate Label(std::string_view text, int x, int y, int w, int h = 9) {
  return Text(kNone, text, x, y, w, h);
}
constexpr ControlTemplate Button(int id, std::string_view text, int x, int y, int w = 45, int h = 15) {
  return {ControlKind::Button, id, text, x, y, w, h};
}

// The standard buttons: the button at (18, y) and its explanation beside it.
constexpr std::string_view StandardText(int id) {
  switch (id) {
    case 1011: return "后退(&B)";
    case 1012: return "继续(&C)";
    case 1013: return "帮助(&H)";
    case 1014: return "退出(&X)";
    case 1018: return "是(&Y)";
    default: return "否(&N)";
  }
}
constexpr std::string_view StandardExplanation(int id) {
  switch (id) {
    case 1011: return "改变端口。";
    case 1012: return "继续故障排除。";
    case 1013: return "显示故障排除信息。";
    case 1014: return "退出故障排除。";
    case 1018: return "修正此问题。";
    default: return "不修正此问题。";
  }
}
constexpr ControlTemplate StdButton(int id, int y, int x = 18) { return Button(id, StandardText(id), x, y); }
constexpr ControlTemplate Explain(std::string_view text, int buttonY, int width) {
  return Label(text, 75, buttonY + 3, width);
}
constexpr ControlTemplate StdExplain(int id, int buttonY, int width) {
  return Explain(StandardExplanation(id), buttonY, width);
}

// A finding line of a page `pageWidth` wide: at (44, y), one or two rows.
constexpr ControlTemplate Line(int id, std::string_view text, int y, int pageWidth, int rows = 1) {
  return Text(id, text, 44, y, pageWidth - 52, rows == 1 ? 9 : 18);
}

constexpr DialogTemplate Page(int id, int w, int h, std::span<const ControlTemplate> controls, int helpContext = 0) {
  return {id, kCaption, w, h, true, false, SystemIcon::Exclamation, 20, 23, helpContext, 0, controls};
}

// A page of two lines and the buttons `ids` (Yes/No/Exit or Continue/Help/Exit).
template <size_t N>
constexpr std::array<ControlTemplate, 2 + 2 * N> TwoLinePage(int w, ControlTemplate first, ControlTemplate second,
                                                             const int (&ids)[N], int firstButtonY = 44) {
  std::array<ControlTemplate, 2 + 2 * N> out{first, second};
  for (size_t i = 0; i < N; ++i) {
    int y = firstButtonY + 19 * static_cast<int>(i);
    out[2 + 2 * i] = StdButton(ids[i], y);
    out[3 + 2 * i] = StdExplain(ids[i], y, w - 85);
  }
  return out;
}

constexpr int kFix[] = {1018, 1019, 1014};
constexpr int kInform[] = {1012, 1013, 1014};

// 102: the start page.
constexpr ControlTemplate kStart[] = {
    {ControlKind::GroupBox, kNone, "系统信息", 13, 9, 189, 44},
    Label("可用磁盘空间", 36, 23, 80),
    Text(1007, "", 122, 21, 45, 10, kAlignRight | kSunken),
    Label(" MB", 170, 22, 21),
    Label("可用内存", 36, 36, 80),
    Text(1008, "", 122, 35, 45, 10, kAlignRight | kSunken),
    Label(" KB", 170, 36, 21),
    Label("端口(&P):", 17, 66, 40),
    {ControlKind::Combo, 1009, "", 58, 64, 144, 48, kSorted | kVScroll},
    Label("本程序检查 Windows95 KRT-310 的打印设定。", 17, 87, 180),
    Label("想执行本程序吗？", 17, 99, 180),
    {ControlKind::DefaultButton, 6, "是(&Y)", 49, 117, 45, 15},
    Button(7, "否(&N)", 122, 117),
};

// 131: the printer-port page.
constexpr ControlTemplate kPrinterPort[] = {
    Line(1016, "", 14, 210),
    Line(1015, "", 27, 210),
    StdButton(1011, 44), StdExplain(1011, 44, 125),
    StdButton(1012, 63), StdExplain(1012, 63, 125),
    StdButton(1013, 82), StdExplain(1013, 82, 125),
    StdButton(1014, 101), StdExplain(1014, 101, 125),
};

constexpr auto kPortUnavailable = TwoLinePage(207, Line(1017, "", 14, 207),
                                              Line(kNone, "请确认设备管理器中的设备状态。", 27, 207), kInform);
constexpr auto kSystemIni =
    TwoLinePage(220, Line(kNone, "SYSTEM.INI 不正确。", 14, 220), Line(kNone, "想修正此问题吗？", 27, 220), kFix);
constexpr auto kWinIni =
    TwoLinePage(220, Line(kNone, "WIN.INI 不正确。", 14, 220), Line(kNone, "想修正此问题吗？", 27, 220), kFix);
constexpr auto kVirtualMemory =
    TwoLinePage(200, Line(kNone, "虚拟内存被取消。", 14, 200), Line(kNone, "想修正此问题吗？", 27, 200), kFix);
constexpr auto kBidi =
    TwoLinePage(200, Line(kNone, "双向支持被取消。", 14, 200), Line(kNone, "想修正此问题吗？", 27, 200), kFix);
constexpr auto kDosSpooling = TwoLinePage(210, Line(kNone, "MS-DOS 作业后台打印被取消。", 14, 210),
                                          Line(kNone, "想修正此问题吗？", 27, 210), kFix);
constexpr auto kRegistryEntries = TwoLinePage(220, Line(kNone, "登记项目不正确。", 14, 220),
                                              Line(kNone, "请运行 Tavix KRT-310 安装程序。", 27, 220), kInform);

// 139 and 150: the wait notices.
constexpr ControlTemplate kCheckingFiles[] = {
    Label("故障排除程序正在检查文件。", 17, 10, 110),
    Label("请稍候...", 17, 20, 110),
};
constexpr ControlTemplate kCheckingNetwork[] = {
    Label("故障排除程序正在检查网络。", 17, 10, 110),
    Label("请稍候...", 17, 20, 110),
};

// 140: the delete-file page, its buttons one unit further right.
constexpr ControlTemplate kDeleteFile[] = {
    Line(1020, "", 14, 200),
    Line(kNone, "请运行 KRT-310 安装程序。", 27, 200),
    Label("想在安装前删除此文件吗？", 19, 46, 170),
    StdButton(1018, 60, 19), Explain("删除此文件。", 60, 115),
    StdButton(1019, 79, 19), Explain("不删除此文件。", 79, 115),
    StdButton(1013, 98, 19), StdExplain(1013, 98, 115),
    StdButton(1014, 117, 19), StdExplain(1014, 117, 115),
};

constexpr auto kFilesMissing = TwoLinePage(220, Line(kNone, "一些文件未找到。", 14, 220),
                                           Line(kNone, "请运行 Tavix KRT-310 安装程序。", 27, 220), kInform);

// 142: the results dialog.
constexpr ControlTemplate kResults[] = {
    Text(1022, "", 44, 12, 284, 18),
    Label("结果(&R):", 14, 38, 60),
    {ControlKind::Edit, 1031, "", 14, 49, 312, 92, kReadOnly | kMultiLine | kVScroll | kBorder},
    {ControlKind::GroupBox, kNone, "保存", 14, 145, 312, 42},
    {ControlKind::CheckBox, 1025, "保存结果(&S)", 24, 156, 90, 10},
    Label("文件名:", 24, 171, 34),
    {ControlKind::Edit, 1020, "", 60, 169, 170, 12, kReadOnly | kUpperCase | kHScroll | kBorder},
    Button(1011, "修改文件名(&C)...", 238, 168, 80),
    {ControlKind::DefaultButton, 1, "确定", 276, 191, 50, 14},
};

// 143: the write-failed dialog, its buttons 20 apart from y 37.
constexpr ControlTemplate kWriteFailed[] = {
    Line(1032, "", 14, 222, 2),
    Button(1026, "重试(&R)", 18, 37), Explain("试着再写一次。", 37, 137),
    Button(1011, "后退(&B)", 18, 57), Explain("修改文件名。", 57, 137),
    Button(1027, "取消", 18, 77), Explain("不写结果。", 77, 137),
};

// 145: the finish page.
constexpr ControlTemplate kFinish[] = {
    Label("故障排除已完成。", 14, 14, 206),
    Label("请重新启动 Windows，使修改内容生效。", 14, 27, 206),
    Button(1011, "重新启动 Windows(&R)", 15, 43, 90), Label("重新启动 Windows。", 110, 46, 112),
    Button(1012, "返回 Windows(&E)", 15, 68, 90), Label("不重新启动，返回 Windows。", 110, 71, 112),
};

// 148: the registry-read-error page.
constexpr ControlTemplate kRegistryReadError[] = {
    Line(kNone, "读取登记项目时出现错误。", 14, 180),
    Line(kNone, "可能要求重新安装 Windows。", 27, 180),
    Button(1014, "退出(&X)", 29, 43, 48), Label("退出故障排除。", 87, 46, 85),
};

constexpr auto kOtherPrinter =
    TwoLinePage(220, Line(1029, "", 14, 220), Line(kNone, "想把它连接到 FILE？", 27, 220), kFix);
constexpr auto kServerUnreachable =
    TwoLinePage(240, Line(kNone, "网络错误:", 14, 240), Line(1035, "", 27, 240), kInform);
constexpr auto kPrinterUnreachable =
    TwoLinePage(240, Line(kNone, "网络错误:", 14, 240), Line(1036, "", 27, 240, 2), kInform, 55);
constexpr auto kServerDirectory =
    TwoLinePage(240, Line(kNone, "网络错误:", 14, 240), Line(1037, "", 27, 240), kInform);
constexpr auto kServerDriverFile = TwoLinePage(260, Line(1038, "", 14, 260, 2),
                                               Line(kNone, "确认 Tavix KRT-310 被安装在服务器上。", 34, 260),
                                               kInform, 55);
constexpr auto kServerDataFile = TwoLinePage(240, Line(1039, "", 14, 240, 2),
                                             Line(kNone, "请从服务器中打印测试页以创建它。", 34, 240), kInform, 55);
constexpr auto kServerFileVersion =
    TwoLinePage(260, Line(1040, "", 14, 260, 2),
                Line(kNone, "请运行与服务器中使用过的一样的 KRT-310 安装程序。", 34, 260), kInform, 55);
constexpr auto kNoConnection =
    TwoLinePage(240, Line(kNone, "网络错误:", 14, 240), Line(1033, "", 27, 240), kInform);

// 158: the two-row finding, the question at y 48, the buttons from y 70.
constexpr ControlTemplate kNotPersistent[] = {
    Line(kNone, "网络错误:", 14, 240),
    Line(1034, "", 27, 240, 2),
    Line(kNone, "想修正此问题吗？", 48, 240),
    StdButton(1018, 70), StdExplain(1018, 70, 155),
    StdButton(1019, 89), StdExplain(1019, 89, 155),
    StdButton(1014, 108), StdExplain(1014, 108, 155),
};

constexpr DialogTemplate kTemplates[] = {
    {102, kCaption, 215, 150, false, false, SystemIcon::None, 0, 0, 0, 7, kStart},
    {131, kCaption, 210, 130, true, false, SystemIcon::Exclamation, 18, 23, 10000, 0, kPrinterPort},
    Page(132, 207, 107, kPortUnavailable, 10001),
    Page(133, 220, 110, kSystemIni),
    Page(134, 220, 110, kWinIni),
    Page(135, 200, 110, kVirtualMemory),
    Page(136, 200, 110, kBidi),
    Page(137, 210, 110, kDosSpooling),
    Page(138, 220, 110, kRegistryEntries, 10004),
    {139, kCaption, 140, 40, false, true, SystemIcon::None, 0, 0, 0, 0, kCheckingFiles},
    Page(140, 200, 148, kDeleteFile, 10002),
    Page(141, 220, 110, kFilesMissing, 10003),
    {142, kCaption, 340, 210, false, false, SystemIcon::Asterisk, 20, 20, 0, 1, kResults},
    Page(143, 222, 100, kWriteFailed),
    {145, kCaption, 230, 100, false, false, SystemIcon::None, 0, 0, 0, 1012, kFinish},
    {148, kCaption, 180, 70, true, false, SystemIcon::Hand, 17, 18, 0, 0, kRegistryReadError},
    Page(149, 220, 110, kOtherPrinter),
    {150, kCaption, 140, 40, false, true, SystemIcon::None, 0, 0, 0, 0, kCheckingNetwork},
    Page(151, 240, 110, kServerUnreachable, 10005),
    Page(152, 240, 125, kPrinterUnreachable, 10006),
    Page(153, 240, 110, kServerDirectory, 10007),
    Page(154, 260, 125, kServerDriverFile, 10008),
    Page(155, 240, 125, kServerDataFile, 10009),
    Page(156, 260, 125, kServerFileVersion, 10010),
    Page(157, 240, 110, kNoConnection, 10011),
    Page(158, 240, 135, kNotPersistent),
};

constexpr auto kPointers = [] {
  std::array<const DialogTemplate*, std::size(kTemplates)> out{};
  for (size_t i = 0; i < out.size(); ++i) out[i] = &kTemplates[i];
  return out;
}();

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
  for (const auto& dialog : kTemplates)
    if (dialog.id == id) return &dialog;
  return nullptr;
}

std::span<const DialogTemplate* const> AllDialogTemplates() { return kPointers; }

}  // namespace dxl
// clang-format on
