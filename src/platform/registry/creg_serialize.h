// Writing a whole binary hive of Windows 95 (the CREG format) from a tree, as
// Windows keeps a fresh one, for new machines: an 8 KiB navigation area (grown
// by 4 KiB pages) whose free slots are on the free list, blocks of whole 4 KiB
// pages with one free record at the end, ids from 0, every header's
// bookkeeping and (with the flag) checksums kept.
#pragma once

#include <string>

#include "platform/registry/reg_hive.h"

namespace w95 {

struct CregFileOptions {
  bool checksums = true;  // the flags declare the checksums valid (and they are)
};

std::string SerializeCreg(const RegNode& root, const CregFileOptions& options = {});

}  // namespace w95
