// Which user entry a typed user name and password log in as.
#pragma once

#include "store/user_model.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace horavant {

// The index of the first entry whose user name and password equal the typed texts exactly
// (whole text, case-sensitive, no trimming). An empty user name never matches, not even an
// entry whose user name is empty.
std::optional<std::size_t> findLoginEntry(const UserList& users, std::u16string_view userName,
                                          std::u16string_view password);

}  // namespace horavant
