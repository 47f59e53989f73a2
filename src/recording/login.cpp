// Matching a login against the user list.
#include "recording/login.h"

#include "store/cp1252.h"

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

std::optional<std::size_t> findUserNameTaken(const UserList& users, std::u16string_view userName,
                                             std::optional<std::size_t> except)
{
    if (userName.empty())
        return std::nullopt;
    const std::u16string wanted = cp1252::toUpper(userName);
    for (std::size_t i = 0; i < users.size(); ++i) {
        if (i != except && cp1252::toUpper(users[i].UserName) == wanted)
            return i;
    }
    return std::nullopt;
}

}  // namespace horavant
