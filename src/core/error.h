#pragma once
// The one exception type of the engine. Its message is the user-facing text (UTF-8),
// shown by whichever front end owns the interaction.
#include <stdexcept>
#include <string>

namespace tavlora {

class EError : public std::runtime_error {
public:
    explicit EError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tavlora
