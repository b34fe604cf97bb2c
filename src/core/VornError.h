// The one exception type of Vorn: a message, the name of the source that raised it and its line.
#pragma once

#include <exception>
#include <string>

namespace vorn {

class VornError : public std::exception {
public:
    VornError(std::string message, std::string source, int line)
        : m_message(std::move(message)), m_source(std::move(source)), m_line(line) {}

    const std::string& Message() const { return m_message; }
    const std::string& Source() const { return m_source; }
    int Line() const { return m_line; }

    // An empty message still says that something failed.
    const char* what() const noexcept override {
        return m_message.empty() ? "Excepts error thrown" : m_message.c_str();
    }

private:
    std::string m_message;
    std::string m_source;
    int m_line;
};

} // namespace vorn

// Raises a VornError from the calling line: VORN_RAISE("pdb", "Can't open file!").
#define VORN_RAISE(source, message) throw ::vorn::VornError((message), (source), __LINE__)
