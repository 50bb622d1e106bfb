#include "cli/options.h"

#include <algorithm>

namespace varnox::cli {

namespace {

class Parser {
  public:
    Parser(const std::vector<std::string>& args, const std::vector<OptionSpec>& accepted)
        : args_(args), accepted_(accepted)
    {
    }

    Parsed Run();

  private:
    bool Long(const std::string& arg, std::size_t& k);
    bool Short(const std::string& arg, std::size_t& k);
    bool Take(const OptionSpec& spec, std::string value);
    bool Fail(UsageError::Kind kind, std::string argument)
    {
        failed_.error = {kind, std::move(argument)};
        return false;
    }

    const std::vector<std::string>& args_;
    const std::vector<OptionSpec>& accepted_;
    ParsedArgs parsed_;
    Parsed failed_;
    std::map<int, std::string> groups_; // the option taken of each group
};

Parsed Parser::Run()
{
    bool options = true;
    for (std::size_t k = 0; k < args_.size(); ++k) {
        const std::string& arg = args_[k];
        bool fine = true;
        if (arg.empty())
            fine = Fail(UsageError::Kind::EmptyArgument, arg);
        else if (options && arg == "--")
            options = false;
        else if (options && arg.starts_with("--"))
            fine = Long(arg, k);
        else if (options && arg.size() > 1 && arg.front() == '-')
            fine = Short(arg, k);
        else
            parsed_.operands.push_back(arg);
        if (!fine)
            return std::move(failed_);
    }
    return {std::move(parsed_), {}};
}

bool Parser::Long(const std::string& arg, std::size_t& k)
{
    const std::size_t equals = arg.find('=');
    const std::string_view name =
        std::string_view(arg).substr(2, equals == std::string::npos ? arg.npos : equals - 2);
    if (name == "help") {
        parsed_.help = true;
        return true;
    }
    const auto spec =
        std::find_if(accepted_.begin(), accepted_.end(), [&](const OptionSpec& o) { return o.name == name; });
    if (spec == accepted_.end())
        return Fail(UsageError::Kind::UnknownOption, arg);
    if (!spec->takesValue)
        return equals == std::string::npos ? Take(*spec, {}) : Fail(UsageError::Kind::UnwantedValue, arg);
    if (equals != std::string::npos)
        return Take(*spec, arg.substr(equals + 1));
    if (k + 1 >= args_.size())
        return Fail(UsageError::Kind::MissingValue, arg);
    return Take(*spec, args_[++k]);
}

bool Parser::Short(const std::string& arg, std::size_t& k)
{
    for (std::size_t i = 1; i < arg.size(); ++i) {
        if (arg[i] == 'h') {
            parsed_.help = true;
            continue;
        }
        const auto spec = std::find_if(accepted_.begin(), accepted_.end(), [&](const OptionSpec& o) {
            return o.letter != 0 && o.letter == arg[i];
        });
        if (spec == accepted_.end())
            return Fail(UsageError::Kind::UnknownOption, "-" + std::string(1, arg[i]));
        if (!spec->takesValue) {
            if (!Take(*spec, {}))
                return false;
            continue;
        }
        if (i + 1 < arg.size())
            return Take(*spec, arg.substr(i + 1));
        if (k + 1 >= args_.size())
            return Fail(UsageError::Kind::MissingValue, arg);
        return Take(*spec, args_[++k]);
    }
    return true;
}

bool Parser::Take(const OptionSpec& spec, std::string value)
{
    if (spec.group > 0) {
        const auto [taken, fresh] = groups_.emplace(spec.group, std::string(spec.name));
        if (!fresh)
            return Fail(UsageError::Kind::Excluded, "--" + std::string(spec.name));
    }
    parsed_.options[std::string(spec.name)] = std::move(value);
    return true;
}

} // namespace

Parsed ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& accepted)
{
    return Parser(args, accepted).Run();
}

} // namespace varnox::cli
