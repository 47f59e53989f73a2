// Matching a login against the user list.
#include "recording/login.h"

namespace horavant {

std::optional<std::size_t> findLoginEntry(const UserList& users, std::u16string_view userName,
                                          std::u16string_view password)
{
    if (userName.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < users.size(); ++i) {
        if (users[i].UserName == userName && users[i].Password == password)
            return i;
    }
    return std::nullopt;
}

}  // namespace horavant
