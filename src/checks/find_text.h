// The search of the configuration checks' "contains" tests: the text rule of
// platform/base/case_rules.h (ASCII letters folded, every other byte as it is).
#pragma once

#include "platform/base/case_rules.h"

namespace dxl {

using w95::FindTextNoCase;

}  // namespace dxl
