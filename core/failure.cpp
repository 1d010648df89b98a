#include "core/failure.h"

namespace quorbel {

std::string FailureText(const platform::Failure& failure) {
    return failure.description + " (Fehler " + std::to_string(failure.code) + ")";
}

}  // namespace quorbel
