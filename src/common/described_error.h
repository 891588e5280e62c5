#pragma once

#include <exception>
#include <memory>
#include <string>

namespace quillomet {

// A failure with a description for the person who reads it. Copies share
// the text, so copying never throws, as an exception's copy must not.
// (The C++ library's runtime_error does the same with a string type of its
// own, which would bring a second implementation of strings into the
// library.)
class DescribedError : public std::exception {
public:
    explicit DescribedError(const std::string& description)
        : m_Description(std::make_shared<const std::string>(description)) {}
    explicit DescribedError(const char* description)
        : m_Description(std::make_shared<const std::string>(description)) {}

    const char* what() const noexcept override { return m_Description->c_str(); }

private:
    std::shared_ptr<const std::string> m_Description;
};

} // namespace quillomet
