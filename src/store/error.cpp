// Message formatting for the core's errors.
#include "store/error.h"

namespace horavant {

namespace {

template <class Args>
std::string fill(std::string_view pattern, const Args& args)
{
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd')
            && next != args.end()) {
            out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace

std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    return fill(pattern, args);
}

PatternError::PatternError(std::string pattern, std::vector<std::string> details)
    : Error(formatMessageArgs(pattern, details)), m_pattern(std::move(pattern)), m_details(std::move(details))
{
}

std::string formatMessageArgs(std::string_view pattern, const std::vector<std::string>& args)
{
    return fill(pattern, args);
}

}  // namespace horavant
