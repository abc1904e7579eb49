// The one error the user ever sees: a message box, then the process ends with exit code -1.
#pragma once
#include <optional>

namespace app {

[[noreturn]] void FatalError(const char* message, std::optional<long> code = std::nullopt);

} // namespace app
