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

// Another entry than `except` whose user name is `userName` ignoring letter case (of the
// characters the user file holds); nothing for an empty name, which logs nobody in.
std::optional<std::size_t> findUserNameTaken(const UserList& users, std::u16string_view userName,
                                             std::optional<std::size_t> except);

}  // namespace horavant
