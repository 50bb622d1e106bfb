#pragma once
// The texts the user reads are written in German and marked with QT_TRANSLATE_NOOP, so that
// lupdate finds them for the catalogue; Translate() gives them in the user's language
// through the one function the programs install at start. No Qt.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Qt's own definition, word for word, so that either may come first.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace varnox {

// Gives the text for a German text; the German text itself when it has none.
using TranslateFunction = std::string (*)(const char* german);

// Installs translate for every later Translate(); set once at start, before any other
// thread runs. Without it the texts stay German.
void SetTranslateFunction(TranslateFunction translate);

// The German text (marked with QT_TRANSLATE_NOOP) in the user's language.
std::string Translate(const char* german);

// pattern with %1 to %9 replaced by the args in one pass, so that an arg holding "%2" stays
// as it is; a number without an arg stays too.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> args);
std::string FillIn(std::string_view pattern, const std::vector<std::string>& args);

// The translated pattern filled in.
std::string TranslateWith(const char* german, std::initializer_list<std::string_view> args);

} // namespace varnox
