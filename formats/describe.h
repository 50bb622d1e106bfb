#pragma once
// The one place where an Error becomes text in the user's language: the windows and the
// command line call it where they show a failure; the report and the manifest's status line,
// which are text themselves, call it for the notes they hold.

#include "formats/error.h"

#include <string>
#include <system_error>

namespace varnox {

// The reason in the user's language: the item, the code's text, then the detail and the
// system's reason when set.
std::string Describe(const Error& error);

// The text of one code alone.
std::string Describe(const ErrorCode& code);

// The system's reason in the user's language (the system's own text for the rare errors
// without one of ours).
std::string SystemText(const std::error_code& error);

// "file: reason", as the windows and the command line show a failure.
std::string MessageText(const Error& error);

} // namespace varnox
