// libcreg, opened when a binary hive is first read: a run on a machine whose
// registry files are text never maps it, nor the libraries it pulls in (they
// cost every start more than half a millisecond).
#pragma once

// Debian's libcreg headers announce libbfio, whose headers it does not ship;
// nothing here uses its file I/O handles.
#include <libcreg/features.h>
#undef LIBCREG_HAVE_BFIO
#include <libcreg.h>

#include <string>

namespace w95 {

// Every function of libcreg the hive reader calls.
// clang-format off
#define W95_CREG_FUNCTIONS(X) \
  X(libcreg_file_initialize) \
  X(libcreg_file_free) \
  X(libcreg_file_set_ascii_codepage) \
  X(libcreg_file_open) \
  X(libcreg_file_close) \
  X(libcreg_file_is_corrupted) \
  X(libcreg_file_get_root_key) \
  X(libcreg_key_free) \
  X(libcreg_key_is_corrupted) \
  X(libcreg_key_get_name_size) \
  X(libcreg_key_get_name) \
  X(libcreg_key_get_number_of_sub_keys) \
  X(libcreg_key_get_sub_key_by_index) \
  X(libcreg_key_get_number_of_values) \
  X(libcreg_key_get_value_by_index) \
  X(libcreg_value_free) \
  X(libcreg_value_get_name_size) \
  X(libcreg_value_get_name) \
  X(libcreg_value_get_value_type) \
  X(libcreg_value_get_value_data_size) \
  X(libcreg_value_get_value_data)
// clang-format on

struct CregLibrary {
#define W95_CREG_POINTER(name) decltype(&::name) name = nullptr;
  W95_CREG_FUNCTIONS(W95_CREG_POINTER)
#undef W95_CREG_POINTER
};

// The library, opened once; nullptr when it or one of its functions cannot
// be had, and then `error` (when given) says why.
const CregLibrary* Creg(std::string* error = nullptr);

}  // namespace w95
