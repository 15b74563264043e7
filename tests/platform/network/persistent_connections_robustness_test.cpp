// User hives on which the fuzz harness of the persistent connections found a
// fault: a device's key may be spelt "lpt1:" as well as "LPT1"; a removal
// takes out every spelling, and a write is what the next logon reads.
#include <gtest/gtest.h>

#include "platform/network/persistent_connections.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

constexpr const char* kUserReg = "C:\\WINDOWS\\USER.REG";

std::string Key(std::string_view name, std::string_view remote) {
  return "\r\n[HKEY_CURRENT_USER\\Network\\Persistent\\" + std::string(name) + "]\r\n\"RemotePath\"=\"" +
         std::string(remote) + "\"\r\n";
}

class PersistentSpellings : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    hive_ = machine_.Read(kUserReg);
  }
  void WithKeys(const std::string& keys) {
    machine_.Builder().File(kUserReg, hive_ + keys);
    machine_.Activate();
  }

  dxl::testing::TempMachine machine_;
  std::string hive_;
};

TEST_F(PersistentSpellings, ARemovalTakesOutEverySpelling) {
  const std::string cases[] = {
      // The harness's input: the seed's key "lpt1:", removed as LPT1.
      Key("lpt1:", "\\\\\\\\PRINTSRV\\\\KRT310"),
      Key("LPT1", "\\\\\\\\A\\\\B") + Key("Lpt1:", "\\\\\\\\C\\\\D"),
  };
  for (const auto& keys : cases) {
    SCOPED_TRACE(keys);
    WithKeys(keys + Key("LPT2", "\\\\\\\\E\\\\F"));
    ASSERT_TRUE(ReadPersistentConnections().contains("LPT1"));
    EXPECT_EQ(RemovePersistentConnection("LPT1"), ERROR_SUCCESS);
    const std::map<std::string, std::string> left{{"LPT2", "\\\\E\\F"}};
    EXPECT_EQ(ReadPersistentConnections(), left);
    machine_.Activate();  // and so the next logon reads it
    EXPECT_EQ(ReadPersistentConnections(), left);
  }
}

TEST_F(PersistentSpellings, AWriteIsWhatIsReadBack) {
  WithKeys(Key("LPT1", "\\\\\\\\OLD\\\\ONE") + Key("lpt1:", "\\\\\\\\OLD\\\\TWO"));
  EXPECT_EQ(WritePersistentConnection("LPT1", "\\\\PRINTSRV\\KRT310"), ERROR_SUCCESS);
  machine_.Activate();
  const std::map<std::string, std::string> expected{{"LPT1", "\\\\PRINTSRV\\KRT310"}};
  EXPECT_EQ(ReadPersistentConnections(), expected);
  EXPECT_EQ(RemovePersistentConnection("LPT9"), ERROR_SUCCESS);  // no key of that device: nothing to do
  EXPECT_EQ(ReadPersistentConnections(), expected);
}

}  // namespace
}  // namespace w95
