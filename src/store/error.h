// The errors the core raises. Their text is what the user reads, exactly as the program words it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <initializer_list>
#include <vector>

namespace horavant {

// An error whose what() (UTF-8) is shown to the user as it stands.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An input/output error while reading or writing one of the program's own files.
class IoError : public Error {
public:
    explicit IoError(const std::string& text, int error = 0) : Error(text), m_error(error) {}
    // The system's error number behind it; 0 when there is none.
    int error() const { return m_error; }

private:
    int m_error;
};

// An error whose text is German and reaches the user through the translation lookup as a pattern,
// whose %s are then filled from the details (a file, the system's reason) in order.
class PatternError : public Error {
public:
    PatternError(std::string pattern, std::vector<std::string> details);
    const std::string& pattern() const { return m_pattern; }
    const std::vector<std::string>& details() const { return m_details; }

private:
    std::string m_pattern;
    std::vector<std::string> m_details;
};

// A silent abort: the operation stops and nothing is shown to the user.
class AbortError : public Error {
public:
    AbortError() : Error("Operation aborted") {}
};

// Replaces each "%s" or "%d" in the pattern, in order, by the next argument.
std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);
// The same with arguments known only at run time.
std::string formatMessageArgs(std::string_view pattern, const std::vector<std::string>& args);

}  // namespace horavant
