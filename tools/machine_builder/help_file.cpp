#include "machine_builder/help_file.h"

#include <string_view>

#include "machine_builder/machine_builder.h"
#include "platform/base/cp936.h"

namespace dxl::tools {

namespace {

struct Topic {
  int context;
  std::string_view title;
  std::string_view body;  // UTF-8, paragraphs separated by '\n'
};

constexpr Topic kTopics[] = {
    {10000, "打印机端口",
     "Tavix KRT-310 被安装在与您所选择的端口不同的端口上。\n"
     "按“后退”可以选择打印机所连接的端口；按“继续”则在所选择的端口上继续检查，\n"
     "但不检查 MS-DOS 后台打印和登记项目。"},
    {10001, "端口不可用",
     "不能打开所选择的并行端口。\n"
     "请在“控制面板”的“系统”中打开“设备管理器”，确认该端口没有被禁用，也没有资源冲突。\n"
     "如果其他程序正在使用该端口，请先关闭该程序。"},
    {10002, "文件的版本不对",
     "安装的文件与安装信息中记录的大小、时间标志或版本不一致。\n"
     "选择“是”时，该文件将在下次启动 Windows 时被重命名，然后请重新运行 KRT-310 安装程序。"},
    {10003, "文件未找到",
     "打印系统的一些文件不存在。\n"
     "请重新运行 Tavix KRT-310 安装程序，安装全部文件。"},
    {10004, "登记项目",
     "注册表中缺少打印驱动程序、打印提供程序或端口监视器的项目，或者项目的值不正确。\n"
     "请重新运行 Tavix KRT-310 安装程序。"},
    {10005, "打印服务器",
     "不能访问端口所连接的打印服务器。\n"
     "请确认服务器已经开机并连接到网络，服务器名称正确，并且您有访问权限。"},
    {10006, "网络打印机",
     "不能访问服务器上的共享打印机。\n"
     "请确认该打印机在服务器上已经共享，共享名称没有改变。"},
    {10007, "服务器上的目录",
     "不能访问打印服务器上的 DXL 目录。\n"
     "请确认服务器上安装了 Tavix KRT-310 的打印系统，并且 DXL 目录已经共享。"},
    {10008, "服务器上的驱动程序文件",
     "在打印服务器的 DXL 目录中找不到 DXLQ7APD.APD。\n"
     "请在服务器上安装 Tavix KRT-310。"},
    {10009, "服务器上的数据文件",
     "在打印服务器的 DXL 目录中找不到 DXLHRC.BIN。\n"
     "该文件在服务器第一次打印时创建：请从服务器中打印一张测试页。"},
    {10010, "服务器上的文件版本",
     "打印服务器上的 DXLQ7APD.APD 与本机安装信息中要求的不一致。\n"
     "请使用与服务器相同的 KRT-310 安装程序重新安装。"},
    {10011, "网络连接",
     "所选择的端口没有被连接到网络打印机上。\n"
     "请在打印机的“属性”中使用“捕获打印机端口”把端口连接到网络打印机。"},
};

std::string Cp936(std::string_view utf8) { return w95::Utf8ToCp936(utf8).value(); }

}  // namespace

WinHelpSource StandardHelpSource() {
  WinHelpSource source{Cp936("Tavix KRT-310 故障排除程序帮助"), 134, {}};
  for (const Topic& topic : kTopics) {
    WinHelpTopic& out = source.topics.emplace_back(WinHelpTopic{uint32_t(topic.context), Cp936(topic.title), {}});
    for (std::string_view body = topic.body; !body.empty();) {
      const size_t end = body.find('\n');
      out.paragraphs.push_back(Cp936(body.substr(0, end)));
      body.remove_prefix(end == std::string_view::npos ? body.size() : end + 1);
    }
  }
  return source;
}

const std::string& StandardHelpFile() {
  static const std::string file = WriteWinHelpFile(StandardHelpSource());
  return file;
}

void WriteHelpFile(MachineBuilder& builder) { builder.File(builder.InWindows("DXLQ7IN.HLP"), StandardHelpFile()); }

}  // namespace dxl::tools
