#include "resources/string_table.h"

#include <map>

#include "platform/base/cp936.h"

namespace dxl {

namespace {

struct Message {
  unsigned id;
  std::string_view text;  // UTF-8
};

// The string table, as the resource script holds it.
constexpr Message kMessages[] = {
    {102, "Tavix KRT-310 被连接到 %s。"},
    {103, "您已选择 %s。"},
    {104, "%s 不可用。"},
    {105, "%s 的版本不对。"},
    {106, "%1 被连接到 %2"},
    {108, "Tavix KRT-310 on %s 设定正确。"},
    {109, "Tavix KRT-310 on %s 设定不正确。"},
    {110, "Tavix KRT-310 on %s 的故障排除被用户中止。"},
    {111, "Tavix KRT-310 on %s 的网络设定不正确。"},
    {112, "Tavix KRT-310 on %1 故障排除 - %2 %3"},
    {113, "可用磁盘空间"},
    {114, "可用内存"},
    {115, "Tavix KRT-310 被连接到 %s。"},
    {116, "%s 端口驱动程序运转正常。"},
    {117, "%s 端口驱动程序运转不正常。"},
    {118, "Tavix KRT-310 以外的打印机没有被连接到 %s"},
    {119, "%1 被连接到 %2"},
    {120, "SYSTEM.INI 正确。"},
    {121, "SYSTEM.INI 中遗漏 device=%s"},
    {122, "WIN.INI 正确。"},
    {123, "WIN.INI 中遗漏 load=%s"},
    {124, "虚拟内存被启用。"},
    {125, "虚拟内存被取消"},
    {126, "本打印机的双向支持被启用。"},
    {127, "本打印机的双向支持被取消"},
    {128, "\"MS-DOS 后台打印\"被启用"},
    {129, "\" MS-DOS 后台打印\"被取消"},
    {130, "登记项目正确。"},
    {131, "登记项目不正确。"},
    {132, "所有文件的版本正确。"},
    {133, "%s 未找到。"},
    {134, " - 将被重命名为 %s"},
    {137, "时间标志"},
    {138, "大小"},
    {139, "网络的所有设定正确。"},
    {145, "故障排除完成。"},
    {146, "故障排除被用户中止。"},
    {147, "重新启动 Windows。"},
    {148, "返回 Windows。"},
    {150, "错误: "},
    {151, "网络错误: "},
    {152, " - 已修正"},
    {153, " - 未修正"},
    {154, " MB"},
    {155, " KB"},
    {156, " 请运行安装程序。"},
    {160, "不能写到 %s。"},
    {161, "%s 没有被连接到网络打印机上。"},
    {162, "%1 没有被连接到 %2。"},
    {163, "不能访问打印服务器 %s。"},
    {164, "不能访问网络打印机 %s。"},
    {165, "不能访问目录 %s。"},
    {166, "打印服务器 %2 中找不到 %1 。"},
    {167, "打印服务器 %2 中的 %1 的版本不对。"},
    {168, "标准并行端口。"},
    {169, "无 DMA 的 ECP。"},
    {170, "有 DMA 的 ECP， IRQ=%d，DMA=%d。"},
    {171, "[不存在]"},
    {172, "[本地]"},
    {173, "Tavix KRT-310 故障排除程序"},
    {174, "当前版本"},
    {175, "所需版本"},
    {176, "当前时间标志"},
    {177, "所需时间标志"},
    {61703, "Failed to launch help."},
};

const std::map<unsigned, std::string>& Cp936Table() {
  static const std::map<unsigned, std::string> table = [] {
    std::map<unsigned, std::string> converted;
    for (const auto& message : kMessages) converted[message.id] = w95::Utf8ToCp936(message.text).value();
    return converted;
  }();
  return table;
}

}  // namespace

const std::string& LoadMessage(unsigned id) {
  static const std::string empty;
  const auto& table = Cp936Table();
  auto it = table.find(id);
  return it == table.end() ? empty : it->second;
}

std::string_view MessageUtf8(unsigned id) {
  for (const auto& message : kMessages)
    if (message.id == id) return message.text;
  return {};
}

}  // namespace dxl
