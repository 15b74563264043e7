// SYSTEM.INI texts on which the fuzz harness of the device= editors found a
// fault: after an insertion the check finds the drivers and every other line
// is kept; a removal changes no line but the device= line it takes out.
#include <gtest/gtest.h>

#include "checks/ini_checks.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

constexpr const char* kSystemIni = "C:\\WINDOWS\\SYSTEM.INI";
constexpr const char* kAll = "\r\ndevice=DXLCPEPY.386\r\ndevice=DXLBANDS.386\r\ndevice=DXLQ7EM.386";

class SystemIniRobustness : public ::testing::Test {
 protected:
  void Write(const std::string& bytes) { machine_.Builder().File(kSystemIni, bytes); }
  std::string Read() const { return machine_.Read(kSystemIni); }

  testing::TempMachine machine_;
};

TEST_F(SystemIniRobustness, TextAfterTheHeaderStaysOnTheHeaderLine) {
  struct Case {
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh] ; drivers\r\nPaging=on\r\n",
       std::string("[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh] ; drivers") + kAll + "\r\nPaging=on\r\n"},
      {"[386Enh]device=*vpd\r\n", std::string("[386Enh]device=*vpd") + kAll + "\r\n"},
      // The harness's input: a header ended by a bare CR, the next line a key without name.
      {"[boot]\r\nshell=Explorer.exe\r\n[386Enh]\r=system.drv\r\n",
       std::string("[boot]\r\nshell=Explorer.exe\r\n[386Enh]") + kAll + "\r=system.drv\r\n"},
      {"[386Enh] DXLQ7EM.386", std::string("[386Enh] DXLQ7EM.386") + kAll},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    Write(c.before);
    EXPECT_EQ(CheckSystemIniDevices(), 7);
    EXPECT_EQ(AddSystemIniDevices(7), 1);
    EXPECT_EQ(Read(), c.after);
    EXPECT_EQ(CheckSystemIniDevices(), 0);
  }
}

TEST_F(SystemIniRobustness, ARemovalLeavesKeysThatOnlyBeginWithDeviceAlone) {
  const std::string texts[] = {
      // The harness's input, reduced: the driver's name first stands under the key "deviceevice".
      "[386Enh]\r\ndevice=D)LCPEPY.386\r\ndevice=DXLBANDS.386\r\ndeviceevice=DXLQ7EM.386\r\nd=*vpd\r\n",
      "[386Enh]\r\nDevices=DXLQ7EM.386\r\ndevice=DXLQ7EM.386\r\n",
  };
  for (const auto& text : texts) {
    SCOPED_TRACE(text);
    Write(text);
    EXPECT_EQ(RemoveDeviceLine("DXLQ7EM.386"), 1);
    EXPECT_EQ(Read(), text);
  }
  // An "@evice" key already there is the one a deletion of the marked key would take.
  const std::string marked[][2] = {
      {"[386Enh]\r\n@evice=OLD.386\r\ndevice=DXLQ7EM.386\r\nPaging=on\r\n",
       "[386Enh]\r\n@evice=OLD.386\r\nPaging=on\r\n"},
      // The harness's input, reduced.
      {"[386Enh]\r\nPaging=off\r\n@evice=DXLQ719\r6\ndevice=DXLQ7EM.386\r\ndevice\xff\xff\r\n",
       "[386Enh]\r\nPaging=off\r\n@evice=DXLQ719\r6\ndevice\xff\xff\r\n"},
      {"[386Enh]\r\ndevice=DXLQ7EM.386\n @EVICE = x\n", "[386Enh]\r\n @EVICE = x\n"},
  };
  for (const auto& [before, after] : marked) {
    SCOPED_TRACE(before);
    Write(before);
    EXPECT_EQ(RemoveDeviceLine("DXLQ7EM.386"), 1);
    EXPECT_EQ(Read(), after);
  }
  Write("[386Enh]\r\ndevice = DXLQ7EM.386\r\nPaging=on\r\n");
  EXPECT_EQ(RemoveDeviceLine("DXLQ7EM.386"), 1);
  EXPECT_EQ(Read(), "[386Enh]\r\nPaging=on\r\n");
}

}  // namespace
}  // namespace dxl
